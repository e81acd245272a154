#include "engine/platform/Debugger.h"

#include <csignal>
#include <fstream>
#include <string>

namespace QRX {
namespace Platform {

namespace {
int g_override = -1;
}

void SetDebuggerPresentOverride(int value) { g_override = value; }

bool IsDebuggerPresent()
{
    if (g_override >= 0) return g_override != 0;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 10, "TracerPid:") == 0)
            return std::stol(line.substr(10)) != 0;
    }
    return false;
}

void DebugBreak()
{
    if (g_override < 0 && IsDebuggerPresent()) std::raise(SIGTRAP);
}

} // namespace Platform
} // namespace QRX
