#include "engine/platform/Mouse.h"

#include <SDL.h>

namespace QRX {
namespace Platform {

namespace {
SDL_Window* g_window = nullptr;
constexpr Uint32 BUTTON_POLL_MILLISECONDS = 5;
}

void SetCursorWindow(SDL_Window* window) { g_window = window; }

SDL_Window* GetCursorWindow() { return g_window; }

bool GetCursorClientPosition(int& x, int& y)
{
    if (!g_window) return false;
    // The global position minus the client origin works whether or not the
    // window has the mouse focus.
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(g_window, &wx, &wy);
    x = gx - wx;
    y = gy - wy;
    return true;
}

bool GetCursorWindowSize(int& width, int& height)
{
    if (!g_window) return false;
    SDL_GetWindowSize(g_window, &width, &height);
    return true;
}

void WarpCursor(int x, int y)
{
    if (g_window) SDL_WarpMouseInWindow(g_window, x, y);
}

void AwaitMouseButtonsUp(double seconds)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    const Uint64 end = SDL_GetTicks64() + static_cast<Uint64>(seconds * 1000.0);
    SDL_PumpEvents();
    // Held as the display itself says; the event layer's own state follows
    // once the release is pumped.
    while (SDL_GetGlobalMouseState(nullptr, nullptr) != 0 && SDL_GetTicks64() < end) {
        SDL_Delay(BUTTON_POLL_MILLISECONDS);
        SDL_PumpEvents();
    }
    SDL_PumpEvents();
}

} // namespace Platform
} // namespace QRX
