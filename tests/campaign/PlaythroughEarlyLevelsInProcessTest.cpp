// The first four levels of the campaign played from their scripts: each
// reaches its exit with the grade its thresholds promise, a robot that
// stands still does not finish it, and a robot the patrol catches after the
// checkpoint plays on from there.
#include <gtest/gtest.h>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/CheckpointStore.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"
#include "support/TestEnv.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

class PlaythroughEarlyLevelsInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level(int number) { return *FindCampaignLevel(STATE_LEVEL1 + number - 1); }
};

TEST_F(PlaythroughEarlyLevelsInProcessTest, TheThrowIsFinishedByThrowingACrateOntoTheSwitch)
{
    ExpectLevelCompleted(Level(1), 'A');
}

TEST_F(PlaythroughEarlyLevelsInProcessTest, TheThrowIsNotFinishedByStandingStill)
{
    ExpectStandingStillKeepsTheLevel(Level(1));
}

TEST_F(PlaythroughEarlyLevelsInProcessTest, BoomIsFinishedByBlowingUpTheCratesAndTheBarriers)
{
    ExpectLevelCompleted(Level(2), 'A');
}

TEST_F(PlaythroughEarlyLevelsInProcessTest, BoomIsNotFinishedByStandingStill)
{
    ExpectStandingStillKeepsTheLevel(Level(2));
}

TEST_F(PlaythroughEarlyLevelsInProcessTest, BazingaIsFinishedByTeleportingAcrossBothGaps)
{
    ExpectLevelCompleted(Level(3), 'A');
}

TEST_F(PlaythroughEarlyLevelsInProcessTest, BazingaIsNotFinishedByStandingStill)
{
    ExpectStandingStillKeepsTheLevel(Level(3));
}

TEST_F(PlaythroughEarlyLevelsInProcessTest, WarmUpIsFinishedBySlippingPastThePatrolBehindIt)
{
    ExpectLevelCompleted(Level(4), 'A');
}

TEST_F(PlaythroughEarlyLevelsInProcessTest, WarmUpIsNotFinishedByStandingStillOutOfThePatrolsWay)
{
    ExpectStandingStillKeepsTheLevel(Level(4));
}

// Caught after the checkpoint, the robot is back where it touched the
// checkpoint and plays on: no retry menu, no reload.
TEST_F(PlaythroughEarlyLevelsInProcessTest, WarmUpCatchBringsTheRobotBackToTheCheckpoint)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(Level(4).stateId)) << run.Error();
    KeyScript script;
    std::string error;
    ASSERT_TRUE(ParseKeyScript("61\n"
                               "24 W   # through the checkpoint\n"
                               "150    # the patrol walks up the west lane\n"
                               "24 W   # into the south lane, where it comes back along\n",
                               script, error))
        << error;
    GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    int caughtAt = -1;
    float lastZ = robot->position.z, inLaneZ = 0.0f;
    PlaythroughOptions options;
    options.waitFrames = 700;  // one more lap of the patrol
    options.onFrame = [&](int frame) {
        if (caughtAt < 0 && robot->position.z > lastZ + 2.0f) {
            caughtAt = frame;
            inLaneZ = lastZ;
        }
        lastZ = robot->position.z;
    };
    const PlaythroughResult result = run.Play(script, options);
    ASSERT_GT(caughtAt, script.Frames()) << "never caught";
    EXPECT_LT(inLaneZ, 10.0f);
    // Where the robot touched the checkpoint, at the start room's door.
    EXPECT_NEAR(robot->position.x, 2.5f, 0.1f);
    EXPECT_GT(robot->position.z, 12.5f);
    EXPECT_LT(robot->position.z, 14.0f);
    EXPECT_TRUE(run.Game().GetSystem()->checkpointStore->HasCheckpoint());
    EXPECT_EQ(result.requestedState, STATE_NONE);
    EXPECT_EQ(result.leftFor, STATE_NONE);
    EXPECT_FALSE(result.ExitReached());
}

// Walking head on into the patrol at twenty frames a second, the robot
// meets its body before the catch distance is seen: that is a catch too.
TEST_F(PlaythroughEarlyLevelsInProcessTest, WarmUpHeadOnCatchAtTwentyFramesASecondGoesBackToTheCheckpoint)
{
    Playthrough run(Playthrough::SLOW_FRAMES_PER_SECOND);
    ASSERT_TRUE(run.Start(Level(4).stateId)) << run.Error();
    run.Play(ScriptThen({}, 0, "61\n1\n"), NoWait());
    const PlaythroughResult result = run.Play(ScriptThen({}, 0, "400 W z<9.8\n150 D x>12.4\n"), NoWait());
    EXPECT_EQ(result.requestedState, STATE_NONE);
    EXPECT_GT(run.Game().Player()->position.z, 12.0f);
    const std::string log = ReadFile(run.Game().GetSystem()->logger->GetPath());
    EXPECT_NE(log.find("away (their bodies touched)"), std::string::npos);
}

} // namespace
