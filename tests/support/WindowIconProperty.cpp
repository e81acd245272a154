#include "support/WindowIconProperty.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace QRX {
namespace TestSupport {

std::vector<unsigned long> ReadWindowIconProperty(std::uint32_t sdlWindowId)
{
    SDL_Window* sdl = SDL_GetWindowFromID(sdlWindowId);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!sdl || !SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return {};
    Display* display = XOpenDisplay(nullptr);
    if (!display) return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    const Atom property = XInternAtom(display, "_NET_WM_ICON", False);
    if (XGetWindowProperty(display, info.info.x11.window, property, 0, 1 << 20, False, XA_CARDINAL, &type, &format,
                           &count, &rest, &data) == Success &&
        data && format == 32) {
        // Xlib hands 32-bit items back as longs, sign-extended.
        const long* longs = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i < count; ++i) values.push_back(static_cast<unsigned long>(longs[i]) & 0xFFFFFFFFul);
    }
    if (data) XFree(data);
    XCloseDisplay(display);
    return values;
}

} // namespace TestSupport
} // namespace QRX
