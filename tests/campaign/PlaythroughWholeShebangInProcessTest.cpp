// WholeShebang played from its script: it reaches the exit with the grade
// its thresholds promise, showing each step's picture in turn and never two
// at once, and a robot that stands still does not finish it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    std::vector<std::string> shown;  // in the order they came up, and a "two" whenever two are up
    ExpectLevelCompleted(Level(), 'A', [&](Playthrough& run) {
        std::vector<std::string> now;
        for (const std::string& picture : pictures) if (run.PictureShown(picture)) now.push_back(picture);
        if (now.size() > 1) shown.push_back("two");
        if (now.size() == 1 && (shown.empty() || shown.back() != now[0])) shown.push_back(now[0]);
    });
    EXPECT_EQ(shown, pictures);
}

TEST_F(PlaythroughWholeShebangInProcessTest, IsNotFinishedByStandingStill)
{
    ExpectStandingStillKeepsTheLevel(Level());
}

} // namespace
