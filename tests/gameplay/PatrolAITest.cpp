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

TEST_F(PatrolAITest, OneWaypointGivesTwoTriesThenAPauseThatEndsOnItsHundredAndSixtyFirstUpdate)
{
    Floor(8, 8);
    // Standing on its only waypoint: the search from a cell to itself finds nothing.
    GameObject* enemy = MakeEnemy(START, {START});
    PatrolAI& patrol = Patrol(enemy);
    Think(enemy);
    Body(enemy)->velocity = glm::vec3(1.0f, 0.0f, 0.0f);
    Think(enemy);
    EXPECT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_PATROL);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(patrol.GetAttempts(), 2u);
    EXPECT_EQ(patrol.GetWaypointIndex(), 0);
    // The entry asked for another state: the patrol's frame work was skipped.
    EXPECT_EQ(Body(enemy)->velocity, glm::vec3(1.0f, 0.0f, 0.0f));

    for (int update = 1; update <= 160; ++update) {
        Think(enemy);
        ASSERT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_PAUSE) << update;
        ASSERT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE) << update;
    }
    EXPECT_DOUBLE_EQ(patrol.GetPauseTimer(), 5.0);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);
    // And again: two tries, a fresh pause.
    Think(enemy);
    EXPECT_EQ(patrol.GetAttempts(), 2u);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    Think(enemy);
    EXPECT_DOUBLE_EQ(patrol.GetPauseTimer(), 1.0 / 32.0);
}

TEST_F(PatrolAITest, WithoutAReachableWaypointTheRobotTriesEachOnceAndTheFirstTwice)
{
    Floor(8, 8);
    Hole(5, 5);
    // Off the grid, over a hole, and walled off by holes.
    for (std::uint32_t x = 0; x < 8; ++x) Hole(x, 6);
    const std::vector<glm::vec3> loop = {glm::vec3(20.5f, 1.5f, 1.5f), glm::vec3(5.5f, 1.5f, 5.5f),
                                         glm::vec3(3.5f, 1.5f, 7.5f)};
    GameObject* enemy = MakeEnemy(START, loop);
    PatrolAI& patrol = Patrol(enemy);
    Think(enemy, 2);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(patrol.GetAttempts(), 4u);
    EXPECT_EQ(patrol.GetWaypointIndex(), 0);
    EXPECT_TRUE(patrol.GetPath().empty());

    // No waypoints at all: a pause without a try.
    GameObject* idle = MakeEnemy(glm::vec3(2.5f, 1.5f, 2.5f));
    Think(idle, 2);
    EXPECT_EQ(Patrol(idle).GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(Patrol(idle).GetAttempts(), 0u);

    // A robot resting at layer 0 has no floor layer below it to search.
    GameObject* low = MakeEnemy(glm::vec3(1.5f, 0.9f, 1.5f), {glm::vec3(4.5f, 0.9f, 1.5f)});
    Think(low, 2);
    EXPECT_EQ(Patrol(low).GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(Patrol(low).GetAttempts(), 2u);

    // The last of the loop reachable: after its walk the loop is replaced by
    // a shorter one (as the level editor does), and the choice wraps to its
    // first waypoint.
    patrol.SetWaypoints({loop[0], loop[1], glm::vec3(1.5f, 1.5f, 3.5f)});
    Think(enemy);
    patrol.RequestState(PatrolAI::STATE_PATROL);
    Think(enemy);
    EXPECT_EQ(patrol.GetWaypointIndex(), 2);
    EXPECT_EQ(patrol.GetAttempts(), 2u);
    patrol.RequestState(PatrolAI::STATE_PAUSE);
    Think(enemy);
    EXPECT_TRUE(patrol.GetPath().empty());
    patrol.SetWaypoints({glm::vec3(4.5f, 1.5f, 1.5f)});
    patrol.RequestState(PatrolAI::STATE_PATROL);
    Think(enemy);
    EXPECT_EQ(patrol.GetWaypointIndex(), 0);
    EXPECT_EQ(patrol.GetGoal(), glm::vec3(4.5f, 1.5f, 1.5f));
    EXPECT_FALSE(patrol.GetPath().empty());
}

TEST_F(PatrolAITest, AChaseFollowsAFreshPathToThePlayerAndGivesUpWhenItIsFar)
{
    Floor(8, 8);
    System::GetInstance()->audioManager->LoadSound(PatrolAI::ALERT_SOUND);
    GameObject* enemy = MakeEnemy(START, {glm::vec3(6.5f, 1.5f, 6.5f)});
    GameObject* player = MakePlayer(glm::vec3(4.5f, 1.5f, 1.5f));
    PatrolAI& patrol = Patrol(enemy);
    const int sounds = Audio()->CountCalls("PlaySound");

    patrol.RequestState(PatrolAI::STATE_CHASE);
    Think(enemy);
    EXPECT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_CHASE);
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), sounds + 1);
    EXPECT_EQ(Graphics(enemy)->GetTextureName(), "enemy_red");
    EXPECT_EQ(patrol.GetGoal(), player->position);
    EXPECT_EQ(patrol.GetStepTarget(), glm::vec3(2.5f, 1.5f, 1.5f));
    ASSERT_EQ(patrol.GetPath().size(), 2u);
    EXPECT_EQ(patrol.GetPath().back(), glm::vec3(4.5f, 1.0f, 1.5f));
    EXPECT_TRUE(Near(Body(enemy)->velocity, glm::vec3(3.0f, 0.0f, 0.0f)));

    // Within 0.5 of the step, 4; the player still near: 3 again, with the
    // sound and a new path from where the robot stands.
    MoveTo(enemy, glm::vec3(2.1f, 1.5f, 1.5f));
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_DECIDE);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_CHASE);
    Think(enemy);
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), sounds + 2);
    EXPECT_EQ(patrol.GetStepTarget(), glm::vec3(3.5f, 1.5f, 1.5f));
    EXPECT_EQ(patrol.GetPath().size(), 1u);

    // On the step itself there is no direction: no sideways velocity, no NaN.
    MoveTo(enemy, patrol.GetStepTarget());
    Body(enemy)->velocity = glm::vec3(3.0f, -1.0f, 0.0f);
    Think(enemy);
    EXPECT_EQ(Body(enemy)->velocity, glm::vec3(0.0f, -1.0f, 0.0f));
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_DECIDE);

    // The player gone far: back to patrolling along what is left of the
    // chase path before the loop's waypoint is planned.
    MoveTo(player, glm::vec3(7.5f, 1.5f, 7.5f));
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);
    Think(enemy);
    EXPECT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_PATROL);
    EXPECT_EQ(Graphics(enemy)->GetTextureName(), "enemy");
    EXPECT_EQ(patrol.GetWaypointIndex(), -1);
    EXPECT_EQ(patrol.GetStepTarget(), glm::vec3(4.5f, 1.5f, 1.5f));
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_WALK);

    // A player standing where no path leads: the chase ends at its entry.
    Hole(6, 3);
    MoveTo(player, glm::vec3(6.5f, 1.5f, 3.5f));
    patrol.RequestState(PatrolAI::STATE_CHASE);
    Think(enemy);
    EXPECT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_CHASE);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);
    EXPECT_TRUE(patrol.GetPath().empty());
}

TEST_F(PatrolAITest, ACatchWithACheckpointRestoresItAndLogs)
{
    Floor(8, 8);
    GameObject* enemy = MakeEnemy(START);
    GameObject* player = MakePlayer(glm::vec3(4.5f, 1.5f, 1.5f));
    PatrolAI& patrol = Patrol(enemy);
    store->Save(CheckpointActivation{});
    patrol.RequestState(PatrolAI::STATE_CHASE);
    Think(enemy);

    // Exactly 1.0 away is not caught.
    MoveTo(player, START + glm::vec3(1.0f, 0.0f, 0.0f));
    Think(enemy);
    EXPECT_NE(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    MoveTo(player, START + glm::vec3(0.99f, 0.0f, 0.0f));
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PAUSE);
    EXPECT_EQ(player->position, glm::vec3(4.5f, 1.5f, 1.5f));
    const std::string entry = LogEntry("Using checkpoint since caught by AI");
    EXPECT_NE(entry.find("|QRX::PatrolAI::OnUpdate]"), std::string::npos) << entry;
    EXPECT_NE(entry.find("INFO"), std::string::npos) << entry;
    EXPECT_EQ(LogPage().find("Reloading since caught by AI"), std::string::npos);
    EXPECT_EQ(gsm.GetCurrentState(), STATE_SPLASH);
    EXPECT_TRUE(enemy->flags & OBJ_ALIVE);

    // The pause empties the path; nothing moves the robot meanwhile.
    Body(enemy)->velocity = glm::vec3(0.0f);
    Think(enemy);
    EXPECT_EQ(patrol.GetCurrentState(), PatrolAI::STATE_PAUSE);
    EXPECT_TRUE(patrol.GetPath().empty());
    EXPECT_EQ(Body(enemy)->velocity, glm::vec3(0.0f));
}

TEST_F(PatrolAITest, ACatchWithoutACheckpointReloadsTheLevelAndTouchesNothingAfter)
{
    LoadLevel("patrol.xml");
    // In the middle of a frame of the level: the reload waits for the
    // level's update to return.
    GameObject* enemy = All(ENEMY).at(0);
    GameObject* player = All(PLAYER).at(0);
    System::GetInstance()->playerOne = player;
    MoveTo(player, enemy->position + glm::vec3(2.0f, 0.0f, 0.0f));
    Patrol(enemy).RequestState(PatrolAI::STATE_CHASE);
    Frame();
    ASSERT_EQ(Patrol(enemy).GetCurrentState(), PatrolAI::STATE_CHASE);
    MoveTo(player, enemy->position + glm::vec3(0.5f, 0.0f, 0.0f));
    Frame();
    EXPECT_EQ(TestSupport::Count(LogPage(), "Reloading since caught by AI"), 1u);
    EXPECT_NE(LogEntry("Reloading since caught by AI").find("|QRX::PatrolAI::OnUpdate]"), std::string::npos);
    EXPECT_EQ(gsm.GetCurrentState(), STATE_FREELOAD);
    // The level came back as its file has it (the bare robot names no main player).
    EXPECT_EQ(System::GetInstance()->playerOne, nullptr);
    enemy = All(ENEMY).at(0);
    player = All(PLAYER).at(0);
    EXPECT_EQ(Patrol(enemy).GetCurrentState(), PatrolAI::STATE_START);
    EXPECT_EQ(Patrol(enemy).GetWaypointIndex(), -1);
    EXPECT_EQ(player->position.x, 9.5f);

    // Outside the level's update the reload runs at once, inside the robot's
    // own update; the robot's objects are gone when it returns.
    System::GetInstance()->playerOne = player;
    MoveTo(player, enemy->position + glm::vec3(2.0f, 0.0f, 0.0f));
    Patrol(enemy).RequestState(PatrolAI::STATE_CHASE);
    AI(enemy)->Update();
    MoveTo(player, enemy->position + glm::vec3(0.5f, 0.0f, 0.0f));
    AI(enemy)->Update();
    EXPECT_EQ(TestSupport::Count(LogPage(), "Reloading since caught by AI"), 2u);
    EXPECT_EQ(System::GetInstance()->playerOne, nullptr);
    EXPECT_EQ(All(PLAYER).at(0)->position.x, 9.5f);
}

TEST_F(PatrolAITest, TheFrameGuardsFallsMissingPartsAndAMissingPlayer)
{
    Floor(8, 8);
    const std::vector<glm::vec3> loop = {glm::vec3(4.5f, 1.5f, 1.5f), glm::vec3(1.5f, 1.5f, 4.5f)};
    // At -5 the robot stays; below, it is marked and the frame goes on.
    GameObject* enemy = MakeEnemy(glm::vec3(1.5f, -5.0f, 1.5f), loop);
    Body(enemy)->flags |= BODY_CAN_SLEEP;
    Think(enemy);
    EXPECT_FALSE(Marked(enemy));
    EXPECT_EQ(Body(enemy)->flags & BODY_CAN_SLEEP, 0u);
    MoveTo(enemy, glm::vec3(1.5f, -5.01f, 1.5f));
    Think(enemy);
    EXPECT_TRUE(Marked(enemy));
    EXPECT_EQ(Patrol(enemy).GetCurrentState(), PatrolAI::STATE_PATROL);

    // Without a main player the robot never chases: a chase asked from
    // outside ends at its entry, and the decision always goes back to 2.
    MoveTo(enemy, START);
    enemy->flags &= ~OBJ_DESTROY;
    PatrolAI& patrol = Patrol(enemy);
    patrol.Reset();
    int chases = 0;
    for (int update = 0; update < 600; ++update) {
        WalkOn(enemy);
        if (patrol.GetRequestedState() == PatrolAI::STATE_CHASE) ++chases;
    }
    EXPECT_EQ(chases, 0);
    patrol.RequestState(PatrolAI::STATE_CHASE);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);
    patrol.RequestState(PatrolAI::STATE_DECIDE);
    Think(enemy);
    EXPECT_EQ(patrol.GetRequestedState(), PatrolAI::STATE_PATROL);

    // Without a body and a graphics component every state still runs.
    GameObject* bare = MakeEnemy(START, loop);
    bare->RemoveComponent(CT_PHYSICS);
    bare->RemoveComponent(CT_GRAPHICS);
    MakePlayer(glm::vec3(2.5f, 1.5f, 1.5f));
    for (int state : {PatrolAI::STATE_START, PatrolAI::STATE_WALK, PatrolAI::STATE_PATROL, PatrolAI::STATE_CHASE,
                      PatrolAI::STATE_DECIDE, PatrolAI::STATE_PAUSE}) {
        Patrol(bare).RequestState(state);
        Think(bare, 3);
    }
    EXPECT_FALSE(Patrol(bare).SeesPlayer());
    EXPECT_TRUE(Finite(bare->position));

    // A component that never had its Init does nothing.
    GameObject* inert = Make(ENEMY, START);
    Think(inert, 3);
    EXPECT_EQ(Patrol(inert).GetCurrentState(), PatrolAI::STATE_START);
    EXPECT_EQ(Patrol(inert).GetRequestedState(), PatrolAI::STATE_START);
}

} // namespace
