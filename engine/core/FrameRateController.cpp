#include "engine/core/FrameRateController.h"

#include "engine/platform/Clock.h"

namespace QRX {

void FrameRateController::Init()
{
    frequency = Platform::GetPerformanceFrequency();
    std::uint64_t counter = Platform::GetPerformanceCounter();
    frameCount = 0;
    lockFrameRate = false;
    startTime = static_cast<double>(counter) / static_cast<double>(frequency);
    lastTime = 0.0;
    dt = 0.0;
}

double FrameRateController::Now() const
{
    return static_cast<double>(Platform::GetPerformanceCounter()) / static_cast<double>(frequency) -
           startTime;
}

void FrameRateController::StartFrame()
{
    ++frameCount;
    double now = Now();
    double d = now - lastTime;
    while (lockFrameRate && d < TARGET_FRAME_TIME) {
        now = Now();
        d = now - lastTime;
    }
    dt = d;
    lastTime = now;
}

} // namespace QRX
