// The patrolling enemy in the running engine (every frame 1/32 s): it walks
// its waypoints in order on one floor block, and when it sees the robot it
// chases and catches it: the level reloads after the frame's update, or the
// last checkpoint is restored and the enemy pauses before it patrols again.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/AIComponent.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"
#include "support/TestEnv.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

const glm::vec3 START(1.5f, 1.5f, 1.5f);
const glm::vec3 LOOP[3] = {glm::vec3(5.5f, 1.5f, 1.5f), glm::vec3(5.5f, 1.5f, 5.5f), glm::vec3(1.5f, 1.5f, 5.5f)};

float Flat(const glm::vec3& a, const glm::vec3& b) { return glm::length(glm::vec2(a.x - b.x, a.z - b.z)); }

class PatrolAIInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    GameObject* Enemy() const { return game.Find(ENEMY); }
    static PatrolAI& Patrol(GameObject* enemy)
    {
        return dynamic_cast<AIComponent*>(enemy->GetComponent(CT_AI))->GetPatrol();
    }
    std::string LogPage() const { return TestSupport::ReadFile(game.GetSystem()->logger->GetPath()); }
    // Puts the robot down at a spot, at rest.
    void Place(GameObject* robot, const glm::vec3& at) const
    {
        robot->position = robot->previousPosition = at;
        robot->flags &= ~OBJ_WORLD_VALID;
        GetPhysicsComponent(robot)->velocity = glm::vec3(0.0f);
    }
    // Steps until the enemy walks toward the second waypoint, then puts the
    // robot 2.5 ahead of it, in plain sight.
    void ShowRobotAhead()
    {
        ASSERT_GT(game.StepUntil(
                      [&] {
                          const PatrolAI& patrol = Patrol(Enemy());
                          return patrol.GetWaypointIndex() == 1 && patrol.GetCurrentState() == PatrolAI::STATE_WALK &&
                                 Enemy()->position.z > 2.0f;
                      },
                      400),
                  0);
        Place(game.Player(), Enemy()->position + glm::vec3(0.0f, 0.0f, 2.5f));
    }

    GameplayHarness game;
};

TEST_F(PatrolAIInProcessTest, TheEnemyWalksItsWaypointsInOrderAndACatchReloadsTheLevel)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/patrol.xml"));
    ASSERT_NE(game.Player(), nullptr);
    GameObject* enemy = Enemy();
    ASSERT_NE(enemy, nullptr);
    PatrolAI& patrol = Patrol(enemy);
    ASSERT_EQ(patrol.GetWaypoints().size(), 3u);

    // One round and the start of the next: the waypoints in list order, each
    // reached (within the 0.1 the walk allows, plus a frame's step) before
    // the next is chosen.
    std::vector<int> order;
    float closest = 100.0f;
    int last = patrol.GetWaypointIndex();
    for (int frame = 0; frame < 900 && order.size() < 4; ++frame) {
        game.Step();
        ASSERT_NE(patrol.GetRequestedState(), PatrolAI::STATE_CHASE) << frame;
        if (last >= 0) closest = std::min(closest, Flat(enemy->position, LOOP[last]));
        if (patrol.GetWaypointIndex() == last) continue;
        if (last >= 0) {
            EXPECT_LT(closest, 0.2f) << "waypoint " << last;
        }
        last = patrol.GetWaypointIndex();
        order.push_back(last);
        closest = 100.0f;
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0}));
    EXPECT_LT(enemy->position.y, 1.6f);
    EXPECT_GT(enemy->position.y, 1.0f);

    // The view cone while it walks: three lines, two of them 3.5 long from
    // the robot.
    ShowRobotAhead();
    Renderer* renderer = game.GetSystem()->renderer;
    const size_t queued = renderer->GetLineQueue().size();
    Place(game.Player(), glm::vec3(9.5f, 1.5f, 9.5f));
    dynamic_cast<AIComponent*>(enemy->GetComponent(CT_AI))->Update();
    ASSERT_EQ(renderer->GetLineQueue().size(), queued + 3);
    for (size_t i = queued; i < queued + 3; ++i) {
        const QueuedLine& line = renderer->GetLineQueue()[i];
        EXPECT_EQ(line.colour, glm::vec4(1.0f, 0.0f, 0.0f, 0.7f));
        EXPECT_EQ(line.width, 5.0f);
        if (i < queued + 2) {
            EXPECT_NEAR(glm::length(line.to - line.from), 3.5f, 1e-4f);
        }
    }

    // Seen, chased and caught: the reload runs once the frame's update has
    // returned, and the level is as its file has it.
    ShowRobotAhead();
    ASSERT_GT(game.StepUntil([&] { return patrol.GetCurrentState() == PatrolAI::STATE_CHASE; }, 8), 0);
    auto* graphics = dynamic_cast<GraphicsComponent*>(enemy->GetComponent(CT_GRAPHICS));
    EXPECT_EQ(graphics->GetTextureName(), "enemy_red");
    const int frames = game.StepUntil(
        [&] { return LogPage().find("Reloading since caught by AI") != std::string::npos; }, 120);
    ASSERT_GT(frames, 0);
    EXPECT_EQ(TestSupport::Count(LogPage(), "Reloading since caught by AI"), 1u);
    ASSERT_EQ(game.FindAll(ENEMY).size(), 1u);
    enemy = Enemy();
    EXPECT_EQ(Flat(enemy->position, START), 0.0f);
    EXPECT_EQ(Patrol(enemy).GetCurrentState(), PatrolAI::STATE_START);
    EXPECT_EQ(Patrol(enemy).GetWaypointIndex(), -1);
    ASSERT_NE(game.Player(), nullptr);
    EXPECT_EQ(Flat(game.Player()->position, glm::vec3(9.5f, 1.5f, 9.5f)), 0.0f);
    // And the new round begins at the first waypoint.
    game.Step(3);
    EXPECT_EQ(Patrol(enemy).GetWaypointIndex(), 0);
}

TEST_F(PatrolAIInProcessTest, TheEnemysModelLooksWhereItWalks)
{
    // The robot model looks along its local -x (as the player's robot does):
    // every frame the enemy walks a leg of its loop, that front is the way
    // it goes, and it faces +x before its first turn.
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/patrol.xml"));
    GameObject* enemy = Enemy();
    ASSERT_NE(enemy, nullptr);
    PatrolAI& patrol = Patrol(enemy);
    EXPECT_LT(glm::length(FacingFromRotation(enemy->rotation) - glm::vec3(1.0f, 0.0f, 0.0f)), 1e-4f);
    int walking = 0;
    std::vector<int> legs;
    for (int frame = 0; frame < 900 && legs.size() < 4; ++frame) {
        game.Step();
        const int leg = patrol.GetWaypointIndex();
        if (leg >= 0 && (legs.empty() || legs.back() != leg)) legs.push_back(leg);
        const glm::vec3& v = GetPhysicsComponent(enemy)->velocity;
        const glm::vec3 heading(v.x, 0.0f, v.z);
        if (patrol.GetCurrentState() != PatrolAI::STATE_WALK || glm::length(heading) < 2.9f) continue;
        ++walking;
        const glm::vec3 front = FacingFromRotation(enemy->rotation);
        ASSERT_GT(glm::dot(front, glm::normalize(heading)), 0.99f) << "frame " << frame;
        ASSERT_GT(glm::dot(patrol.Facing(), front), 0.9999f) << "frame " << frame;
    }
    EXPECT_EQ(legs, (std::vector<int>{0, 1, 2, 0}));
    EXPECT_GT(walking, 100);
}

TEST_F(PatrolAIInProcessTest, ACatchAfterACheckpointRestoresItAndTheEnemyPausesThenPatrols)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/patrol_checkpoint.xml"));
    ASSERT_NE(game.Player(), nullptr);
    game.Step(2);
    ASSERT_TRUE(game.GetSystem()->checkpointStore->HasCheckpoint());
    GameObject* enemy = Enemy();
    PatrolAI& patrol = Patrol(enemy);

    ShowRobotAhead();
    ASSERT_GT(game.StepUntil([&] { return patrol.GetCurrentState() == PatrolAI::STATE_PAUSE; }, 120), 0);
    EXPECT_EQ(TestSupport::Count(LogPage(), "Using checkpoint since caught by AI"), 1u);
    EXPECT_EQ(LogPage().find("Reloading since caught by AI"), std::string::npos);
    EXPECT_EQ(Enemy(), enemy);
    // The robot is back where it reached the checkpoint.
    EXPECT_LT(Flat(game.Player()->position, glm::vec3(9.5f, 1.5f, 9.5f)), 0.1f);

    // Five seconds of pause standing still (the chase's walking speed does
    // not carry it on), then the patrol goes on from where it stands.
    const glm::vec3 paused = enemy->position;
    const int frames = game.StepUntil([&] { return patrol.GetCurrentState() != PatrolAI::STATE_PAUSE; }, 200);
    EXPECT_GE(frames, 160);
    EXPECT_LE(frames, 162);
    EXPECT_LT(Flat(enemy->position, paused), 0.05f);
    EXPECT_GT(enemy->position.y, 1.0f);
    ASSERT_GT(game.StepUntil([&] { return patrol.GetCurrentState() == PatrolAI::STATE_WALK; }, 100), 0);
    game.Step(16);
    EXPECT_GT(Flat(enemy->position, paused), 0.5f);
}

} // namespace
