#include "engine/platform/MessagePump.h"

#include <SDL.h>

#include "engine/platform/EventTranslation.h"

namespace QRX {
namespace Platform {

bool PollWindowMessages(std::uint32_t windowId, std::vector<WindowMessage>& out)
{
    out.clear();
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return false;
    TranslateEvent(event, windowId, out);
    return true;
}

} // namespace Platform
} // namespace QRX
