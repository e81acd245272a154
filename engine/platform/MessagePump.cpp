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

// Watches for a hang-up unless the game was started to ignore it (nohup).
bool WatchHangUp()
{
    struct sigaction current {};
    if (sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return false;
    struct sigaction watch {};
    watch.sa_handler = OnHangUp;
    sigemptyset(&watch.sa_mask);
    return sigaction(SIGHUP, &watch, nullptr) == 0;
}

} // namespace

bool PollWindowMessages(std::uint32_t windowId, std::vector<WindowMessage>& out)
{
    out.clear();
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
    static const bool watchingHangUp = WatchHangUp();
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
