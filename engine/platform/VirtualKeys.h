// Win32 virtual-key codes, kept as our own constants: the platform's message
// pump translates keyboard and mouse buttons into them and the input tables
// are written in them.
#pragma once
#include <cstdint>

namespace QRX {
namespace Platform {

constexpr std::uint32_t VK_LBUTTON = 0x01;
constexpr std::uint32_t VK_RBUTTON = 0x02;
constexpr std::uint32_t VK_MBUTTON = 0x04;
constexpr std::uint32_t VK_BACK = 0x08;
constexpr std::uint32_t VK_TAB = 0x09;
constexpr std::uint32_t VK_CLEAR = 0x0C;  // keypad 5 with Num Lock off
constexpr std::uint32_t VK_RETURN = 0x0D;
constexpr std::uint32_t VK_SHIFT = 0x10;
constexpr std::uint32_t VK_CONTROL = 0x11;
constexpr std::uint32_t VK_MENU = 0x12;
constexpr std::uint32_t VK_PAUSE = 0x13;
constexpr std::uint32_t VK_CAPITAL = 0x14;
constexpr std::uint32_t VK_ESCAPE = 0x1B;
constexpr std::uint32_t VK_SPACE = 0x20;
constexpr std::uint32_t VK_PRIOR = 0x21;
constexpr std::uint32_t VK_NEXT = 0x22;
constexpr std::uint32_t VK_END = 0x23;
constexpr std::uint32_t VK_HOME = 0x24;
constexpr std::uint32_t VK_LEFT = 0x25;
constexpr std::uint32_t VK_UP = 0x26;
constexpr std::uint32_t VK_RIGHT = 0x27;
constexpr std::uint32_t VK_DOWN = 0x28;
constexpr std::uint32_t VK_SNAPSHOT = 0x2C;  // Print Screen
constexpr std::uint32_t VK_INSERT = 0x2D;
constexpr std::uint32_t VK_DELETE = 0x2E;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' 0x41..0x5A, as their characters.
constexpr std::uint32_t VK_LWIN = 0x5B;
constexpr std::uint32_t VK_RWIN = 0x5C;
constexpr std::uint32_t VK_APPS = 0x5D;
constexpr std::uint32_t VK_NUMPAD0 = 0x60;
constexpr std::uint32_t VK_NUMPAD9 = 0x69;
constexpr std::uint32_t VK_MULTIPLY = 0x6A;
constexpr std::uint32_t VK_ADD = 0x6B;
constexpr std::uint32_t VK_SUBTRACT = 0x6D;
constexpr std::uint32_t VK_DECIMAL = 0x6E;
constexpr std::uint32_t VK_DIVIDE = 0x6F;
constexpr std::uint32_t VK_F1 = 0x70;  // F1..F12 are 0x70..0x7B
constexpr std::uint32_t VK_F10 = 0x79;
constexpr std::uint32_t VK_F11 = 0x7A;
constexpr std::uint32_t VK_F12 = 0x7B;
constexpr std::uint32_t VK_NUMLOCK = 0x90;
constexpr std::uint32_t VK_SCROLL = 0x91;
constexpr std::uint32_t VK_OEM_1 = 0xBA;      // ;:
constexpr std::uint32_t VK_OEM_PLUS = 0xBB;   // =+
constexpr std::uint32_t VK_OEM_COMMA = 0xBC;
constexpr std::uint32_t VK_OEM_MINUS = 0xBD;
constexpr std::uint32_t VK_OEM_PERIOD = 0xBE;
constexpr std::uint32_t VK_OEM_2 = 0xBF;      // /?
constexpr std::uint32_t VK_OEM_3 = 0xC0;      // `~
constexpr std::uint32_t VK_OEM_4 = 0xDB;      // [{
constexpr std::uint32_t VK_OEM_5 = 0xDC;      // \|
constexpr std::uint32_t VK_OEM_6 = 0xDD;      // ]}
constexpr std::uint32_t VK_OEM_7 = 0xDE;      // '"
constexpr std::uint32_t VK_OEM_102 = 0xE2;    // the extra key beside left Shift

} // namespace Platform
} // namespace QRX
