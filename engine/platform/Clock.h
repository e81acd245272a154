// High-resolution counter of the platform.
//
// The frame-rate controller and anything else that times itself reads the
// counter through these two calls. Tests replace the source with a fake so
// that timings are exact and repeatable.
#pragma once
#include <cstdint>
#include <functional>

namespace QRX {
namespace Platform {

// Current counter value in ticks; monotonic.
std::uint64_t GetPerformanceCounter();
// Ticks per second; never 0.
std::uint64_t GetPerformanceFrequency();

// Replaces the counter and frequency (tests). Empty functions restore the real
// clock.
void SetPerformanceCounterSource(std::function<std::uint64_t()> counter,
                                 std::function<std::uint64_t()> frequency);

} // namespace Platform
} // namespace QRX
