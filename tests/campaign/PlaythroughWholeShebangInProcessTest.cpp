// WholeShebang played from its script: it reaches the exit with the grade
// its thresholds promise, and a robot that stands still does not finish it.
#include <gtest/gtest.h>

#include "game/flow/GameStateTables.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

class PlaythroughWholeShebangInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level() { return *FindCampaignLevel(STATE_LEVEL1 + 9); }
};

TEST_F(PlaythroughWholeShebangInProcessTest, IsFinishedWithEveryMechanismInTurn)
{
    ExpectLevelCompleted(Level(), 'A');
}

TEST_F(PlaythroughWholeShebangInProcessTest, IsNotFinishedByStandingStill)
{
    ExpectStandingStillKeepsTheLevel(Level());
}

} // namespace
