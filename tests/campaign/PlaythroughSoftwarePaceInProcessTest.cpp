// Every level of the campaign finished by its script at a software
// renderer's pace, a frame of 1/20 s: a level that only a 1/60 s script can
// finish is a level a person on such a machine cannot finish either. Each
// gives the same proof as at 1/60 s: the exit, the grade within its bounds,
// the profile's count saved. And every exit answers the robot walking in
// from any side where a floor cell lies open beside it.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/objects/GameObject.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/ExitComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

class PlaythroughSoftwarePaceInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level(int number) { return *FindCampaignLevel(STATE_LEVEL1 + number - 1); }

    // Whether the robot could stand in the cell of that centre: a floor
    // block below and nothing solid in it.
    static bool OpenFloor(Playthrough& run, float x, float z)
    {
        bool floor = false;
        for (GameObject* cube : run.Game().FindAll(CUBE)) floor |= cube->position == glm::vec3(x, 0.5f, z);
        return floor && !SolidAt(run, x, z);
    }
    static bool SolidAt(Playthrough& run, float x, float z)
    {
        for (ObjectType type : {CUBE, WALL, DOOR, CRATE, CRATESPAWNER, BARRIER, FORCEFIELD})
            for (GameObject* object : run.Game().FindAll(type))
                if (std::fabs(object->position.x - x) < 0.5f && std::fabs(object->position.z - z) < 0.5f &&
                    object->position.y > 1.0f && object->position.y < 2.5f)
                    return true;
        return false;
    }
};

TEST_F(PlaythroughSoftwarePaceInProcessTest, TheThrowAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(1), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, BoomAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(2), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, BazingaAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(3), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, WarmUpAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(4), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, TwisterAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(5), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, ConveytapultAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(6), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, LeapOfFaithAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(7), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, TheSwapperAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(8), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, BridgesGaloreAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(9), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, WholeShebangAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(10), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, BBBossAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(11), 'A');
}

// Beside each exit, on every side with open floor, the robot walks in: the
// exit answers within a second, whatever side it came from.
TEST_F(PlaythroughSoftwarePaceInProcessTest, EveryExitAnswersTheRobotFromEachOpenSide)
{
    Playthrough run(Playthrough::SLOW_FRAMES_PER_SECOND);
    ASSERT_TRUE(run.Start(Level(1).stateId)) << run.Error();
    int sides = 0;
    for (const CampaignLevel& level : CampaignLevels()) {
        for (const char* key : {"A", "D", "W", "S"}) {
            SCOPED_TRACE(std::string(level.name) + ", walking " + key);
            ASSERT_TRUE(run.Game().EnterState(STATE_MAINMENU));
            ASSERT_TRUE(run.Game().EnterState(level.stateId));
            GameObject* exit = run.Game().Find(EXIT_MARKER);
            if (!exit) break;  // the boss leaves it where it dies
            // The cell beside the exit that the key walks from.
            const float dx = key[0] == 'A' ? 1.0f : key[0] == 'D' ? -1.0f : 0.0f;
            const float dz = key[0] == 'W' ? 1.0f : key[0] == 'S' ? -1.0f : 0.0f;
            const glm::vec3 from = exit->position + glm::vec3(dx, 0.0f, dz);
            if (!OpenFloor(run, from.x, from.z)) continue;
            run.Game().Step(FirstPlayFrame(run.FramesPerSecond()));
            GameObject* robot = run.Game().Player();
            robot->position = robot->previousPosition = from;
            robot->flags &= ~OBJ_WORLD_VALID;
            auto* answer = exit->GetComponent<ExitComponent>();
            run.Game().Hold({GameplayHarness::KeyByName(key)});
            EXPECT_GT(run.Game().StepUntil([&] { return answer->m_IsTriggered; }, run.FramesIn(1.0)), 0);
            run.Game().Release();
            ++sides;
        }
    }
    // Each level's exit is open on one side at least, most on three.
    EXPECT_GE(sides, 20);
}

} // namespace
