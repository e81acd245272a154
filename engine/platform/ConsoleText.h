// Console text attributes in the Win32 form, shown as ANSI colours.
//
// An attribute byte is background (high nibble) and foreground (low nibble),
// bit 0 blue, 1 green, 2 red, 3 bright. Colours are written only when standard
// output is a terminal; otherwise text goes out plain.
#pragma once
#include <cstdint>
#include <string>

namespace QRX {
namespace Platform {

constexpr std::uint16_t CONSOLE_DEFAULT_ATTRIBUTES = 0x07;

// The attributes in force (what SetConsoleTextAttributes last set).
std::uint16_t GetConsoleTextAttributes();

// Sets the attributes for the following output on stdout.
void SetConsoleTextAttributes(std::uint16_t attributes);

// The ANSI escape sequence for an attribute byte.
std::string AnsiSequenceFor(std::uint16_t attributes);

// True when stdout is a terminal (colours are written).
bool ConsoleHasColours();

} // namespace Platform
} // namespace QRX
