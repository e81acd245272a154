// Frame timing: measures each frame and holds the loop to 60 frames a second.
//
// StartFrame busy-waits (it does not sleep) until 1/60 s has passed since the
// previous frame started, but only while lockFrameRate is set; the frame loop
// sets it after every StartFrame, so the first frame never waits. dt is the raw
// measured time of the last frame, wait included; callers cap it themselves.
#pragma once
#include <cstdint>

namespace QRX {

class FrameRateController
{
public:
    static constexpr double TARGET_FRAME_TIME = 1.0 / 60.0;

    // Reads the counter frequency and the start time; resets every field.
    void Init();
    // Counts the frame, measures it and waits when locked.
    void StartFrame();

    bool lockFrameRate = false;
    double dt = 0.0;          // seconds, raw duration of the last frame
    double lastTime = 0.0;    // seconds since startTime at which the last frame started
    double startTime = 0.0;   // seconds, counter at Init divided by the frequency
    std::uint64_t frequency = 1;
    std::uint64_t frameCount = 0;

private:
    double Now() const;
};

} // namespace QRX
