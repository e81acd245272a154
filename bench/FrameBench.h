// Frame scenes: the engine started in this process (System::Initialize, the
// game's window from data/config/config.xml) on a fake clock that advances
// 1/60 s a frame, so the frame lock never busy-waits and every state timer
// sees the same steps. Measured against a full-screen textured quad plus a
// swap in the same context.
//
// Scenes: the splash screen, the loading screen once it has loaded
// everything, and a level of 500 CUBEs with a robot (the benchmark's own
// level file and masters). A scene is held where it is: a request to leave
// it is withdrawn after every frame. Each scene is timed with the renderer's
// defaults and with post-processing and shadows off, interleaved with the
// quad, and for the defaults the frame is split by shader program (a
// glFinish at every program switch, in frames that are not timed).
//
// The campaign's eleven levels follow in an engine started afresh (the
// level of CUBEs uses the benchmark's own masters): each entered through the
// level table, the robot left standing where it appears, timed with the
// defaults against the quad, with the game time a real second brings at
// that frame cost (every per-frame computation caps its time at 0.05 s).
//
// The level section (LevelBench.h) runs in the same started engine, after
// the frame scenes.
#pragma once
#include "bench/BenchReport.h"

namespace QRX {
namespace Bench {

// The benchmark's level: a 25 x 20 floor of CUBEs with the robot on it,
// loaded as a free level (the path is relative to the level folder). The
// smoke run uses a small one.
constexpr const char* BENCH_LEVEL = "../../bench/data/levels/Cubes500.xml";
constexpr const char* BENCH_SMOKE_LEVEL = "../../bench/data/levels/Cubes20.xml";
constexpr const char* BENCH_CUBE_MASTER = "bench/data/objects/CUBE.xml";
constexpr const char* BENCH_PLAYER_MASTER = "bench/data/objects/PLAYER.xml";
// The campaign's levels (state ids from STATE_LEVEL1 on), the frames a level
// runs before it is timed (the robot beams in for a second) and the frames of
// each round.
constexpr int CAMPAIGN_LEVELS = 11;
constexpr int CAMPAIGN_SETTLE_FRAMES = 72;
constexpr int CAMPAIGN_FRAMES_PER_ROUND = 10;

// Starts the engine once and runs the frame scenes (frames) and the level
// load (levels) in it. Without a display every figure is recorded as NaN
// and the reason is printed.
void RunEngineSections(const Settings& settings, Figures& figures, bool frames, bool levels);

} // namespace Bench
} // namespace QRX
