#include "engine/platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace QRX {
namespace Platform {

namespace {
std::function<int(const MessageBoxRequest&)> g_hook;

struct Button { int id; const char* label; };

std::vector<Button> ButtonsOf(unsigned type)
{
    switch (type & 0x0Fu) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default: return {{IDOK, "OK"}};
    }
}

int PrintAndGoOn(const std::string& text, const std::string& caption, unsigned type)
{
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return GoOnButton(type);
}
} // namespace

int GoOnButton(unsigned type)
{
    return ButtonsOf(type).back().id;
}

bool IsNonInteractive()
{
    const char* v = std::getenv("ZENDRA_NONINTERACTIVE");
    return v && std::strcmp(v, "1") == 0;
}

void SetMessageBoxHook(std::function<int(const MessageBoxRequest&)> hook)
{
    g_hook = std::move(hook);
}

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type)
{
    if (g_hook) return g_hook(MessageBoxRequest{text, caption, type});
    if (IsNonInteractive()) return PrintAndGoOn(text, caption, type);

    std::vector<Button> buttons = ButtonsOf(type);
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i) {
        SDL_MessageBoxButtonData b{};
        b.buttonid = buttons[i].id;
        b.text = buttons[i].label;
        if (i == 0) b.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (i + 1 == buttons.size()) b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data.push_back(b);
    }
    SDL_MessageBoxData box{};
    unsigned icon = type & 0xF0u;
    box.flags = icon == MB_ICONERROR     ? SDL_MESSAGEBOX_ERROR
              : icon == MB_ICONWARNING   ? SDL_MESSAGEBOX_WARNING
                                         : SDL_MESSAGEBOX_INFORMATION;
    box.title = caption.c_str();
    box.message = text.c_str();
    box.numbuttons = static_cast<int>(data.size());
    box.buttons = data.data();
    int chosen = 0;
    if (SDL_ShowMessageBox(&box, &chosen) != 0 || chosen <= 0)
        return PrintAndGoOn(text, caption, type);
    return chosen;
}

} // namespace Platform
} // namespace QRX
