#include "engine/platform/MessagePump.h"

#include <SDL.h>

#include <csignal>

#include "engine/platform/EventTranslation.h"

namespace QRX {
namespace Platform {

namespace {

// SDL turns SIGTERM and SIGINT into its quit event, not a hang-up (the
// terminal that started the game closed), which would end the game on the
// spot, unlogged.
volatile std::sig_atomic_t g_hangUp = 0;

void OnHangUp(int) { g_hangUp = 1; }

} // namespace

bool PollWindowMessages(std::uint32_t windowId, std::vector<WindowMessage>& out)
{
    out.clear();
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
    static const bool watchingHangUp = std::signal(SIGHUP, OnHangUp) != SIG_ERR;
    if (watchingHangUp && g_hangUp) {
        g_hangUp = 0;
        out.push_back({WM_CLOSE, CLOSE_BY_QUIT_EVENT, 0});
        return true;
    }
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return false;
    TranslateEvent(event, windowId, out);
    return true;
}

} // namespace Platform
} // namespace QRX
