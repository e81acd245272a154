#include "engine/platform/Clock.h"

#include <SDL.h>

namespace QRX {
namespace Platform {

namespace {
std::function<std::uint64_t()> g_counter;
std::function<std::uint64_t()> g_frequency;
}

std::uint64_t GetPerformanceCounter()
{
    if (g_counter) return g_counter();
    return SDL_GetPerformanceCounter();
}

std::uint64_t GetPerformanceFrequency()
{
    std::uint64_t f = g_frequency ? g_frequency() : SDL_GetPerformanceFrequency();
    return f ? f : 1;
}

void SetPerformanceCounterSource(std::function<std::uint64_t()> counter,
                                 std::function<std::uint64_t()> frequency)
{
    g_counter = std::move(counter);
    g_frequency = std::move(frequency);
}

} // namespace Platform
} // namespace QRX
