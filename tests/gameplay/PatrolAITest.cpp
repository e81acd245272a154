// The patrolling robot's state machine, update by update (1/32 s), on a grid
// the test lays out: sight, turning, pauses, chasing and catching, and the
// frame's guards. No physics step runs: robots stand where the tests put them.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/quaternion.hpp>

#include "game/gameplay/PatrolAI.h"
#include "gameplay/AITestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 START(1.5f, 1.5f, 1.5f);

bool Near(const glm::vec3& a, const glm::vec3& b, float tolerance = 1e-4f) { return glm::length(a - b) <= tolerance; }

class PatrolAITest : public AITest
{
protected:
    // One update entering the decision, whose entry asks for another state:
    // the frame only takes the positions and leaves the velocity alone.
    static bool Sees(GameObject* enemy)
    {
        Patrol(enemy).Reset();
        Patrol(enemy).RequestState(PatrolAI::STATE_DECIDE);
        Think(enemy);
        return Patrol(enemy).SeesPlayer();
    }
};

TEST_F(PatrolAITest, TheRobotSeesWithinThreeAndAHalfAndThirtyDegreesOfWhereItMoves)
{
    GameObject* enemy = MakeEnemy(glm::vec3(0.0f));
    GameObject* player = MakePlayer(glm::vec3(3.0f, 0.0f, 1.0f));
    Body(enemy)->velocity = glm::vec3(3.0f, -5.0f, 0.0f);
    EXPECT_TRUE(Sees(enemy));  // distance 3.162, cosine 0.949
    MoveTo(player, glm::vec3(2.0f, 0.0f, 1.5f));
    EXPECT_FALSE(Sees(enemy));  // cosine 0.8
    MoveTo(player, glm::vec3(3.5f, 0.0f, 0.1f));
    EXPECT_FALSE(Sees(enemy));  // distance 3.501
    MoveTo(player, glm::vec3(3.5f, 0.0f, 0.0f));
    EXPECT_TRUE(Sees(enemy));
    // At the robot's very position the player is in no direction.
    MoveTo(player, glm::vec3(0.0f));
    EXPECT_FALSE(Sees(enemy));
    // Standing still (falling does not count) the robot sees nothing.
    MoveTo(player, glm::vec3(2.0f, 0.0f, 0.0f));
    Body(enemy)->velocity = glm::vec3(0.0f, -5.0f, 0.0f);
    EXPECT_FALSE(Sees(enemy));

    // No main player, a slot whose object went back to the pool, a slot
    // holding something else: nothing to see.
    Body(enemy)->velocity = glm::vec3(3.0f, 0.0f, 0.0f);
    System::GetInstance()->playerOne = nullptr;
    EXPECT_FALSE(Sees(enemy));
    System::GetInstance()->playerOne = player;
    player->flags &= ~OBJ_ALIVE;
    EXPECT_FALSE(Sees(enemy));
    player->flags |= OBJ_ALIVE;
    System::GetInstance()->playerOne = Make(CRATE, player->position);
    EXPECT_FALSE(Sees(enemy));
}

TEST_F(PatrolAITest, TheRobotTurnsThirtyUpdatesTowardAStepAlongZAndAsksToWalkOnTheThirtyFirst)
{
    Floor(8, 8);
    GameObject* enemy = MakeEnemy(START, {glm::vec3(1.5f, 1.5f, 2.5f)});
    PatrolAI& patrol = Patrol(enemy);
    ASSERT_TRUE(Near(patrol.Facing(), glm::vec3(1.0f, 0.0f, 0.0f)));
    Think(enemy);  // 0 asks for 2
    for (int update = 1; update <= 30; ++update) {
        enemy->flags |= OBJ_WORLD_VALID;
        Think(enemy);
        ASSERT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL) << update;
        ASSERT_EQ(enemy->flags & OBJ_WORLD_VALID, 0u) << update;
        const float angle = glm::radians(3.0f * static_cast<float>(update));
        ASSERT_TRUE(Near(patrol.Facing(), glm::vec3(std::cos(angle), 0.0f, std::sin(angle)))) << update;
    }
    EXPECT_EQ(patrol.GetStepTarget(), glm::vec3(1.5f, 1.5f, 2.5f));
    EXPECT_EQ(patrol.GetWaypointIndex(), 0);

    // The 31st finds it aligned. It also sees the player ahead (its velocity
    // set as if it still walked): the walk the turn asks for wins.
    MakePlayer(glm::vec3(1.5f, 1.5f, 4.0f));
    Body(enemy)->velocity = glm::vec3(0.0f, 0.0f, 3.0f);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_WALK);
    EXPECT_TRUE(patrol.GetPath().empty());
    // Walking at 3 straight at the step, it sees the player and chases.
    Body(enemy)->velocity = glm::vec3(0.0f, -5.0f, 0.0f);
    Think(enemy);
    EXPECT_TRUE(Near(Body(enemy)->velocity, glm::vec3(0.0f, -5.0f, 3.0f)));
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_CHASE);
    // A step straight behind lies on no side: the robot turns round at once and walks on, not backwards.
    GameObject* back = MakeEnemy(glm::vec3(3.5f, 1.5f, 6.5f), {glm::vec3(2.5f, 1.5f, 6.5f)});
    for (int update = 0; update < 2; ++update) Think(back);
    EXPECT_EQ(Patrol(back).GetRequestedState(), PatrolAI::STATE_WALK);
    EXPECT_TRUE(Near(Patrol(back).Facing(), glm::vec3(-1.0f, 0.0f, 0.0f), 1e-3f));
}

TEST_F(PatrolAITest, OneWaypointGivesTwoTriesThenAPauseThatEndsOnItsHundredAndSixtyFirstUpdate)
{
    Floor(8, 8);
    // Standing on its only waypoint: a search from a cell to itself finds nothing.
    GameObject* enemy = MakeEnemy(START, {START});
    PatrolAI& patrol = Patrol(enemy);
    Think(enemy);
    Body(enemy)->velocity = glm::vec3(1.0f, 0.0f, 0.0f);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(patrol.GetAttempts(), 2u);
    // The entry asked for another state: the patrol's frame work was skipped.
    EXPECT_EQ(Body(enemy)->velocity, glm::vec3(1.0f, 0.0f, 0.0f));
    for (int update = 1; update <= 160; ++update) {
        Think(enemy);
        ASSERT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE) << update;
    }
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);

    // Three waypoints none can reach (off the grid, over a hole, walled off):
    // four tries; none at all: no try.
    Hole(5, 5);
    for (std::uint32_t x = 0; x < 8; ++x) Hole(x, 6);
    GameObject* lost = MakeEnemy(START, {glm::vec3(20.5f, 1.5f, 1.5f), glm::vec3(5.5f, 1.5f, 5.5f),
                                         glm::vec3(3.5f, 1.5f, 7.5f)});
    Think(lost, 2);
    EXPECT_EQ(Patrol(lost).GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(Patrol(lost).GetAttempts(), 4u);
    EXPECT_EQ(Patrol(lost).GetWaypointIndex(), 0);
    GameObject* idle = MakeEnemy(START);
    Think(idle, 2);
    EXPECT_EQ(Patrol(idle).GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(Patrol(idle).GetAttempts(), 0u);
}

TEST_F(PatrolAITest, AChaseWalksAFreshPathAndCatchesWithACheckpointOrGivesUp)
{
    Floor(8, 8);
    System::GetInstance()->audioManager->LoadSound(PatrolAI::ALERT_SOUND);
    GameObject* enemy = MakeEnemy(START);
    GameObject* player = MakePlayer(glm::vec3(4.5f, 1.5f, 1.5f));
    PatrolAI& patrol = Patrol(enemy);
    store->Save(CheckpointActivation{});
    const int sounds = Audio()->CountCalls("PlaySound");
    patrol.RequestState(PatrolAI::STATE_CHASE);
    Think(enemy);
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), sounds + 1);
    EXPECT_EQ(Graphics(enemy)->GetTextureName(), "enemy_red");
    EXPECT_EQ(patrol.GetStepTarget(), glm::vec3(2.5f, 1.5f, 1.5f));
    EXPECT_EQ(patrol.GetPath().size(), 2u);

    // On the step itself: no direction, so no sideways velocity (never NaN).
    MoveTo(enemy, patrol.GetStepTarget());
    Body(enemy)->velocity = glm::vec3(3.0f, -1.0f, 0.0f);
    Think(enemy);
    EXPECT_EQ(Body(enemy)->velocity, glm::vec3(0.0f, -1.0f, 0.0f));
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_DECIDE);
    Think(enemy);  // the player is near: chase on
    Think(enemy);
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), sounds + 2);

    // Exactly 1.0 away is not a catch; the bodies touching there (head on,
    // at a low frame rate) are, at the next update; 0.99 is, and the
    // checkpoint comes back.
    MoveTo(player, enemy->position + glm::vec3(1.0f, 0.0f, 0.0f));
    Think(enemy);
    EXPECT_NE(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    AI(enemy)->OnCollision(player);
    EXPECT_EQ(gsm.GetRequestedState(), gsm.GetCurrentState());
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_NE(LogEntry("1.00 away (their bodies touched)"), "");
    patrol.RequestState(PatrolAI::STATE_CHASE);
    MoveTo(player, enemy->position + glm::vec3(0.99f, 0.0f, 0.0f));
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(player->position, glm::vec3(4.5f, 1.5f, 1.5f));
    const std::string entry = LogEntry("Using checkpoint since caught by AI");
    EXPECT_NE(entry.find("|QRX::PatrolAI::OnUpdate]"), std::string::npos) << entry;
    EXPECT_NE(entry.find("INFO"), std::string::npos) << entry;
    EXPECT_EQ(gsm.GetCurrentState(), STATE_SPLASH);

    // The caught robot stands still through its pause, whatever speed it
    // carried: the floor alone would let it slide on.
    Body(enemy)->velocity = glm::vec3(3.0f, -1.0f, 2.0f);
    Think(enemy);
    EXPECT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(Body(enemy)->velocity, glm::vec3(0.0f, -1.0f, 0.0f));
    Body(enemy)->velocity.x = 1.0f;
    Think(enemy);
    EXPECT_EQ(Body(enemy)->velocity, glm::vec3(0.0f, -1.0f, 0.0f));

    // During the pause, a player where no path leads: the chase ends at its
    // entry.
    Hole(6, 3);
    MoveTo(player, glm::vec3(6.5f, 1.5f, 3.5f));
    patrol.RequestState(PatrolAI::STATE_CHASE);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);
    EXPECT_NE(LogEntry("finds no way to the robot at (6.50, 1.50, 3.50)"), "");
}

TEST_F(PatrolAITest, ACatchWithoutACheckpointReloadsAndTheRobotTouchesNothingAfterwards)
{
    LoadLevel("patrol.xml");
    GameObject* enemy = All(ENEMY).at(0);
    GameObject* player = All(PLAYER).at(0);
    System::GetInstance()->playerOne = player;
    MoveTo(player, enemy->position + glm::vec3(2.0f, 0.0f, 0.0f));
    Patrol(enemy).RequestState(PatrolAI::STATE_CHASE);
    AI(enemy)->Update();
    // Outside the level's update the reload runs at once, inside the robot's
    // own update: its objects are gone when the call returns.
    MoveTo(player, enemy->position + glm::vec3(0.5f, 0.0f, 0.0f));
    AI(enemy)->Update();
    EXPECT_NE(LogEntry("Reloading since caught by AI").find("|QRX::PatrolAI::OnUpdate]"), std::string::npos);
    EXPECT_EQ(System::GetInstance()->playerOne, nullptr);  // the bare robot names no main player
    EXPECT_EQ(All(PLAYER).at(0)->position.x, 9.5f);
    EXPECT_EQ(Patrol(All(ENEMY).at(0)).GetWaypointIndex(), -1);
}

TEST_F(PatrolAITest, FallsMissingPartsAndAMissingPlayerAreGuarded)
{
    Floor(8, 8);
    // At -5 the robot stays; below, it is marked and the frame goes on.
    GameObject* enemy = MakeEnemy(glm::vec3(1.5f, -5.0f, 1.5f), {glm::vec3(4.5f, 1.5f, 1.5f)});
    Body(enemy)->flags |= BODY_CAN_SLEEP;
    Think(enemy);
    EXPECT_FALSE(Marked(enemy));
    EXPECT_EQ(Body(enemy)->flags & BODY_CAN_SLEEP, 0u);
    MoveTo(enemy, glm::vec3(1.5f, -5.01f, 1.5f));
    Think(enemy);
    EXPECT_TRUE(Marked(enemy));
    EXPECT_EQ(Patrol(enemy).GetCurrentState(), PatrolAI::STATE_PATROL);

    // Without a main player a chase asked from outside ends at its entry,
    // and a decision goes back to patrolling.
    Patrol(enemy).RequestState(PatrolAI::STATE_CHASE);
    Think(enemy);
    EXPECT_EQ(Patrol(enemy).GetRequestedState(), PatrolAI::STATE_PATROL);
    Patrol(enemy).RequestState(PatrolAI::STATE_DECIDE);
    Think(enemy);
    EXPECT_EQ(Patrol(enemy).GetRequestedState(), PatrolAI::STATE_PATROL);

    // Without a body and a graphics component every state still runs.
    GameObject* bare = MakeEnemy(START, {glm::vec3(4.5f, 1.5f, 1.5f)});
    bare->RemoveComponent(CT_PHYSICS);
    bare->RemoveComponent(CT_GRAPHICS);
    MakePlayer(glm::vec3(2.5f, 1.5f, 1.5f));
    for (int state = PatrolAI::STATE_START; state <= PatrolAI::STATE_PAUSE; ++state) {
        Patrol(bare).RequestState(state);
        Think(bare, 3);
    }
    EXPECT_EQ(bare->position, START);
    // A component that never had its Init does nothing.
    GameObject* inert = Make(ENEMY, START);
    Think(inert, 3);
    EXPECT_EQ(Patrol(inert).GetRequestedState(), PatrolAI::STATE_START);
}

} // namespace
