#include "engine/platform/Cursor.h"

#include <SDL.h>

#include "engine/platform/CursorFile.h"

namespace QRX {
namespace Platform {

namespace {
int g_count = 0;
}

int ShowCursor(bool show)
{
    g_count += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(g_count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return g_count;
}

int CursorDisplayCount() { return g_count; }

void ReapplyCursorDisplay()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(g_count >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

CursorHandle CreateColourCursor(const CursorImage& image)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) || image.width <= 0 || image.height <= 0 ||
        image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4)
        return nullptr;
    // The surface only borrows the pixels; the cursor keeps its own copy.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint8_t*>(image.rgba.data()), image.width, image.height, 32, image.width * 4,
        SDL_PIXELFORMAT_RGBA32);
    if (!surface) return nullptr;
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, image.hotSpotX, image.hotSpotY);
    SDL_FreeSurface(surface);
    return cursor;
}

CursorHandle CreateArrowCursor()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
    return SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
}

void SetActiveCursor(CursorHandle cursor)
{
    if (cursor && SDL_WasInit(SDL_INIT_VIDEO)) SDL_SetCursor(static_cast<SDL_Cursor*>(cursor));
}

void FreeCursor(CursorHandle cursor)
{
    if (cursor && SDL_WasInit(SDL_INIT_VIDEO)) SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor));
}

} // namespace Platform
} // namespace QRX
