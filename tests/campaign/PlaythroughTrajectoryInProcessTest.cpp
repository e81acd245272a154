// Every throw a person can make in a campaign level first comes to rest in
// the cell its red end marks. From every floor cell within SWEEP_CELLS of a
// crate, a crate pad or a switch (a bridge's too), the robot holds a crate facing each of
// eight yaws 45 degrees apart (where the game lets it go); the red end of its
// preview is read, the crate thrown, and the physics step run on its own at
// a software renderer's pace, the rest of the level held as the prediction
// holds it (nothing else updated, threats inactive, belts stopped, the
// level's bodies put back after each throw), until the crate first rests:
// the first step after which its body is asleep and touching something. A
// crate removed below the level, all such in one cell, or the preview's time
// ending also ends a throw. Cells are the whole units of the crate's centre.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <sstream>

#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsManager.h"
#include "game/gameplay/ConveyorBeltComponent.h"
#include "game/gameplay/CrateComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int SWEEP_CELLS = 3;
constexpr int YAWS = 8;

glm::ivec3 CellOf(const glm::vec3& centre)
{
    return centre.y <= CrateComponent::CRATE_FALL_Y ? glm::ivec3(INT_MIN) : glm::ivec3(glm::floor(centre));
}

std::string Text(const glm::ivec3& cell)
{
    if (cell.y == INT_MIN) return "(out)";
    return "(" + std::to_string(cell.x) + " " + std::to_string(cell.y) + " " + std::to_string(cell.z) + ")";
}

class PlaythroughTrajectoryInProcessTest : public EngineTest, public ::testing::WithParamInterface<CampaignLevel>
{
protected:
    Playthrough run{Playthrough::SLOW_FRAMES_PER_SECOND};
};

TEST_P(PlaythroughTrajectoryInProcessTest, EveryThrowRestsInTheCellOfItsRedEnd)
{
    ASSERT_TRUE(run.Start(GetParam().stateId)) << run.Error();
    GameplayHarness& game = run.Game();
    for (ObjectType threat : {ENEMY, BOSS, TURRET, ENEMYBOX, COMETSPAWNER})
        for (GameObject* object : game.FindAll(threat)) object->flags &= ~OBJ_ACTIVE;
    game.Step(run.FramesIn(5.0));
    for (GameObject* belt : game.FindAll(CONVEYORBELT)) belt->GetComponent<ConveyorBeltComponent>()->m_BeltSpeed = 0.0f;
    PhysicsManager* physics = game.GetSystem()->physicsManager;
    GameObject* robot = game.Player();
    auto* player = robot->GetComponent<PlayerComponent>();
    std::set<std::pair<int, int>> cells;
    for (ObjectType type : {CRATE, CRATESPAWNERTRIGGER, SWITCH, BRIDGETRIGGER})
        for (GameObject* anchor : game.FindAll(type))
            for (int dx = -SWEEP_CELLS; dx <= SWEEP_CELLS; ++dx)
                for (int dz = -SWEEP_CELLS; dz <= SWEEP_CELLS; ++dz)
                    cells.insert({int(std::floor(anchor->position.x)) + dx, int(std::floor(anchor->position.z)) + dz});
    struct Body { GameObject* object; glm::vec3 position, velocity; std::uint32_t flags; float motion, gravity; };
    std::vector<Body> bodies;
    std::vector<GameObject*> supports;
    for (GameObject* object : game.GetSystem()->objectManager->GetActiveObjects()) {
        if (PhysicsComponent* body = GetPhysicsComponent(object)) {
            const GravityForceGenerator* gravity = GetGravityGenerator(object);
            bodies.push_back({object, object->position, body->velocity, body->flags, body->motion, gravity ? gravity->gravity.y : 0.0f});
        } else if (const CollisionComponent* shape = GetCollisionComponent(object)) {
            if (shape->active && shape->autoResolve && !shape->ethereal && shape->GetPrimitive()) supports.push_back(object);
        }
    }
    GameObject* crate = game.GetSystem()->objectManager->CreateInstance(CRATE, glm::vec3(0.0f, -100.0f, 0.0f));
    const int steps = int(PlayerComponent::PREVIEW_TIME * run.FramesPerSecond());
    int throws = 0, hits = 0;
    std::set<std::string> carried;  // cells where a belt or a platform takes the crate on
    std::ostringstream misses;
    for (const auto& cell : cells) {
        const glm::vec3 centre(cell.first + 0.5f, 0.0f, cell.second + 0.5f);
        std::set<float> tops;
        for (GameObject* support : supports) {
            const glm::vec3 reach = PhysicsManager::WorldReach(*support, *GetCollisionComponent(support)->GetPrimitive());
            if (std::fabs(centre.x - support->position.x) < reach.x && std::fabs(centre.z - support->position.z) < reach.z)
                tops.insert(support->position.y + reach.y);
        }
        for (float top : tops) {
            robot->rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
            const glm::vec3 stand(centre.x, top + 0.5f, centre.z);
            if (physics->FindStopper(robot, stand, 0.01f, false)) continue;  // no room to stand
            for (int yaw = 0; yaw < YAWS; ++yaw) {
                robot->position = stand;
                robot->rotation = glm::angleAxis(glm::radians(45.0f * yaw), glm::vec3(0.0f, 1.0f, 0.0f));
                robot->flags &= ~OBJ_WORLD_VALID;
                GetCollisionComponent(robot)->UpdatePrimitive();
                player->UpdateFacing();
                player->PickUpCrate(crate);
                player->UpdateCrateActions();  // the preview
                // Where the game would not let go, a person cannot throw.
                if (physics->FindStopper(crate, crate->position, PlayerComponent::LET_GO_OVERLAP, true, {ENEMY, BOSS})) {
                    player->ReleaseCarriedCrate();
                    continue;
                }
                glm::ivec3 predicted(INT_MAX);
                for (GameObject* marker : player->m_ThrowMarkers)
                    if (!(marker->flags & OBJ_SKIP_DRAW) && GetGraphicsComponent(marker)->GetTextureName() == "red")
                        predicted = CellOf(marker->position + glm::vec3(0.0f, 0.5f - 0.5f * marker->scale.y, 0.0f));
                player->ThrowCrate();
                for (int step = 0; step < steps && crate->position.y > CrateComponent::CRATE_FALL_Y; ++step) {
                    physics->Update();
                    if (!(GetPhysicsComponent(crate)->flags & BODY_AWAKE) && GetCollisionComponent(crate)->collided) break;
                }
                const glm::vec3 below = crate->position - glm::vec3(0.0f, 0.1f, 0.0f);
                const GameObject* under = physics->FindStopper(crate, below, 0.0f, false);
                if (under && (under->type == CONVEYORBELT || under->type == HOVERINGPLATFORM))
                    carried.insert(ObjectTypeToString(under->type) + " " + Text(CellOf(crate->position)));
                ++throws;
                if (CellOf(crate->position) == predicted) ++hits;
                else misses << "  from " << Text(glm::ivec3(glm::floor(stand - glm::vec3(0.0f, 0.5f, 0.0f)))) << " yaw "
                            << 45 * yaw << ": red end " << Text(predicted) << ", rests " << Text(CellOf(crate->position)) << "\n";
                for (const Body& b : bodies) {
                    b.object->position = b.position;
                    b.object->flags &= ~OBJ_WORLD_VALID;
                    GetCollisionComponent(b.object)->UpdatePrimitive();
                    PhysicsComponent* body = GetPhysicsComponent(b.object);
                    body->velocity = b.velocity;
                    body->flags = b.flags;
                    body->motion = b.motion;
                    if (GravityForceGenerator* gravity = GetGravityGenerator(b.object)) gravity->gravity.y = b.gravity;
                }
            }
        }
    }
    const double share = throws ? double(hits) / throws : 1.0;
    std::printf("%s: %d throws, %d rest in the cell of their red end (%.1f%%)\n%s", GetParam().name, throws, hits,
                100.0 * share, misses.str().c_str());
    for (const std::string& cell : carried) std::printf("  rests on a %s\n", cell.c_str());
    EXPECT_GE(share, 0.98) << misses.str();
}

INSTANTIATE_TEST_SUITE_P(Campaign, PlaythroughTrajectoryInProcessTest, ::testing::ValuesIn(CampaignLevels()));

} // namespace
