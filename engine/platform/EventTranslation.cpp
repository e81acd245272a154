#include "engine/platform/EventTranslation.h"

#include <algorithm>

#include "engine/platform/VirtualKeys.h"

namespace QRX {
namespace Platform {

namespace {

constexpr std::uint32_t CHAR_BACKSPACE = 8;

// The keypad with Num Lock off acts as the navigation keys.
std::uint32_t KeypadNavigationKey(SDL_Scancode scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_KP_1: return VK_END;
    case SDL_SCANCODE_KP_2: return VK_DOWN;
    case SDL_SCANCODE_KP_3: return VK_NEXT;
    case SDL_SCANCODE_KP_4: return VK_LEFT;
    case SDL_SCANCODE_KP_5: return VK_CLEAR;
    case SDL_SCANCODE_KP_6: return VK_RIGHT;
    case SDL_SCANCODE_KP_7: return VK_HOME;
    case SDL_SCANCODE_KP_8: return VK_UP;
    case SDL_SCANCODE_KP_9: return VK_PRIOR;
    case SDL_SCANCODE_KP_0: return VK_INSERT;
    case SDL_SCANCODE_KP_PERIOD: return VK_DELETE;
    default: return 0;
    }
}

bool NamesOtherWindow(std::uint32_t eventWindow, std::uint32_t windowId)
{
    return eventWindow != 0 && eventWindow != windowId;
}

void Push(std::vector<WindowMessage>& out, std::uint32_t message, std::uint64_t wParam = 0, std::int64_t lParam = 0)
{
    WindowMessage m;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    out.push_back(m);
}

std::uint64_t ButtonsHeld(Uint32 state)
{
    std::uint64_t held = 0;
    if (state & SDL_BUTTON_LMASK) held |= MK_LBUTTON;
    if (state & SDL_BUTTON_RMASK) held |= MK_RBUTTON;
    if (state & SDL_BUTTON_MMASK) held |= MK_MBUTTON;
    return held;
}

void TranslateKey(const SDL_KeyboardEvent& key, std::vector<WindowMessage>& out)
{
    const bool down = key.type == SDL_KEYDOWN;
    const std::uint32_t vk = VirtualKeyFromScancode(key.keysym.scancode, (key.keysym.mod & KMOD_NUM) != 0);
    if (vk == 0) return;
    // As on Windows: with Alt held, and for Alt and F10 themselves, the
    // system-key messages.
    const bool system = (key.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU || vk == VK_F10;
    std::uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    Push(out, message, vk);
    // Text input carries no Backspace: it is made from the key, repeats included.
    if (down && vk == VK_BACK) Push(out, WM_CHAR, CHAR_BACKSPACE);
}

void TranslateButton(const SDL_MouseButtonEvent& button, std::vector<WindowMessage>& out)
{
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    std::uint32_t message = 0;
    std::uint64_t held = 0;
    switch (button.button) {
    case SDL_BUTTON_LEFT:
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        held = MK_LBUTTON;
        break;
    case SDL_BUTTON_MIDDLE:
        message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        held = MK_MBUTTON;
        break;
    case SDL_BUTTON_RIGHT:
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        held = MK_RBUTTON;
        break;
    default:
        return;
    }
    Push(out, message, down ? held : 0, MakeMouseLParam(button.x, button.y));
}

void TranslateWheel(const SDL_MouseWheelEvent& wheel, std::vector<WindowMessage>& out)
{
    long long notches = wheel.y;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
    if (notches == 0) return;  // a sideways scroll only
    long long delta = std::clamp(notches * WHEEL_DELTA, -32768LL, 32767LL);
    std::uint64_t high = static_cast<std::uint16_t>(static_cast<std::int16_t>(delta));
    Push(out, WM_MOUSEWHEEL, high << 16);
}

} // namespace

std::uint32_t VirtualKeyFromScancode(SDL_Scancode scancode, bool numLock)
{
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_A);
    // The digit row runs 1..9 then 0.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return VK_F1 + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_F1);
    // The keypad digits run 1..9 then 0 as well.
    if (numLock) {
        if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
            return VK_NUMPAD0 + 1 + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_KP_1);
        if (scancode == SDL_SCANCODE_KP_0) return VK_NUMPAD0;
        if (scancode == SDL_SCANCODE_KP_PERIOD) return VK_DECIMAL;
    } else if (std::uint32_t nav = KeypadNavigationKey(scancode)) {
        return nav;
    }
    switch (scancode) {
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_NONUSHASH: return VK_OEM_5;  // the same key on ISO keyboards
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN: return VK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_LGUI: return VK_LWIN;
    case SDL_SCANCODE_RGUI: return VK_RWIN;
    default: return 0;
    }
}

std::vector<std::uint32_t> DecodeUtf8(const char* text)
{
    constexpr std::uint32_t REPLACEMENT = 0xFFFD;
    std::vector<std::uint32_t> out;
    if (!text) return out;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        unsigned char c = *s;
        int extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) { cp = c; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else { out.push_back(REPLACEMENT); ++s; continue; }
        ++s;
        bool ok = true;
        for (int i = 0; i < extra; ++i) {
            if ((*s & 0xC0) != 0x80) { ok = false; break; }  // also stops at the terminator
            cp = (cp << 6) | (*s & 0x3F);
            ++s;
        }
        out.push_back(ok ? cp : REPLACEMENT);
    }
    return out;
}

void TranslateEvent(const SDL_Event& event, std::uint32_t windowId, std::vector<WindowMessage>& out)
{
    switch (event.type) {
    case SDL_QUIT:
        Push(out, WM_CLOSE, CLOSE_BY_QUIT_EVENT);
        break;
    case SDL_WINDOWEVENT:
        if (NamesOtherWindow(event.window.windowID, windowId)) break;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: Push(out, WM_ACTIVATE, WA_ACTIVE); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: Push(out, WM_KILLFOCUS); break;
        case SDL_WINDOWEVENT_CLOSE: Push(out, WM_CLOSE); break;
        default: break;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (NamesOtherWindow(event.key.windowID, windowId)) break;
        TranslateKey(event.key, out);
        break;
    case SDL_TEXTINPUT:
        if (NamesOtherWindow(event.text.windowID, windowId)) break;
        for (std::uint32_t cp : DecodeUtf8(event.text.text)) Push(out, WM_CHAR, cp);
        break;
    case SDL_MOUSEMOTION:
        if (NamesOtherWindow(event.motion.windowID, windowId)) break;
        Push(out, WM_MOUSEMOVE, ButtonsHeld(event.motion.state), MakeMouseLParam(event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (NamesOtherWindow(event.button.windowID, windowId)) break;
        TranslateButton(event.button, out);
        break;
    case SDL_MOUSEWHEEL:
        if (NamesOtherWindow(event.wheel.windowID, windowId)) break;
        TranslateWheel(event.wheel, out);
        break;
    default:
        break;
    }
}

} // namespace Platform
} // namespace QRX
