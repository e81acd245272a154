// Physics scenes: unit crates (half size 0.5, gravity 0 -20 0, friction
// 0.5) dropped in stacks of four onto a static plane, and crates dropped onto
// a floor of static unit CUBEs laid edge to edge; each run through the
// engine's own PhysicsManager::Update at 1/60 s a step, and the same scene in
// Bullet with rotation off (angular factor 0, as our bodies never rotate) and
// on. Only the steps are timed; building and tearing down the scene are not.
//
// Each scene function is self-contained (it builds and destroys its world),
// so a caller can run one alone, for example to profile the engine's step.
// The engine scenes need a free System singleton (no engine started).
#pragma once
#include <vector>

#include <glm/glm.hpp>

#include "bench/BenchReport.h"

namespace QRX {
namespace Bench {

// Where the benchmark's own master objects live (CRATE, CUBE, PLAYER and the
// ground plane), relative to the repository root.
constexpr const char* BENCH_OBJECT_FOLDER = "bench/data/objects/";

// Crates in one stack of the drop scene, and the stacks' spacing.
constexpr int STACK_HEIGHT = 4;
constexpr float STACK_SPACING = 2.0f;
constexpr double STEP_SECONDS = 1.0 / 60.0;

// The outcome of one run of a scene.
struct PhysicsRun
{
    double secondsPerStep = 0.0;
    int below = 0;  // crates whose centre ended below the ground's top
};

// The scene itself, shared by the engine and Bullet: where each crate
// starts, and for the floor scene where each block stands.
struct PhysicsScene
{
    std::vector<glm::vec3> crates;
    std::vector<glm::vec3> blocks;  // empty: the ground is the plane y = 0
    int steps = 300;
};

// `crates` crates in stacks of STACK_HEIGHT on a square grid of stacks,
// each crate a little above the one below it; the plane is y = 0.
PhysicsScene DropScene(int crates, int steps);
// A columns x rows floor of unit blocks whose tops are at y = 0, and
// `crates` crates dropped over it, half of them across the blocks' seams.
PhysicsScene FloorScene(int columns, int rows, int crates, int steps);

// The scene through the engine's physics step.
PhysicsRun RunEngine(const PhysicsScene& scene);
// The scene in Bullet; `rotation` false sets every crate's angular factor to 0.
PhysicsRun RunBullet(const PhysicsScene& scene, bool rotation);

// The physics section: both scenes over the rounds, tables and figures.
void RunPhysicsSection(const Settings& settings, Figures& figures);

} // namespace Bench
} // namespace QRX
