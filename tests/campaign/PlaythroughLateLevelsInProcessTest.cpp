// The last levels of the campaign played from their scripts: each
// reaches its exit with the grade its thresholds promise and a robot that
// stands still does not finish it. A fall before a checkpoint opens the
// retry menu, whose Yes restarts the level; a fall or a catch after one
// brings the robot back to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/BossComponent.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/DoorComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"
#include "support/TestEnv.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

class PlaythroughLateLevelsInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level(int number) { return *FindCampaignLevel(STATE_LEVEL1 + number - 1); }
};

TEST_F(PlaythroughLateLevelsInProcessTest, BridgesGaloreIsFinishedByPadsThatSlideTheBridgesOut)
{
    ExpectLevelCompleted(Level(9), 'A');
}

// The short cut: thrown north, the crate beside the robot lands in the exit room; without the teleport, no swap.
// A robot that walks up the bridge off its middle, past the crate it threw
// onto the pad, still steps into the north room (its picture shows); its crate taken into the shut door drops before it.
TEST_F(PlaythroughLateLevelsInProcessTest, BridgesGaloresNorthRoomIsEnteredOffTheBridgesMiddle)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(Level(9).stateId)) << run.Error();
    const KeyScript script = ScriptThen(LevelScript(Level(9)), 18, "20 A x<9.2\n150 W z<4.6\n");
    EXPECT_TRUE(run.Play(script, NoWait()).unmetLines.empty());
    EXPECT_TRUE(run.PictureShown("tutorial_bridgeexit"));
    run.Play(ScriptThen({}, 0, "60 A reach\n1 LBUTTON\n3\n80 D\n30 A\n60\n"), NoWait());
    const std::vector<GameObject*> crates = run.Game().FindAll(CRATE);
    EXPECT_EQ(1, std::count_if(crates.begin(), crates.end(), [](const GameObject* c) {
                  return c->position.x > 10.0f && c->position.x < 12.0f && std::fabs(c->position.y - 1.5f) < 0.05f; }));
}

TEST_F(PlaythroughLateLevelsInProcessTest, BridgesGaloreIsNotFinishedByStandingStillNorByAShortCut)
{
    ExpectStandingStillKeepsTheLevel(Level(9), [](Playthrough& run, const glm::vec3&) {
        run.Play(ScriptThen({}, 0, "1 W\n2\n1 LBUTTON\n3\n1 2\n3\n1 LBUTTON\n150\n1 T\n10\n60 W\n"), NoWait());
        int there = 0;  // crates in the exit room
        for (auto* crate : run.Game().FindAll(CRATE)) there += crate->position.x < 4.0f && crate->position.z < 5.0f;
        EXPECT_GE(there, 1);
        EXPECT_GT(run.Game().Player()->position.z, 9.0f) << "swapped into the exit room";
    });
}

// Off the end of the first bridge before any checkpoint: the retry menu,
// whose Yes puts the robot back at the start. Past the checkpoint, off the
// drawn-in west bridge: back at the checkpoint, with no menu.
TEST_F(PlaythroughLateLevelsInProcessTest, BridgesGaloreFallsRetryOrGoBackToTheCheckpoint)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(Level(9).stateId)) << run.Error();
    GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    const glm::vec3 start = robot->position;
    PlaythroughOptions options = NoWait();
    const KeyScript fall = ScriptThen({}, 0, "61\n70 D\n120\n");
    PlaythroughResult result = run.Play(fall, options);
    EXPECT_EQ(result.requestedState, STATE_GAMERETRYMENU);
    const std::string log = ReadFile(run.Game().GetSystem()->logger->GetPath());
    EXPECT_NE(log.find("The robot fell out of the level at ("), std::string::npos);
    GameStateManager* states = run.Game().GetSystem()->gameStateManager;
    ASSERT_EQ(states->GetCurrentState(), STATE_GAMERETRYMENU);
    ASSERT_TRUE(run.Click("btnRetryYes"));
    ASSERT_EQ(states->GetCurrentState(), Level(9).stateId);
    robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    EXPECT_EQ(robot->position, start);

    // The script up to the north room, where the checkpoint is, then west
    // along the row of the drawn-in bridge and over its edge.
    const KeyScript past = ScriptThen(LevelScript(Level(9)), 20, "2\n13 W\n2\n100 A\n200\n");
    float lowest = robot->position.y;
    options.onFrame = [&](int) { lowest = std::min(lowest, robot->position.y); };
    result = run.Play(past, options);
    EXPECT_LT(lowest, -4.0f) << "the robot never fell";
    EXPECT_TRUE(run.Game().GetSystem()->checkpointStore->HasCheckpoint());
    EXPECT_EQ(result.requestedState, STATE_NONE);
    EXPECT_EQ(states->GetCurrentState(), Level(9).stateId);
    EXPECT_NEAR(robot->position.x, 9.5f, 0.1f);
    EXPECT_GT(robot->position.z, 4.0f);
    EXPECT_LT(robot->position.z, 6.0f);
    EXPECT_NEAR(robot->position.y, 1.5f, 0.05f);

    // The robot opens the door from the switch; P shuts it at once. The
    // room's crate, thrown and then taken back by P in flight, lies still
    // where it lay, and set on the switch holds the door open.
    auto* door = run.Game().Find(DOOR)->GetComponent<DoorComponent>();
    run.Play(ScriptThen({}, 0, "60 D x>10.4\n60 W z<1.6\n60\n"), options);
    EXPECT_EQ(door->m_Progress, DoorComponent::FULL_TRAVEL);
    run.Play(ScriptThen({}, 0, "1 P\n2\n"), options);
    EXPECT_EQ(door->m_Progress, 0.0f);
    // From the checkpoint, a row south of the crate's: up into its row first.
    run.Play(ScriptThen({}, 0, "30 W z<4.6\n2\n60 A reach\n1 LBUTTON\n3\n60 D x>10.4\n1 W\n2\n1 LBUTTON\n3\n1 P\n60\n"), options);
    KeyScript setDown;  // the script's crate from the room set on the switch, the robot back south
    const KeyScript script = LevelScript(Level(9));
    setDown.lines.assign(script.lines.begin() + 20, script.lines.begin() + 29);
    run.Play(ScriptThen({}, 0, "30 W z<4.6\n2\n"), options);
    run.Play(ScriptThen(setDown, 9, "60\n"), options);
    EXPECT_GT(robot->position.z, 3.0f);
    EXPECT_EQ(door->m_Progress, DoorComponent::FULL_TRAVEL);
}

TEST_F(PlaythroughLateLevelsInProcessTest, BBBossIsBeatenByExplodingCratesSetDownAgainstIt)
{
    ExpectLevelCompleted(Level(11), 'A');
}

TEST_F(PlaythroughLateLevelsInProcessTest, BBBossIsNotBeatenByStandingStill)
{
    ExpectStandingStillKeepsTheLevel(Level(11));
}

// The fight as the script plays it: the door opens only while both
// switches are held, the boss bombs them after its open-door time so the
// door comes down between the two pairs of hits, and when it dies the exit
// stands where it stood while the door and the crate roof are gone.
TEST_F(PlaythroughLateLevelsInProcessTest, BBBossOpensTheDoorTwiceAndLeavesTheExitWhereItStood)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(Level(11).stateId)) << run.Error();
    const KeyScript script = LevelScript(Level(11));
    ASSERT_FALSE(script.lines.empty());
    ObjectManager* objects = run.Game().GetSystem()->objectManager;
    const GameObjectGroup bosses = objects->GetActiveObjectsOfType(BOSS);
    ASSERT_EQ(bosses.size(), 1u);
    const glm::vec3 bossAt = bosses[0]->position;
    const float maxHP = dynamic_cast<BossComponent*>(bosses[0]->GetComponent(CT_BOSS))->m_HP;
    // A crate settling on a switch may let the door shut for a frame or two:
    // an opening counts after the door stood shut for half a second.
    std::string changes;  // the frames the door opened (+) and shut (-)
    int openings = 0;
    int shutSince = 0;
    bool wasOpen = false;
    float lowestHPWhileShut = maxHP;
    int deathFrame = -1;
    PlaythroughOptions options = NoWait();
    options.onFrame = [&](int frame) {
        const GameObjectGroup doors = objects->GetActiveObjectsWithComponent(CT_DOOR);
        bool open = false;
        for (GameObject* door : doors) open = open || dynamic_cast<DoorComponent*>(door->GetComponent(CT_DOOR))->m_IsOpen;
        if (open && !wasOpen && frame - shutSince > Playthrough::FRAMES_PER_SECOND / 2) ++openings;
        if (!open && wasOpen) shutSince = frame;
        if (open != wasOpen) changes += (open ? " +" : " -") + std::to_string(frame);
        wasOpen = open;
        const GameObjectGroup alive = objects->GetActiveObjectsOfType(BOSS);
        if (!alive.empty() && !open)
            lowestHPWhileShut =
                std::min(lowestHPWhileShut, dynamic_cast<BossComponent*>(alive[0]->GetComponent(CT_BOSS))->m_HP);
        if (alive.empty() && deathFrame < 0) {
            deathFrame = frame;
            EXPECT_TRUE(doors.empty()) << "the door outlived the boss";
            EXPECT_TRUE(objects->GetActiveObjectsWithComponent(CT_FORCEFIELD).empty());
            const GameObjectGroup exits = objects->GetActiveObjectsOfType(EXIT_MARKER);
            ASSERT_EQ(exits.size(), 1u);
            EXPECT_FLOAT_EQ(exits[0]->position.x, bossAt.x);
            EXPECT_FLOAT_EQ(exits[0]->position.z, bossAt.z);
        }
    };
    const PlaythroughResult result = run.Play(script, options);
    EXPECT_EQ(openings, 2) << changes;
    EXPECT_GT(deathFrame, 0);
    EXPECT_TRUE(result.ExitReached());
    EXPECT_GT(result.exitFrame, deathFrame);
    // Two hits in the first opening, none while the door was down.
    EXPECT_FLOAT_EQ(lowestHPWhileShut, maxHP / 2);
}

// A slow robot: after the third hit it stays out while the door comes
// down. The weakened boss drops guards, each over the arena's floor slab
// (the first block larger than those before it), never over the unit
// blocks around it; walking into one is a catch whose retry menu's Yes
// restarts the fight.
TEST_F(PlaythroughLateLevelsInProcessTest, BBBossGuardsFallOnTheArenaAndACatchIsRetried)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(Level(11).stateId)) << run.Error();
    ObjectManager* objects = run.Game().GetSystem()->objectManager;
    GameObject* slab = objects->GetActiveObjectsOfType(CUBE).front();
    ASSERT_GT(slab->scale.x, 1.0f);
    const glm::vec3 low = slab->position - slab->scale / 2.0f, high = slab->position + slab->scale / 2.0f;
    GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    const glm::vec3 start = robot->position;

    const KeyScript script = ScriptThen(LevelScript(Level(11)), 50, "600\n");
    // Where each falling box and each guard is first seen: guards walk
    // off the slab later.
    std::set<std::int32_t> seen;
    int guards = 0;
    auto watch = [&](int) {
        for (ObjectType type : {ENEMYBOX, ENEMY}) {
            for (GameObject* object : objects->GetActiveObjectsOfType(type)) {
                if (!seen.insert(object->id).second) continue;
                guards += type == ENEMY;
                const glm::vec3 at = object->position;
                EXPECT_TRUE(at.x > low.x && at.x < high.x && at.z > low.z && at.z < high.z)
                    << ObjectTypeToString(type) << " at " << at.x << " " << at.z;
            }
        }
    };
    PlaythroughOptions options = NoWait();
    options.onFrame = watch;
    const PlaythroughResult result = run.Play(script, options);
    EXPECT_FALSE(result.ExitReached());
    EXPECT_EQ(result.requestedState, STATE_NONE);
    ASSERT_GT(guards, 0);

    // Then the robot walks at the nearest guard until it is caught: by the
    // guard's body (the retry menu) or by its chase (the level starts anew).
    GameStateManager* states = run.Game().GetSystem()->gameStateManager;
    bool restarted = false;
    for (int frame = 0; frame < 20 * Playthrough::FRAMES_PER_SECOND && !restarted &&
                        states->GetCurrentState() == Level(11).stateId;
         ++frame) {
        const GameObjectGroup near = objects->GetActiveObjectsOfType(ENEMY);
        const glm::vec3 at = run.Game().Player()->position;
        glm::vec3 to(0.0f);
        for (GameObject* guard : near)
            if (to == glm::vec3(0.0f) || glm::length(guard->position - at) < glm::length(to))
                to = guard->position - at;
        std::vector<int> keys;
        if (std::fabs(to.x) > 0.3f) keys.push_back(GameplayHarness::Letter(to.x > 0.0f ? 'D' : 'A'));
        if (std::fabs(to.z) > 0.3f) keys.push_back(GameplayHarness::Letter(to.z > 0.0f ? 'S' : 'W'));
        run.Game().Hold(keys);
        run.Game().Step();
        restarted = run.Game().Player() && run.Game().Player()->position == start;
        if (!restarted) watch(frame);
    }
    run.Game().Release();
    if (!restarted) {
        ASSERT_EQ(states->GetCurrentState(), STATE_GAMERETRYMENU);
        ASSERT_TRUE(run.Click("btnRetryYes"));
    }
    ASSERT_EQ(states->GetCurrentState(), Level(11).stateId);
    robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    EXPECT_EQ(robot->position, start);
    const GameObjectGroup bosses = objects->GetActiveObjectsOfType(BOSS);
    ASSERT_EQ(bosses.size(), 1u);
    auto* boss = dynamic_cast<BossComponent*>(bosses[0]->GetComponent(CT_BOSS));
    EXPECT_EQ(boss->m_HP, boss->m_MaxHP);
    EXPECT_TRUE(objects->GetActiveObjectsOfType(ENEMY).empty());
}

} // namespace
