// The campaign's road as a player takes it: from the main menu a new profile
// made by typing its name, Start, the opening screen, then each level played
// by its script and left through its own transition screen's Next button,
// to the end screen and back to the main menu, with the profile's count of
// finished levels saved on the way. The whole road needs every level
// authored; until then the road is played through the first levels that
// are, and the last ones authored in a row from the screen before them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/System.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/ProfileManager.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

// The screens of the road by their state ids.
constexpr int PROFILE_LIST = 42;
constexpr int PROFILE_NAME_ENTRY = 43;
constexpr int OPENING_SCREEN = STATE_TRANSITION_FIRST;
constexpr int END_SCREEN = 27;

class PlaythroughWholeRoadInProcessTest : public EngineTest
{
protected:
    int Current() { return run.Game().GetSystem()->gameStateManager->GetCurrentState(); }

    // The number of levels authored from the first on, without a gap.
    static size_t AuthoredInARow()
    {
        size_t count = 0;
        while (count < CampaignLevels().size() && CampaignLevels()[count].authored) ++count;
        return count;
    }

    // The main menu, a profile made by typing its name, Start: on the
    // opening screen with the new profile current and saved.
    void FromTheMainMenuToTheOpeningScreen()
    {
        ASSERT_TRUE(run.StartAtMainMenu()) << run.Error();
        ASSERT_EQ(Current(), STATE_MAINMENU);
        ASSERT_TRUE(run.Click("btnProfile"));
        ASSERT_TRUE(run.WaitForState(PROFILE_LIST));
        ASSERT_TRUE(run.Click("btnCreate"));
        ASSERT_TRUE(run.WaitForState(PROFILE_NAME_ENTRY));
        run.Type(Playthrough::PROFILE_NAME);
        ASSERT_TRUE(run.Click("btnProfileAdd"));
        ASSERT_TRUE(run.WaitForState(PROFILE_LIST));
        const Profile* profile = run.Game().GetSystem()->profileManager->GetCurrentProfile();
        ASSERT_NE(profile, nullptr);
        EXPECT_EQ(profile->name, Playthrough::PROFILE_NAME);
        EXPECT_EQ(SavedLevelsCompleted(Playthrough::PROFILE_NAME), 0);
        ASSERT_TRUE(run.Click("btnBack"));
        ASSERT_TRUE(run.WaitForState(STATE_MAINMENU));
        ASSERT_TRUE(run.Click("btnStart"));
        ASSERT_TRUE(run.WaitForState(OPENING_SCREEN));
    }

    // From the screen before a level: Next, the level's script to its exit,
    // on to the level's own transition screen.
    void Leg(const CampaignLevel& level)
    {
        SCOPED_TRACE(level.name);
        const int row = FindLevelTableRow(level.stateId);
        ASSERT_GE(row, 0);
        const int transition = GetLevelTable()[row].nextStateId;
        ASSERT_TRUE(run.ClickObject(BUTTONNEXTLEVEL)) << "no Next button on screen " << Current();
        ASSERT_TRUE(run.WaitForState(level.stateId)) << "on " << Current();
        ASSERT_TRUE(run.Follow(level.stateId)) << run.Error();
        KeyScript script;
        std::string error;
        ASSERT_TRUE(LoadKeyScript(PlaythroughScriptPath(level), script, error)) << error;
        const PlaythroughResult result = run.Play(script);
        EXPECT_TRUE(result.ExitReached());
        ASSERT_EQ(result.leftFor, transition);
        EXPECT_EQ(result.levelsCompletedAfter, result.levelsCompletedBefore + 1);
        EXPECT_EQ(result.savedLevelsCompleted, result.levelsCompletedAfter);
    }

    // The first levels from the opening screen on, each through its leg.
    void FirstLevels(size_t count)
    {
        ASSERT_NO_FATAL_FAILURE(FromTheMainMenuToTheOpeningScreen());
        for (size_t i = 0; i < count; ++i) ASSERT_NO_FATAL_FAILURE(Leg(CampaignLevels()[i]));
    }

    Playthrough run;
};

TEST_F(PlaythroughWholeRoadInProcessTest, WholeRoadFromTheMainMenuThroughElevenLevelsBackToIt)
{
    std::string missing;
    for (const CampaignLevel& level : CampaignLevels())
        if (!level.authored) missing += std::string(" \"") + level.name + "\"";
    if (!missing.empty()) GTEST_SKIP() << "the whole road waits for levels not authored yet:" << missing;

    ASSERT_NO_FATAL_FAILURE(FirstLevels(CampaignLevels().size()));
    ASSERT_EQ(Current(), END_SCREEN);
    ASSERT_TRUE(run.ClickObject(BUTTONNEXTLEVEL));
    ASSERT_TRUE(run.WaitForState(STATE_MAINMENU)) << "on " << Current();
    EXPECT_EQ(SavedLevelsCompleted(Playthrough::PROFILE_NAME), 11);
}

// The same road as far as the levels are authored in a row from the first.
TEST_F(PlaythroughWholeRoadInProcessTest, RoadFromTheMainMenuThroughTheFirstAuthoredLevels)
{
    const size_t count = AuthoredInARow();
    if (count == CampaignLevels().size()) GTEST_SKIP() << "every level is authored: the whole road plays them";
    ASSERT_GT(count, 0u);
    ASSERT_NO_FATAL_FAILURE(FirstLevels(count));
    EXPECT_EQ(Current(), GetLevelTable()[FindLevelTableRow(CampaignLevels()[count - 1].stateId)].nextStateId);
    EXPECT_EQ(SavedLevelsCompleted(Playthrough::PROFILE_NAME), static_cast<int>(count));
}

// The last levels authored in a row, from the screen before the first of
// them: the end screen's Next leads back to the main menu, where Start
// begins the road again.
TEST_F(PlaythroughWholeRoadInProcessTest, LastLegsThroughTheBossAndTheEndScreenToTheMainMenu)
{
    const std::vector<CampaignLevel>& levels = CampaignLevels();
    size_t first = levels.size();
    while (first > 0 && levels[first - 1].authored) --first;
    if (first == levels.size()) GTEST_SKIP() << "\"" << levels.back().name << "\" is not authored yet";
    if (first == 0) GTEST_SKIP() << "every level is authored: the whole road plays them";
    const int before = GetLevelTable()[FindLevelTableRow(levels[first - 1].stateId)].nextStateId;
    ASSERT_TRUE(run.Start(before)) << run.Error();
    for (size_t i = first; i < levels.size(); ++i) ASSERT_NO_FATAL_FAILURE(Leg(levels[i]));
    ASSERT_EQ(Current(), END_SCREEN);
    ASSERT_TRUE(run.ClickObject(BUTTONNEXTLEVEL));
    ASSERT_TRUE(run.WaitForState(STATE_MAINMENU)) << "on " << Current();
    EXPECT_EQ(SavedLevelsCompleted(Playthrough::PROFILE_NAME), static_cast<int>(levels.size() - first));
    ASSERT_TRUE(run.Click("btnStart"));
    EXPECT_TRUE(run.WaitForState(OPENING_SCREEN)) << "on " << Current();
}

} // namespace
