#include "engine/platform/Mouse.h"

#include <SDL.h>

namespace QRX {
namespace Platform {

namespace {
SDL_Window* g_window = nullptr;
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

} // namespace Platform
} // namespace QRX
