#include "engine/core/Random.h"

#include <cstdint>

namespace QRX {

namespace {
std::uint32_t g_state = 1;
}

int Random()
{
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

void ResetRandom() { g_state = 1; }

} // namespace QRX
