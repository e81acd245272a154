// The first four levels of the campaign played from their scripts: each
// reaches its exit with the grade its thresholds promise, and a robot that
// stands still does not finish it.
#include <gtest/gtest.h>

#include "game/flow/GameStateTables.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

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

} // namespace
