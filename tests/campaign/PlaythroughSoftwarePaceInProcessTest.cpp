// Every level of the campaign finished by its script at a software
// renderer's pace, a frame of 1/20 s: a level that only a 1/60 s script can
// finish is a level a person on such a machine cannot finish either. Each
// gives the same proof as at 1/60 s: the exit, the grade within its bounds,
// the profile's count saved.
#include <gtest/gtest.h>

#include "game/flow/GameStateTables.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

class PlaythroughSoftwarePaceInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level(int number) { return *FindCampaignLevel(STATE_LEVEL1 + number - 1); }
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

} // namespace
