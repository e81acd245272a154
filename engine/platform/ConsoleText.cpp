#include "engine/platform/ConsoleText.h"

#include <unistd.h>

#include <cstdio>

namespace QRX {
namespace Platform {

namespace {
std::uint16_t g_attributes = CONSOLE_DEFAULT_ATTRIBUTES;

// Win32 colour bits (blue 1, green 2, red 4) to the ANSI order (red 1, green 2, blue 4).
int AnsiColour(int win)
{
    return ((win & 4) ? 1 : 0) | ((win & 2) ? 2 : 0) | ((win & 1) ? 4 : 0);
}
} // namespace

bool ConsoleHasColours()
{
    static const bool tty = ::isatty(STDOUT_FILENO) != 0;
    return tty;
}

std::string AnsiSequenceFor(std::uint16_t attributes)
{
    if (attributes == CONSOLE_DEFAULT_ATTRIBUTES) return "\033[0m";
    int fg = attributes & 0x0F;
    int bg = (attributes >> 4) & 0x0F;
    int fgCode = ((fg & 8) ? 90 : 30) + AnsiColour(fg & 7);
    int bgCode = ((bg & 8) ? 100 : 40) + AnsiColour(bg & 7);
    return "\033[0;" + std::to_string(fgCode) + ";" + std::to_string(bgCode) + "m";
}

std::uint16_t GetConsoleTextAttributes() { return g_attributes; }

void SetConsoleTextAttributes(std::uint16_t attributes)
{
    g_attributes = attributes;
    if (!ConsoleHasColours()) return;
    std::fputs(AnsiSequenceFor(attributes).c_str(), stdout);
}

} // namespace Platform
} // namespace QRX
