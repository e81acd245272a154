#include "engine/platform/WindowIcon.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdint>

namespace QRX {
namespace Platform {

namespace {

bool Usable(const CursorImage& image)
{
    return image.width > 0 && image.height > 0 &&
           image.rgba.size() == static_cast<std::size_t>(image.width) * image.height * 4;
}

#if defined(SDL_VIDEO_DRIVER_X11)
// The property holds, per image, its width, its height and its pixels as
// ARGB in one "long" each, whatever the size of a long.
void SetX11Icon(Display* display, ::Window window, const std::vector<CursorImage>& images)
{
    std::vector<unsigned long> data;
    for (const CursorImage& image : images) {
        if (!Usable(image)) continue;
        data.push_back(static_cast<unsigned long>(image.width));
        data.push_back(static_cast<unsigned long>(image.height));
        for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
            const std::uint8_t* p = &image.rgba[i];
            data.push_back((static_cast<unsigned long>(p[3]) << 24) | (static_cast<unsigned long>(p[0]) << 16) |
                           (static_cast<unsigned long>(p[1]) << 8) | p[2]);
        }
    }
    if (data.empty()) return;
    const Atom property = XInternAtom(display, "_NET_WM_ICON", False);
    XChangeProperty(display, window, property, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    XFlush(display);
}
#endif

} // namespace

void SetWindowIcon(WindowHandle window, const std::vector<CursorImage>& images)
{
    SDL_Window* sdl = reinterpret_cast<SDL_Window*>(window);
    if (!sdl || images.empty()) return;
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(sdl, &info) && info.subsystem == SDL_SYSWM_X11) {
        SetX11Icon(info.info.x11.display, info.info.x11.window, images);
        return;
    }
#endif
    for (const CursorImage& image : images) {
        if (!Usable(image)) continue;
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<std::uint8_t*>(image.rgba.data()), image.width, image.height, 32, image.width * 4,
            SDL_PIXELFORMAT_RGBA32);
        if (!surface) return;
        SDL_SetWindowIcon(sdl, surface);
        SDL_FreeSurface(surface);
        return;
    }
}

} // namespace Platform
} // namespace QRX
