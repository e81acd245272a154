// WholeShebang's setbacks: a robot the patrol catches, or one that walks off
// the bridge before it has run out, plays on from the checkpoint before the
// lane, standing on firm floor: no retry menu, no reload.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/CheckpointStore.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

// Where the robot stands once it has touched the checkpoint before the lane.
constexpr float CHECKPOINT_X = 2.4f;
constexpr float CHECKPOINT_Z_LOW = 5.0f, CHECKPOINT_Z_HIGH = 7.0f;

// From beaming in to the checkpoint before the lane: the switch, the door,
// the barrier wall and the falling platforms, as the level's script plays them.
constexpr const char* TO_THE_CHECKPOINT =
    "61\n1 D\n2\n1 LBUTTON\n3\n30 D x>2.4\n1 LBUTTON\n130\n"
    "90 W reach\n1 LBUTTON\n3\n1 1\n3\n1 RBUTTON\n40\n"
    "90 W z<5.6\n";

class PlaythroughWholeShebangSetbacksInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level() { return *FindCampaignLevel(STATE_LEVEL1 + 9); }

    // Plays the script to the checkpoint, then the rest; the robot's lowest
    // height and whether it was ever back at the checkpoint after leaving it.
    struct Run
    {
        PlaythroughResult result;
        float lowestY = 100.0f;
        int backAt = -1;  // the frame it stood at the checkpoint again
        int endFrame = 0;
    };
    Run PlayFromTheCheckpoint(Playthrough& run, const std::string& rest, int waitFrames)
    {
        Run out;
        KeyScript script;
        std::string error;
        EXPECT_TRUE(ParseKeyScript(rest, script, error)) << error;
        GameObject* robot = run.Game().Player();
        EXPECT_NE(robot, nullptr);
        if (!robot) return out;
        KeyScript first;
        EXPECT_TRUE(ParseKeyScript(TO_THE_CHECKPOINT, first, error)) << error;
        EXPECT_TRUE(run.Play(first, NoWait()).unmetLines.empty()) << "the way to the checkpoint went wrong";
        const int leftAt = 20;
        float farthest = 0.0f;
        PlaythroughOptions options;
        options.waitFrames = waitFrames;
        options.onFrame = [&](int frame) {
            const glm::vec3 p = robot->position;
            out.lowestY = std::min(out.lowestY, p.y);
            if (frame < leftAt) return;
            const float away = std::fabs(p.x - CHECKPOINT_X) + std::fabs(p.z - 0.5f * (CHECKPOINT_Z_LOW + CHECKPOINT_Z_HIGH));
            farthest = std::max(farthest, away);
            if (out.backAt < 0 && farthest > 2.5f && std::fabs(p.x - CHECKPOINT_X) < 0.1f &&
                p.z > CHECKPOINT_Z_LOW && p.z < CHECKPOINT_Z_HIGH && p.y > 1.4f)
                out.backAt = frame;
        };
        out.result = run.Play(script, options);
        out.endFrame = out.result.frames;
        return out;
    }

    // Seconds after it came back the robot still stands where it came back.
    static void ExpectStillAtTheCheckpoint(Playthrough& run)
    {
        const GameObject* robot = run.Game().Player();
        ASSERT_NE(robot, nullptr);
        EXPECT_NEAR(robot->position.x, CHECKPOINT_X, 0.1f);
        EXPECT_GT(robot->position.z, CHECKPOINT_Z_LOW);
        EXPECT_LT(robot->position.z, CHECKPOINT_Z_HIGH);
        EXPECT_NEAR(robot->position.y, 1.5f, 0.05f);
    }
};

// Stepping into the patrol's row while it walks west toward the robot: it
// sees the robot, chases and catches it, and the robot is back at the
// checkpoint, on firm floor: the falling platforms behind it are no part of
// the way back.
TEST_F(PlaythroughWholeShebangSetbacksInProcessTest, CatchInTheLaneBringsTheRobotBackToTheCheckpoint)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(Level().stateId)) << run.Error();
    const Run caught = PlayFromTheCheckpoint(run, "45 W   # up the lane's west end, in the patrol's row\n",
                                             300);
    ASSERT_GT(caught.backAt, 0) << "never caught";
    EXPECT_GT(caught.endFrame - caught.backAt, 150);  // long enough for a platform to give way
    EXPECT_GT(caught.lowestY, 1.0f);  // caught, not fallen
    EXPECT_TRUE(run.Game().GetSystem()->checkpointStore->HasCheckpoint());
    EXPECT_EQ(caught.result.requestedState, STATE_NONE);
    EXPECT_EQ(caught.result.leftFor, STATE_NONE);
    EXPECT_FALSE(caught.result.ExitReached());
    ExpectStillAtTheCheckpoint(run);
}

// Walking east out of the room before the bridge has run out: the robot
// falls into the pit and comes back at the checkpoint, not at the retry menu.
TEST_F(PlaythroughWholeShebangSetbacksInProcessTest, FallFromTheRetractedBridgeBringsTheRobotBackToTheCheckpoint)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(Level().stateId)) << run.Error();
    const Run fallen = PlayFromTheCheckpoint(run,
                                             "600 ex<2.0\n600 ex>4.0\n60 W z<3.5\n120 D x>5.4\n"
                                             "36 S   # into the room, beside its crate\n"
                                             "85 D   # east over the bridge that has not run out\n",
                                             240);
    ASSERT_GT(fallen.backAt, 0) << "never came back";
    EXPECT_GT(fallen.endFrame - fallen.backAt, 150);
    EXPECT_LT(fallen.lowestY, 0.0f);
    EXPECT_TRUE(run.Game().GetSystem()->checkpointStore->HasCheckpoint());
    EXPECT_EQ(fallen.result.requestedState, STATE_NONE);
    EXPECT_EQ(fallen.result.leftFor, STATE_NONE);
    EXPECT_FALSE(fallen.result.ExitReached());
    ExpectStillAtTheCheckpoint(run);
}

} // namespace
