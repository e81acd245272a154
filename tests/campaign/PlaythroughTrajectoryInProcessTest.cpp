// Every throw a person can make in a campaign level first rests in the cell
// (whole units of the crate's centre) its red end marks: from each floor cell
// within SWEEP_CELLS of a crate, a pad or a switch, facing eight yaws 45
// degrees apart. The step runs alone at 1/20 s, the level held still as the
// prediction holds it (threats off, belts stopped, its bodies put back after
// each throw). A throw first rests after the first step that leaves the crate
// asleep and touching something; below the level or at the preview's time it
// ends too.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <set>
#include <tuple>

#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsManager.h"
#include "game/gameplay/ConveyorBeltComponent.h"
#include "game/gameplay/CrateComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int SWEEP_CELLS = 3;
constexpr int HIGHEST_FLOOR = 8;  // the campaign's floors lie at whole heights

// Below the level all one cell.
glm::ivec3 CellOf(const glm::vec3& centre)
{
    return centre.y <= CrateComponent::CRATE_FALL_Y ? glm::ivec3(INT_MIN) : glm::ivec3(glm::floor(centre));
}

class PlaythroughTrajectoryInProcessTest : public EngineTest, public ::testing::WithParamInterface<CampaignLevel> {};

TEST_P(PlaythroughTrajectoryInProcessTest, EveryThrowRestsInTheCellOfItsRedEnd)
{
    Playthrough run{Playthrough::SLOW_FRAMES_PER_SECOND};
    ASSERT_TRUE(run.Start(GetParam().stateId)) << run.Error();
    GameplayHarness& game = run.Game();
    for (ObjectType threat : {ENEMY, BOSS, TURRET, ENEMYBOX, COMETSPAWNER})
        for (GameObject* object : game.FindAll(threat)) object->flags &= ~OBJ_ACTIVE;
    game.Step(run.FramesIn(5.0));
    for (GameObject* belt : game.FindAll(CONVEYORBELT)) belt->GetComponent<ConveyorBeltComponent>()->m_BeltSpeed = 0.0f;
    PhysicsManager* physics = game.GetSystem()->physicsManager;
    GameObject* robot = game.Player();
    auto* player = robot->GetComponent<PlayerComponent>();
    std::set<std::tuple<int, int, int>> stands;  // x, floor height, z
    for (ObjectType type : {CRATE, CRATESPAWNERTRIGGER, SWITCH, BRIDGETRIGGER})
        for (GameObject* anchor : game.FindAll(type))
            for (int dx = -SWEEP_CELLS; dx <= SWEEP_CELLS; ++dx)
                for (int dz = -SWEEP_CELLS; dz <= SWEEP_CELLS; ++dz)
                    for (int top = 0; top <= HIGHEST_FLOOR; ++top)
                        stands.insert({int(std::floor(anchor->position.x)) + dx, top, int(std::floor(anchor->position.z)) + dz});
    struct Placed { GameObject* object; glm::vec3 at; std::unique_ptr<PhysicsComponent> body; };
    std::vector<Placed> placed;  // the level's bodies as they lie, put back after each throw
    for (GameObject* object : game.GetSystem()->objectManager->GetActiveObjectsWithComponent(CT_PHYSICS)) {
        placed.push_back({object, object->position, std::make_unique<PhysicsComponent>()});
        placed.back().body->CopyFrom(GetPhysicsComponent(object));
    }
    GameObject* crate = game.GetSystem()->objectManager->CreateInstance(CRATE, glm::vec3(0.0f, -100.0f, 0.0f));
    int throws = 0, hits = 0;
    for (const auto& [x, top, z] : stands) {
        // Room for the robot, on something that is neither a crate nor a field.
        const glm::vec3 stand(x + 0.5f, top + 0.5f, z + 0.5f);
        robot->rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
        if (physics->FindStopper(robot, stand, 0.01f, false) ||
            !physics->FindStopper(robot, stand - glm::vec3(0.0f, 0.02f, 0.0f), 0.0f, false, {CRATE, FORCEFIELD}))
            continue;
        for (int yaw = 0; yaw < 360; yaw += 45) {
            robot->position = stand;
            robot->rotation = glm::angleAxis(glm::radians(float(yaw)), glm::vec3(0.0f, 1.0f, 0.0f));
            player->UpdateFacing();
            player->PickUpCrate(crate);
            player->UpdateCrateActions();  // the preview
            glm::ivec3 red(INT_MAX);
            for (GameObject* marker : player->m_ThrowMarkers)
                if (!(marker->flags & OBJ_SKIP_DRAW) && marker->GetComponent<GraphicsComponent>()->GetTextureName() == "red")
                    red = CellOf(marker->position + glm::vec3(0.0f, 0.5f - 0.5f * marker->scale.y, 0.0f));
            player->ThrowCrate();
            for (int step = 0; step < PlayerComponent::PREVIEW_TIME * run.FramesPerSecond(); ++step) {
                physics->Update();
                if (crate->position.y <= CrateComponent::CRATE_FALL_Y ||
                    (!(GetPhysicsComponent(crate)->flags & BODY_AWAKE) && GetCollisionComponent(crate)->collided))
                    break;
            }
            const glm::ivec3 rest = CellOf(crate->position);
            ++throws;
            const bool hit = rest == red || (rest == glm::ivec3(INT_MIN) && red.y < top);  // a fall: red end in the gap
            hits += hit;
            if (!hit)
                std::printf("  missed from %d %d %d yaw %d: red end %d %d %d, rests %d %d %d\n", x, top, z, yaw, red.x,
                            red.y, red.z, rest.x, rest.y, rest.z);
            for (Placed& body : placed) {
                body.object->position = body.at;
                GetPhysicsComponent(body.object)->CopyFrom(body.body.get());
            }
        }
    }
    std::printf("%s: %d throws, %d rest in the cell of their red end (%.1f%%)\n", GetParam().name, throws, hits,
                throws ? 100.0 * hits / throws : 100.0);
    EXPECT_GE(hits, 0.98 * throws);
}

INSTANTIATE_TEST_SUITE_P(Campaign, PlaythroughTrajectoryInProcessTest, ::testing::ValuesIn(CampaignLevels()));

} // namespace
