#include <gtest/gtest.h>

#include "engine/core/FrameRateController.h"
#include "engine/platform/Clock.h"

using namespace QRX;

namespace {

// A counter at 1,000,000 ticks a second that advances by a step on each read.
class FakeCounter
{
public:
    explicit FakeCounter(std::uint64_t start) : m_now(start)
    {
        Platform::SetPerformanceCounterSource([this] { m_reads++; std::uint64_t v = m_now; m_now += m_step; return v; },
                                              [] { return std::uint64_t(1000000); });
    }
    ~FakeCounter() { Platform::SetPerformanceCounterSource(nullptr, nullptr); }
    std::uint64_t m_now;
    std::uint64_t m_step = 0;
    int m_reads = 0;
};

TEST(FrameRateController, FirstFrameDoesNotWait)
{
    FakeCounter c(5000000);
    FrameRateController frc;
    frc.Init();
    EXPECT_DOUBLE_EQ(frc.startTime, 5.0);
    c.m_now += 1000;  // 1 ms later
    frc.StartFrame();
    EXPECT_NEAR(frc.dt, 0.001, 1e-9);
    EXPECT_EQ(frc.frameCount, 1u);
}

TEST(FrameRateController, LockedFramesAreNeverShorterThanASixtieth)
{
    FakeCounter c(0);
    FrameRateController frc;
    frc.Init();
    frc.StartFrame();
    frc.lockFrameRate = true;
    c.m_step = 997;  // each read moves the clock on
    for (int i = 0; i < 5; ++i) {
        frc.StartFrame();
        EXPECT_GE(frc.dt, FrameRateController::TARGET_FRAME_TIME);
        EXPECT_LT(frc.dt, FrameRateController::TARGET_FRAME_TIME + 0.002);
    }
}

TEST(FrameRateController, ExactlyASixtiethEndsTheWait)
{
    // A frequency of 60 ticks a second makes one tick exactly 1/60 s.
    std::uint64_t now = 0;
    int reads = 0;
    Platform::SetPerformanceCounterSource([&] { ++reads; return now; }, [] { return std::uint64_t(60); });
    FrameRateController frc;
    frc.Init();
    frc.lockFrameRate = true;
    now = 1;
    reads = 0;
    frc.StartFrame();
    EXPECT_EQ(reads, 1);  // no extra read: d == 1/60 is not below it
    EXPECT_DOUBLE_EQ(frc.dt, 1.0 / 60.0);
    Platform::SetPerformanceCounterSource(nullptr, nullptr);
}

TEST(FrameRateController, UnlockedFrameMeasuresOnly)
{
    FakeCounter c(0);
    FrameRateController frc;
    frc.Init();
    c.m_now = 2000;
    frc.StartFrame();
    c.m_now = 4000;
    frc.StartFrame();
    EXPECT_NEAR(frc.dt, 0.002, 1e-12);
    EXPECT_NEAR(frc.lastTime, 0.004, 1e-12);
}

} // namespace
