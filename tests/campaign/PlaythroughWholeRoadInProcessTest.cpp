// The campaign's road as a player takes it: from the main menu a new profile
// made by typing its name, Start, the opening screen, then each level played
// by its script and left through its own transition screen's Next button,
// to the end screen and back to the main menu, with the profile's count of
// finished levels saved on the way; Start on the main menu then begins the
// road again.
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

    Playthrough run;
};

TEST_F(PlaythroughWholeRoadInProcessTest, WholeRoadFromTheMainMenuThroughElevenLevelsBackToIt)
{
    for (const CampaignLevel& level : CampaignLevels()) ASSERT_TRUE(level.authored) << level.name;

    ASSERT_NO_FATAL_FAILURE(FromTheMainMenuToTheOpeningScreen());
    for (const CampaignLevel& level : CampaignLevels()) ASSERT_NO_FATAL_FAILURE(Leg(level));
    ASSERT_EQ(Current(), END_SCREEN);
    ASSERT_TRUE(run.ClickObject(BUTTONNEXTLEVEL));
    ASSERT_TRUE(run.WaitForState(STATE_MAINMENU)) << "on " << Current();
    EXPECT_EQ(SavedLevelsCompleted(Playthrough::PROFILE_NAME), 11);
    ASSERT_TRUE(run.Click("btnStart"));
    EXPECT_TRUE(run.WaitForState(OPENING_SCREEN)) << "on " << Current();
}

} // namespace
