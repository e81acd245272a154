#include "bench/PhysicsBench.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"

namespace QRX {
namespace Bench {

namespace {

// Stacked crates start this far apart, so each drops onto the one below.
constexpr float STACK_GAP = 0.25f;

// A System with just what the physics step reads: a logger, a file manager
// (to read the masters), the physics manager, the object manager with the
// benchmark's masters, and a frame-rate controller fixed at one step.
class EngineWorld
{
public:
    EngineWorld()
    {
        System* system = System::GetInstance();
        system->logger = new Logger();
        system->fileManager = new FileManager();
        system->physicsManager = new PhysicsManager();
        system->objectManager = new ObjectManager();
        system->frameRateController = new FrameRateController();
        system->frameRateController->dt = STEP_SECONDS;
        system->objectManager->SetObjectFolder(BENCH_OBJECT_FOLDER);
        RegisterForceGeneratorFactories();
        RegisterSteerGeneratorFactories();
        RegisterComponentFactories();
        RegisterPrimitiveFactories();
    }
    ~EngineWorld()
    {
        System* system = System::GetInstance();
        system->objectManager->Shutdown();
        delete system->objectManager;
        system->objectManager = nullptr;
        delete system->physicsManager;
        system->physicsManager = nullptr;
        delete system->frameRateController;
        system->frameRateController = nullptr;
        system->fileManager->Clear();
        delete system->fileManager;
        system->fileManager = nullptr;
        delete system->logger;
        system->logger = nullptr;
        System::DestroyInstance();
    }
    EngineWorld(const EngineWorld&) = delete;
    EngineWorld& operator=(const EngineWorld&) = delete;

    GameObject* Make(ObjectType type, const glm::vec3& position)
    {
        return System::GetInstance()->objectManager->CreateInstance(type, position);
    }
    void Step() { System::GetInstance()->physicsManager->Update(); }
};

// "K=50" and the like.
std::string CountLabel(const char* name, int count) { return std::string(name) + "=" + std::to_string(count); }

} // namespace

PhysicsScene DropScene(int crates, int steps)
{
    PhysicsScene scene;
    scene.steps = steps;
    const int stacks = (crates + STACK_HEIGHT - 1) / STACK_HEIGHT;
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(stacks))));
    const float origin = -0.5f * STACK_SPACING * static_cast<float>(side - 1);
    for (int i = 0; i < crates; ++i) {
        const int stack = i / STACK_HEIGHT;
        const int level = i % STACK_HEIGHT;
        const float x = origin + STACK_SPACING * static_cast<float>(stack % side);
        const float z = origin + STACK_SPACING * static_cast<float>(stack / side);
        const float y = 0.5f + STACK_GAP + (1.0f + STACK_GAP) * static_cast<float>(level);
        scene.crates.emplace_back(x, y, z);
    }
    return scene;
}

PhysicsScene FloorScene(int columns, int rows, int crates, int steps)
{
    PhysicsScene scene;
    scene.steps = steps;
    // Block centres on whole x and half z, so seams lie on half x and whole z.
    const float x0 = -0.5f * static_cast<float>(columns - 1);
    const float z0 = -0.5f * static_cast<float>(rows - 1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            scene.blocks.emplace_back(x0 + static_cast<float>(c), -0.5f, z0 + static_cast<float>(r));
    // Crates on a grid inside the floor: even ones across four blocks' seams,
    // odd ones square on one block; at three heights.
    const int across = std::max(1, (columns - 1) / 2);
    for (int i = 0; i < crates; ++i) {
        const float seam = i % 2 == 0 ? 0.5f : 0.0f;
        const float x = x0 + 1.0f + 2.0f * static_cast<float>(i % across) + seam;
        const float z = z0 + 1.0f + 2.0f * static_cast<float>((i / across) % std::max(1, (rows - 1) / 2)) + seam;
        const float y = 1.5f + 0.5f * static_cast<float>(i % 3);
        scene.crates.emplace_back(x, y, z);
    }
    return scene;
}

PhysicsRun RunEngine(const PhysicsScene& scene)
{
    EngineWorld world;
    if (scene.blocks.empty()) world.Make(DEFAULT, glm::vec3(0.0f));
    for (const glm::vec3& block : scene.blocks) world.Make(CUBE, block);
    std::vector<GameObject*> crates;
    for (const glm::vec3& start : scene.crates)
        if (GameObject* crate = world.Make(CRATE, start)) crates.push_back(crate);

    const double start = Now();
    for (int i = 0; i < scene.steps; ++i) world.Step();
    PhysicsRun run;
    run.secondsPerStep = (Now() - start) / std::max(1, scene.steps);
    // A crate that could not be made counts as lost.
    run.below = static_cast<int>(scene.crates.size() - crates.size());
    for (const GameObject* crate : crates)
        if (!(crate->position.y >= 0.0f)) ++run.below;
    return run;
}

namespace {

// Median ms per step of engine, Bullet without and with rotation, for one
// scene over the rounds (interleaved in each round).
struct SceneSeries
{
    Series engine, bulletFixed, bulletFree;
    PhysicsRun lastEngine, lastFixed, lastFree;
};

void RunRound(const PhysicsScene& scene, SceneSeries& series)
{
    series.lastEngine = RunEngine(scene);
    series.engine.Add(series.lastEngine.secondsPerStep * 1000.0);
    series.lastFixed = RunBullet(scene, false);
    series.bulletFixed.Add(series.lastFixed.secondsPerStep * 1000.0);
    series.lastFree = RunBullet(scene, true);
    series.bulletFree.Add(series.lastFree.secondsPerStep * 1000.0);
}

void RecordScene(Figures& figures, const std::string& name, const SceneSeries& s)
{
    figures.AddSeries("physics", name + "/engine", s.engine, "ms/step");
    figures.AddSeries("physics", name + "/bullet_no_rotation", s.bulletFixed, "ms/step");
    figures.AddSeries("physics", name + "/bullet_rotation", s.bulletFree, "ms/step");
    figures.AddSeries("physics", name + "/ratio_no_rotation", Ratios(s.engine, s.bulletFixed), "x");
    figures.AddSeries("physics", name + "/ratio_rotation", Ratios(s.engine, s.bulletFree), "x");
    figures.Add("physics", name + "/engine_below", s.lastEngine.below, "crates");
    figures.Add("physics", name + "/bullet_no_rotation_below", s.lastFixed.below, "crates");
    figures.Add("physics", name + "/bullet_rotation_below", s.lastFree.below, "crates");
}

std::vector<std::string> SceneRow(const std::string& label, const SceneSeries& s)
{
    return {label,
            Spread(s.engine, 3),
            Spread(s.bulletFixed, 3),
            Spread(s.bulletFree, 3),
            Spread(Ratios(s.engine, s.bulletFixed), 2),
            Spread(Ratios(s.engine, s.bulletFree), 2),
            std::to_string(s.lastEngine.below) + " / " + std::to_string(s.lastFixed.below) + " / " +
                std::to_string(s.lastFree.below)};
}

const std::vector<std::string> SCENE_HEADER = {
    "scene", "engine ms/step", "Bullet ms/step (rot. off)", "Bullet ms/step (rot. on)", "x Bullet (rot. off)",
    "x Bullet (rot. on)", "below: engine / off / on"};

} // namespace

void RunPhysicsSection(const Settings& settings, Figures& figures)
{
    const std::vector<int> counts = settings.smoke ? std::vector<int>{8, 16} : std::vector<int>{50, 100, 200, 400, 800};
    const int steps = settings.smoke ? 20 : 300;
    const int floorColumns = settings.smoke ? 5 : 25;
    const int floorRows = settings.smoke ? 4 : 20;
    const int floorCrates = settings.smoke ? 4 : 50;
    const int rounds = settings.rounds;

    std::vector<SceneSeries> drops(counts.size());
    SceneSeries floor;
    const PhysicsScene floorScene = FloorScene(floorColumns, floorRows, floorCrates, steps);
    for (int round = 0; round < rounds; ++round) {
        Progress("physics round %d of %d", round + 1, rounds);
        for (std::size_t i = 0; i < counts.size(); ++i) RunRound(DropScene(counts[i], steps), drops[i]);
        RunRound(floorScene, floor);
    }

    Table drop("Physics: K unit crates dropped in stacks of four onto a plane, " + std::to_string(steps) +
               " steps of 1/60 s; median [min-max] of " + std::to_string(rounds) + " round(s)");
    drop.Header(SCENE_HEADER);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        drop.Row(SceneRow(CountLabel("K", counts[i]), drops[i]));
        RecordScene(figures, "drop/" + CountLabel("K", counts[i]), drops[i]);
    }
    drop.Row(SceneRow(std::to_string(floorCrates) + " crates on " + std::to_string(floorColumns * floorRows) +
                          " CUBEs",
                      floor));
    RecordScene(figures, "floor/" + CountLabel("crates", floorCrates) + "/" +
                             CountLabel("cubes", floorColumns * floorRows),
                floor);
    drop.Note("x Bullet: engine time / Bullet time of the same round. below: crates whose centre ended below the "
              "ground's top (engine / Bullet rot. off / Bullet rot. on).");
    drop.Print(ReportStream());

    Table growth("Physics: growth of the step time per doubling of K (median of K / median of K/2)");
    growth.Header({"K", "engine", "Bullet (rot. off)", "Bullet (rot. on)"});
    for (std::size_t i = 1; i < counts.size(); ++i) {
        const double engine = drops[i].engine.Median() / drops[i - 1].engine.Median();
        const double fixed = drops[i].bulletFixed.Median() / drops[i - 1].bulletFixed.Median();
        const double free = drops[i].bulletFree.Median() / drops[i - 1].bulletFree.Median();
        growth.Row({CountLabel("K", counts[i - 1]) + " -> " + std::to_string(counts[i]), Fixed(engine, 2),
                    Fixed(fixed, 2), Fixed(free, 2)});
        const std::string name = "growth/" + CountLabel("K", counts[i]);
        figures.Add("physics", name + "/engine", engine, "x");
        figures.Add("physics", name + "/bullet_no_rotation", fixed, "x");
        figures.Add("physics", name + "/bullet_rotation", free, "x");
    }
    growth.Note("2.0 is linear growth, 4.0 quadratic.");
    growth.Print(ReportStream());
}

} // namespace Bench
} // namespace QRX
