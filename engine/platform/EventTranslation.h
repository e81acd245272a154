// SDL events as Win32-style window messages.
//
// Used by the message pump (and its tests); the rest of the program sees only
// the WindowMessage records. Keys become Win32 virtual-key codes by their
// physical position (scancode): left and right Shift, Ctrl and Alt become
// VK_SHIFT, VK_CONTROL and VK_MENU; the keypad follows Num Lock as on Windows
// (digits with it on, navigation keys with it off). Mouse buttons 1, 2, 3
// (left, middle, right) become the left, middle and right button messages;
// wheel notches are times WHEEL_DELTA in wParam's high word; typed text comes
// as one WM_CHAR per character and Backspace adds a WM_CHAR of 8. Focus loss
// and gain become WM_KILLFOCUS and WM_ACTIVATE, a close request and a quit
// (including SIGTERM and SIGINT) become WM_CLOSE, the quit with wParam
// CLOSE_BY_QUIT_EVENT so that the log can tell them apart (the message pump
// adds SIGHUP's). Events that name another
// window than the current one (a window destroyed by a rebuild) are dropped.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <vector>

#include "engine/platform/WindowMessages.h"

namespace QRX {
namespace Platform {

// The virtual key of a scancode; 0 for keys the game does not know.
std::uint32_t VirtualKeyFromScancode(SDL_Scancode scancode, bool numLock);

// Appends the messages of one event for the window with the given id.
void TranslateEvent(const SDL_Event& event, std::uint32_t windowId, std::vector<WindowMessage>& out);

// The characters of a UTF-8 text, as code points; a malformed byte becomes
// U+FFFD and the text goes on after it.
std::vector<std::uint32_t> DecodeUtf8(const char* text);

} // namespace Platform
} // namespace QRX
