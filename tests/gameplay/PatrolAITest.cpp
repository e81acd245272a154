// The patrolling robot's state machine, update by update (1/32 s), on a grid
// the test lays out: sight, turning, choosing waypoints, pausing, chasing
// and catching, and the frame's guards (falling, no player, missing parts).
// No physics step runs: the robots stand where the tests put them.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/quaternion.hpp>

#include "engine/graphics/GraphicsComponent.h"
#include "game/gameplay/PatrolAI.h"
#include "gameplay/AITestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 UP(0.0f, 1.0f, 0.0f);
const glm::vec3 START(1.5f, 1.5f, 1.5f);

bool Near(const glm::vec3& a, const glm::vec3& b, float tolerance = 1e-4f)
{
    return glm::length(a - b) <= tolerance;
}

bool Finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

class PatrolAITest : public AITest
{
protected:
    // One update in the pause state: the frame's positions are taken and
    // nothing moves or turns.
    static void Look(GameObject* enemy)
    {
        Patrol(enemy).Reset();
        Patrol(enemy).RequestState(PatrolAI::STATE_PAUSE);
        Think(enemy);
    }
    // One update; a walking robot is first put on its step target, as if
    // it had walked there.
    static void WalkOn(GameObject* enemy)
    {
        if (Patrol(enemy).GetCurrentState() == PatrolAI::STATE_WALK) MoveTo(enemy, Patrol(enemy).GetStepTarget());
        Think(enemy);
    }
    static void Face(GameObject* enemy, float yawDegrees)
    {
        enemy->rotation = glm::angleAxis(glm::radians(yawDegrees), UP);
    }
};

TEST_F(PatrolAITest, TheRobotSeesWithinThreeAndAHalfAndThirtyDegreesOfWhereItMoves)
{
    GameObject* enemy = MakeEnemy(glm::vec3(0.0f));
    GameObject* player = MakePlayer(glm::vec3(3.0f, 0.0f, 1.0f));
    Body(enemy)->velocity = glm::vec3(3.0f, 0.0f, 0.0f);
    const PatrolAI& patrol = Patrol(enemy);

    Look(enemy);  // distance 3.162, cosine 0.949
    EXPECT_TRUE(patrol.SeesPlayer());
    MoveTo(player, glm::vec3(2.0f, 0.0f, 1.5f));  // cosine 0.8
    Look(enemy);
    EXPECT_FALSE(patrol.SeesPlayer());
    MoveTo(player, glm::vec3(3.5f, 0.0f, 0.1f));  // distance 3.501
    Look(enemy);
    EXPECT_FALSE(patrol.SeesPlayer());
    MoveTo(player, glm::vec3(3.5f, 0.0f, 0.0f));  // exactly 3.5 ahead
    Look(enemy);
    EXPECT_TRUE(patrol.SeesPlayer());

    // Only the horizontal motion counts; standing still sees nothing.
    Body(enemy)->velocity = glm::vec3(0.0f, -5.0f, 0.0f);
    Look(enemy);
    EXPECT_FALSE(patrol.SeesPlayer());
    Body(enemy)->velocity = glm::vec3(3.0f, -5.0f, 0.0f);
    Look(enemy);
    EXPECT_TRUE(patrol.SeesPlayer());

    // A player at the robot's very position is no direction at all.
    MoveTo(player, enemy->position);
    Look(enemy);
    EXPECT_FALSE(patrol.SeesPlayer());

    // No main player, a slot whose object went back to the pool, a slot
    // holding something else: nothing to see.
    MoveTo(player, glm::vec3(2.0f, 0.0f, 0.0f));
    Look(enemy);
    EXPECT_TRUE(patrol.SeesPlayer());
    System::GetInstance()->playerOne = nullptr;
    Look(enemy);
    EXPECT_FALSE(patrol.SeesPlayer());
    System::GetInstance()->playerOne = player;
    player->flags &= ~OBJ_ALIVE;
    Look(enemy);
    EXPECT_FALSE(patrol.SeesPlayer());
    player->flags |= OBJ_ALIVE;
    GameObject* crate = Make(CRATE, glm::vec3(2.0f, 0.0f, 0.0f));
    System::GetInstance()->playerOne = crate;
    Look(enemy);
    EXPECT_FALSE(patrol.SeesPlayer());
}

TEST_F(PatrolAITest, TheRobotTurnsThreeDegreesAnUpdateAndWalksOnceItFacesTheStep)
{
    Floor(8, 8);
    GameObject* enemy = MakeEnemy(START, {glm::vec3(1.5f, 1.5f, 2.5f)});
    PatrolAI& patrol = Patrol(enemy);
    ASSERT_TRUE(Near(patrol.Facing(), glm::vec3(1.0f, 0.0f, 0.0f)));

    Think(enemy);  // 0 asks for 2
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);
    for (int update = 1; update <= 30; ++update) {
        enemy->flags |= OBJ_WORLD_VALID;
        Think(enemy);
        ASSERT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_PATROL) << update;
        ASSERT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL) << update;
        ASSERT_EQ(enemy->flags & OBJ_WORLD_VALID, 0u) << update;
        const float angle = glm::radians(3.0f * static_cast<float>(update));
        ASSERT_TRUE(Near(patrol.Facing(), glm::vec3(std::cos(angle), 0.0f, std::sin(angle)))) << update;
    }
    EXPECT_EQ(patrol.GetPath().size(), 1u);
    EXPECT_EQ(patrol.GetStepTarget(), glm::vec3(1.5f, 1.5f, 2.5f));

    // The 31st update finds it aligned: the step leaves the path and 1 follows.
    enemy->flags |= OBJ_WORLD_VALID;
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_WALK);
    EXPECT_TRUE(patrol.GetPath().empty());
    EXPECT_NE(enemy->flags & OBJ_WORLD_VALID, 0u);
    EXPECT_TRUE(Near(patrol.Facing(), glm::vec3(0.0f, 0.0f, 1.0f), 1e-3f));

    // Walking: 3 units a second straight at the step, y left alone; within
    // 0.1 of it the robot asks for 2 again.
    Body(enemy)->velocity = glm::vec3(0.0f, -5.0f, 0.0f);
    Think(enemy);
    EXPECT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_WALK);
    EXPECT_TRUE(Near(Body(enemy)->velocity, glm::vec3(0.0f, -5.0f, 3.0f)));
    MoveTo(enemy, glm::vec3(1.5f, 1.5f, 2.39f));
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_WALK);
    MoveTo(enemy, glm::vec3(1.5f, 1.5f, 2.45f));
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);
}

TEST_F(PatrolAITest, OnlyTheFirstFrameOfATurnCanSpotThePlayerAndAnEndedTurnWins)
{
    Floor(8, 8);
    // Facing +x, the step along +z, still carrying a walking velocity along
    // +z with the player ahead: the first turning frame sees it.
    GameObject* enemy = MakeEnemy(START, {glm::vec3(1.5f, 1.5f, 2.5f)});
    GameObject* player = MakePlayer(glm::vec3(1.5f, 1.5f, 4.5f));
    PatrolAI& patrol = Patrol(enemy);
    Think(enemy);
    Body(enemy)->velocity = glm::vec3(0.0f, 0.0f, 3.0f);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_CHASE);
    EXPECT_EQ(Body(enemy)->velocity, glm::vec3(0.0f));

    // Standing, the later frames of the turn see nothing.
    patrol.RequestState(PatrolAI::STATE_PATROL);
    for (int update = 0; update < 10; ++update) {
        Think(enemy);
        ASSERT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL) << update;
    }

    // Already facing the step: the turn ends on the frame that spots the
    // player, and the walk it asks for overrides the chase.
    Face(enemy, -90.0f);
    MoveTo(player, glm::vec3(1.5f, 1.5f, 4.5f));
    patrol.Reset();
    Think(enemy);
    Body(enemy)->velocity = glm::vec3(0.0f, 0.0f, 3.0f);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_WALK);
    // Walking, it sees the player and gives chase.
    Think(enemy);
    EXPECT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_WALK);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_CHASE);
}

TEST_F(PatrolAITest, TheLoopStartsAtTheFirstWaypointAndGoesOnInOrder)
{
    Floor(8, 8);
    const std::vector<glm::vec3> loop = {glm::vec3(4.5f, 1.5f, 1.5f), glm::vec3(4.5f, 1.5f, 4.5f),
                                         glm::vec3(1.5f, 1.5f, 4.5f)};
    GameObject* enemy = MakeEnemy(START, loop);
    PatrolAI& patrol = Patrol(enemy);
    EXPECT_EQ(patrol.GetWaypointIndex(), -1);
    Think(enemy, 2);
    EXPECT_EQ(patrol.GetWaypointIndex(), 0);
    EXPECT_EQ(patrol.GetAttempts(), 1u);
    EXPECT_EQ(patrol.GetGoal(), loop[0]);
    // Already facing the first of three steps: it takes that one off at once.
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_WALK);
    ASSERT_EQ(patrol.GetPath().size(), 2u);
    EXPECT_EQ(patrol.GetPath().back(), glm::vec3(4.5f, 1.0f, 1.5f));

    // At the end of each path the next waypoint of the loop follows, and
    // after the last one the first again; each is chosen where the one
    // before was reached.
    std::vector<int> order;
    std::vector<glm::vec3> chosenAt;
    int last = patrol.GetWaypointIndex();
    for (int update = 0; update < 2000 && order.size() < 3; ++update) {
        WalkOn(enemy);
        if (patrol.GetWaypointIndex() == last) continue;
        last = patrol.GetWaypointIndex();
        order.push_back(last);
        chosenAt.push_back(enemy->position);
    }
    ASSERT_EQ(order, (std::vector<int>{1, 2, 0}));
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(Near(chosenAt[i], loop[i])) << i;
}

} // namespace
