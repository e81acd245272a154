// WholeShebang played from its script: it reaches the exit with the grade
// its thresholds promise, each step's picture alone and in turn; a robot that stands still does not finish it.
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
    const std::vector<std::string> pictures = {"tutorial_shebang", "tutorial_shebangwall", "tutorial_shebangpatrol",
                                               "tutorial_bridge", "tutorial_shebangswap"};
    std::vector<std::string> shown;  // in the order they came up, and "two" when two were up at once
    ExpectLevelCompleted(Level(), 'A', [&](Playthrough& run) {
        std::string now;
        for (const std::string& picture : pictures)
            if (run.PictureShown(picture)) now = now.empty() ? picture : "two";
        if (!now.empty() && (shown.empty() || shown.back() != now)) shown.push_back(now);
    });
    EXPECT_EQ(shown, pictures);
}

TEST_F(PlaythroughWholeShebangInProcessTest, IsNotFinishedByStandingStill)
{
    ExpectStandingStillKeepsTheLevel(Level());
}

} // namespace
