#include "engine/platform/Cursor.h"

#include <SDL.h>

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

} // namespace Platform
} // namespace QRX
