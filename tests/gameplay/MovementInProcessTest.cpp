// Walking over levels built of unit blocks, in the running engine (every
// frame 1/32 s): the robot crosses a row of twenty blocks at walking speed,
// seam after seam, walks off its end and falls until the level's fall check
// sends the game to the retry menu; a crate carried at walking speed and
// set down stays where it lands; a patrolling enemy walks its waypoints over
// the seams of a floor of blocks; at a software renderer's pace (1/20 s a
// frame, the longest step) a robot walking off a path's middle line onto a
// wider floor steps onto it instead of catching on its side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "engine/core/InputManager.h"
#include "game/gameplay/AIComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"
#include "support/TestEnv.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

float Flat(const glm::vec3& a, const glm::vec3& b) { return glm::length(glm::vec2(a.x - b.x, a.z - b.z)); }
float FlatSpeed(const GameObject* object)
{
    const glm::vec3 v = GetPhysicsComponent(const_cast<GameObject*>(object))->velocity;
    return glm::length(glm::vec2(v.x, v.z));
}

class MovementInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    std::string LogPage() const { return TestSupport::ReadFile(game.GetSystem()->logger->GetPath()); }

    GameplayHarness game;
};

TEST_F(MovementInProcessTest, TheRobotWalksARowOfBlocksEndToEndAndFallsOffItsEnd)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/walk.xml"));
    GameObject* robot = game.Player();
    ASSERT_NE(robot, nullptr);
    game.Step(4);
    const glm::vec3 start = robot->position;
    EXPECT_NEAR(start.y, 1.5f, 0.01f);

    // Walking speed within a few frames.
    game.Hold({GameplayHarness::Letter('W')});
    EXPECT_LE(game.StepUntil([&] { return FlatSpeed(robot) >= 5.0f; }, 32), 4);

    // Over all nineteen seams to the first block's middle, held up on the
    // floor all the way, at 4 units a second or more on average.
    float lowest = robot->position.y, highest = robot->position.y;
    const int frames = game.StepUntil(
        [&] {
            lowest = std::min(lowest, robot->position.y);
            highest = std::max(highest, robot->position.y);
            return robot->position.z <= 0.5f;
        },
        400);
    ASSERT_GT(frames, 0) << "stopped at z " << robot->position.z;
    const int walked = frames + 4;
    EXPECT_GE((start.z - 0.5f) / (walked / static_cast<float>(GameplayHarness::FRAMES_PER_SECOND)), 4.0f)
        << walked << " frames";
    EXPECT_NEAR(lowest, 1.5f, 0.02f);
    EXPECT_NEAR(highest, 1.5f, 0.02f);
    EXPECT_EQ(robot->position.x, start.x);

    // Still walking, it leaves the floor and falls.
    ASSERT_GT(game.StepUntil([&] { return robot->position.y < 1.0f; }, 16), 0);
    EXPECT_LT(robot->position.z, 0.0f);
    ASSERT_GT(game.StepUntil([&] { return robot->position.y < -5.0f; }, 96), 0);
    // The level's fall check sends the game to the retry menu.
    game.Step();
    EXPECT_EQ(TestSupport::Count(LogPage(), "Restarting since player position less than -5.f"), 1u);
    GameStateManager* states = game.GetSystem()->gameStateManager;
    ASSERT_NE(states, nullptr);
    EXPECT_TRUE(states->GetCurrentState() == STATE_GAMERETRYMENU ||
                states->GetRequestedState() == STATE_GAMERETRYMENU);
}

// A frame of 1/20 s sinks the walking robot 0.275 into the floor (its
// 5 units a second and what gravity adds in the step): its west side, over
// the wider floor's first block, must still go up onto that block.
TEST_F(MovementInProcessTest, AtTheLongestStepTheRobotWalksOffAPathOntoAWiderFloor)
{
    constexpr int SLOW_FRAMES_PER_SECOND = 20;
    GameplayHarness slow{GameplayHarness::DEFAULT_WIDTH, GameplayHarness::DEFAULT_HEIGHT, SLOW_FRAMES_PER_SECOND};
    ASSERT_TRUE(slow.Start());
    ASSERT_TRUE(slow.LoadLevel("tests/data/gameplay/levels/widening.xml"));
    GameObject* robot = slow.Player();
    ASSERT_NE(robot, nullptr);
    auto* player = robot->GetComponent<PlayerComponent>();
    ASSERT_NE(player, nullptr);
    ASSERT_GT(slow.StepUntil([&] { return !player->IsSpawning(); }, SLOW_FRAMES_PER_SECOND * 2), 0);
    const float x = robot->position.x;

    slow.Hold({GameplayHarness::Letter('W')});
    const int frames = slow.StepUntil([&] { return robot->position.z <= 2.5f; }, SLOW_FRAMES_PER_SECOND * 3);
    EXPECT_GT(frames, 0) << "stopped at z " << robot->position.z;
    EXPECT_NEAR(robot->position.y, 1.5f, 0.05f);
    EXPECT_NEAR(robot->position.x, x, 0.01f);
    slow.Stop();
}

TEST_F(MovementInProcessTest, ACrateCarriedAtWalkingSpeedAndSetDownStaysWhereItLands)
{
    const int up = GameplayHarness::Letter('W');
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/throw.xml"));
    GameObject* robot = game.Player();
    GameObject* crate = game.Find(CRATE);
    ASSERT_TRUE(robot && crate);
    auto* player = dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    ASSERT_NE(player, nullptr);
    ASSERT_GT(game.StepUntil([&] { return !player->IsSpawning(); }, 64), 0);

    // Up to the crate over the floor's blocks, and it is picked up.
    game.Hold({up});
    ASSERT_GT(game.StepUntil([&] { return robot->position.z - crate->position.z <= 1.2f; }, 200), 0);
    game.Hold({up, KEY_LBUTTON});
    game.Step();
    ASSERT_EQ(player->GetCarriedCrate(), crate);
    // Carried on at walking speed over three more seams, then set down
    // (right button) without stopping.
    game.Hold({up});
    game.Step(20);
    EXPECT_GE(FlatSpeed(robot), 5.0f);
    game.Hold({up, KEY_RBUTTON});
    game.Step();
    ASSERT_EQ(player->GetCarriedCrate(), nullptr);
    const glm::vec3 released = crate->position;
    game.Release();
    game.Step(64);
    const glm::vec3 rest = crate->position;
    EXPECT_NEAR(rest.y, 0.5f, 0.05f);
    EXPECT_LT(Flat(rest, released), 0.3f);
    game.Step(16);
    EXPECT_LT(glm::length(crate->position - rest), 0.01f);
}

TEST_F(MovementInProcessTest, AnEnemyPatrolsItsWaypointsOverTheSeamsOfABlockFloor)
{
    const glm::vec3 loop[3] = {glm::vec3(5.5f, 1.5f, 1.5f), glm::vec3(5.5f, 1.5f, 5.5f), glm::vec3(1.5f, 1.5f, 5.5f)};
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/patrol_blocks.xml"));
    ASSERT_GE(game.FindAll(CUBE).size(), 100u);
    GameObject* enemy = game.Find(ENEMY);
    ASSERT_NE(enemy, nullptr);
    PatrolAI& patrol = dynamic_cast<AIComponent*>(enemy->GetComponent(CT_AI))->GetPatrol();

    // One round and the start of the next, each waypoint four cells (four
    // seams) from the one before, reached before the next is chosen.
    std::vector<int> order;
    float closest = 100.0f;
    float lowest = enemy->position.y, highest = enemy->position.y;
    int last = patrol.GetWaypointIndex();
    for (int frame = 0; frame < 900 && order.size() < 4; ++frame) {
        game.Step();
        ASSERT_NE(patrol.GetRequestedState(), PatrolAI::STATE_CHASE) << frame;
        lowest = std::min(lowest, enemy->position.y);
        highest = std::max(highest, enemy->position.y);
        if (last >= 0) closest = std::min(closest, Flat(enemy->position, loop[last]));
        if (patrol.GetWaypointIndex() == last) continue;
        if (last >= 0) {
            EXPECT_LT(closest, 0.2f) << "waypoint " << last;
        }
        last = patrol.GetWaypointIndex();
        order.push_back(last);
        closest = 100.0f;
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0}));
    EXPECT_GT(lowest, 1.4f);
    EXPECT_LT(highest, 1.6f);
}

} // namespace
