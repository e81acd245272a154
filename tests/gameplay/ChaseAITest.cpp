// The chasing robot in a level, frame by frame (1/32 s) with the physics
// step: it plans, walks and asks for the retry menu close to the robot;
// with no way to the robot it stands and plans again every half second.
#include <gtest/gtest.h>

#include <cmath>

#include "game/gameplay/ChaseAI.h"
#include "gameplay/AITestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

class ChaseAITest : public AITest
{
protected:
    void SetUp() override
    {
        AITest::SetUp();
        UseTestMaster("CHASER.xml");
        LoadLevel("chase.xml");
        chaser = All(ENEMY).at(0);
        player = All(PLAYER).at(0);
        System::GetInstance()->playerOne = player;
        ASSERT_NE(Chaser(chaser), nullptr);
    }
    ChaseAI& Chase() { return Chaser(chaser)->GetChase(); }
    static float Flat(const glm::vec3& a, const glm::vec3& b) { return glm::length(glm::vec2(a.x - b.x, a.z - b.z)); }

    GameObject* chaser = nullptr;
    GameObject* player = nullptr;
};

TEST_F(ChaseAITest, TheChaserPlansWalksAndAsksForTheRetryMenuCloseToTheRobot)
{
    Frame();
    EXPECT_EQ(Chase().GetRequestedState(), ChaseAI::STATE_PLAN);
    Frame();
    EXPECT_EQ(Chase().GetCurrentState(), ChaseAI::STATE_PLAN);
    EXPECT_EQ(Chase().GetRequestedState(), ChaseAI::STATE_MOVE);
    EXPECT_EQ(Chase().GetGoal(), player->position);
    EXPECT_EQ(Chase().GetStepTarget().x, 2.5f);
    EXPECT_EQ(Chase().GetStepTarget().z, 5.5f);
    EXPECT_EQ(Chase().GetPath().size(), 2u);

    const glm::vec3 start = chaser->position;
    int frames = 0;
    while (gsm.GetRequestedState() != STATE_GAMERETRYMENU && frames < 200) {
        Frame();
        ++frames;
        ASSERT_TRUE(std::isfinite(chaser->position.x) && std::isfinite(chaser->position.z));
    }
    ASSERT_LT(frames, 200);
    EXPECT_EQ(Chase().GetRequestedState(), ChaseAI::STATE_CAUGHT);
    EXPECT_NE(LogEntry("Chaser " + std::to_string(chaser->id) + " at ("), "");
    EXPECT_LT(Flat(chaser->position, player->position), ChaseAI::CATCH_DISTANCE);
    EXPECT_GT(Flat(chaser->position, start), 1.5f);
    // About two cells at 3 units a second.
    EXPECT_LT(frames, 40);
}

TEST_F(ChaseAITest, WithNoWayToTheRobotTheChaserStandsAndPlansAgainEveryHalfSecond)
{
    // The robot on the far block, across the gap: the first plan fails.
    MoveTo(player, glm::vec3(8.5f, 1.5f, 5.5f));
    Frame(2);
    EXPECT_EQ(Chase().GetCurrentState(), ChaseAI::STATE_PLAN);
    EXPECT_EQ(Chase().GetRequestedState(), ChaseAI::STATE_PLAN);
    EXPECT_TRUE(Chase().GetPath().empty());

    // The robot steps across at once: the chaser notices at its next plan,
    // when more than half a second has passed, not on the next frame.
    MoveTo(player, glm::vec3(4.5f, 1.5f, 5.5f));
    int frames = 0;
    while (Chase().GetRequestedState() != ChaseAI::STATE_MOVE && frames < 40) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 16);

    // Back across the gap: the chaser finishes its step, finds no way and
    // stands (never toward its old step target or the origin).
    MoveTo(player, glm::vec3(8.5f, 1.5f, 2.5f));
    Frame(32);
    EXPECT_EQ(Chase().GetCurrentState(), ChaseAI::STATE_PLAN);
    const glm::vec3 stand = chaser->position;
    Frame(64);
    EXPECT_LT(Flat(chaser->position, stand), 1e-3f);
    EXPECT_EQ(Body(chaser)->velocity.x, 0.0f);
    EXPECT_EQ(Body(chaser)->velocity.z, 0.0f);
    EXPECT_EQ(Chase().GetRequestedState(), ChaseAI::STATE_PLAN);

    // Without a main player nothing is planned, even toward a reachable cell.
    System::GetInstance()->playerOne = nullptr;
    MoveTo(player, glm::vec3(4.5f, 1.5f, 5.5f));
    Frame(40);
    EXPECT_EQ(Chase().GetRequestedState(), ChaseAI::STATE_PLAN);
    EXPECT_LT(Flat(chaser->position, stand), 1e-3f);
    EXPECT_NE(gsm.GetRequestedState(), STATE_GAMERETRYMENU);
}

} // namespace
