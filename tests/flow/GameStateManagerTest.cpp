#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/platform/Cursor.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateManager.h"
#include "support/EngineFixture.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

using Calls = std::vector<std::string>;

// A state that records each call as "name.Slot@current id".
class FakeState : public GameState
{
public:
    FakeState(std::string name, Calls& calls) : m_name(std::move(name)), m_calls(calls) {}
    void Load() override { Record("Load"); }
    void Init() override { Record("Init"); }
    void Pause() override { Record("Pause"); }
    void Resume() override { Record("Resume"); }
    void Update(GameStateManager& manager) override
    {
        Record("Update");
        if (onUpdate) onUpdate(manager);
    }
    void Free() override { Record("Free"); }
    void Unload() override { Record("Unload"); }

    GameStateManager* manager = nullptr;
    std::function<void(GameStateManager&)> onUpdate;

private:
    void Record(const char* slot)
    {
        m_calls.push_back(m_name + "." + slot + "@" + std::to_string(manager ? manager->GetCurrentState() : -1));
    }
    std::string m_name;
    Calls& m_calls;
};

class GameStateManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System::GetInstance()->logger = new Logger();
        for (FakeState* s : {&level, &loading, &multi, &transition, &menu, &editor}) s->manager = &gsm;
    }
    void TearDown() override
    {
        gsm.Shutdown();
        for (int k = 0; k < STATE_OBJECT_KIND_COUNT; ++k) BindStateObject(static_cast<StateObjectKind>(k), nullptr);
        System* system = System::GetInstance();
        delete system->logger;
        system->logger = nullptr;
        System::DestroyInstance();
    }
    void BindAll()
    {
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::LoadingLevel, &loading);
        BindStateObject(StateObjectKind::MultiplayerLevel, &multi);
        BindStateObject(StateObjectKind::TransitionLevel, &transition);
        BindStateObject(StateObjectKind::Menu, &menu);
        BindStateObject(StateObjectKind::LevelEditor, &editor);
    }
    // Starts on the splash state, then carries out each request in turn.
    void StartWith(std::initializer_list<int> requests)
    {
        BindAll();
        ASSERT_TRUE(gsm.Initialize());
        for (int id : requests) {
            gsm.RequestState(id);
            gsm.Update();
        }
        calls.clear();
    }
    int Count(const std::string& call) const
    {
        int n = 0;
        for (const std::string& c : calls) n += c == call;
        return n;
    }

    TestSupport::ScopedTempHome home;
    Calls calls;
    FakeState level{"level", calls}, loading{"loading", calls}, multi{"multi", calls},
        transition{"transition", calls}, menu{"menu", calls}, editor{"editor", calls};
    GameStateManager gsm;
};

TEST_F(GameStateManagerTest, InitializeLoadsTheSplashState)
{
    BindAll();
    ASSERT_TRUE(gsm.Initialize());
    EXPECT_EQ(calls, (Calls{"level.Load@1", "level.Init@1"}));
    EXPECT_EQ(gsm.GetCurrentState(), 1);
    EXPECT_EQ(gsm.GetRequestedState(), 1);
    ASSERT_NE(gsm.GetLevelManager(), nullptr);
    EXPECT_NE(gsm.GetLevelManager()->GetMap(), nullptr);
    EXPECT_STREQ(gsm.GetLevelManager()->GetCurrentLevelEntry().fileName, "splash.xml");
}

TEST_F(GameStateManagerTest, MainMenuPopsEveryStateResumingBetweenPops)
{
    StartWith({3, 44, 45});
    ASSERT_EQ(gsm.GetStates().size(), 3u);
    gsm.RequestState(36);
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"menu.Free@45", "menu.Unload@45", "menu.Resume@44", "menu.Free@44", "menu.Unload@44",
                            "level.Resume@3", "level.Free@3", "level.Unload@3", "menu.Load@36", "menu.Init@36"}));
    EXPECT_EQ(gsm.GetStates().size(), 1u);
    EXPECT_EQ(gsm.GetCurrentState(), 36);
    EXPECT_TRUE(gsm.GetHistory().empty());
}

TEST_F(GameStateManagerTest, LevelIdUnderThePauseMenuResumesTheLevel)
{
    StartWith({3, 44});
    gsm.RequestState(3);
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"menu.Free@44", "menu.Unload@44", "level.Resume@3"}));
    EXPECT_EQ(gsm.GetCurrentState(), 3);
    EXPECT_EQ(gsm.GetRequestedState(), 3);  // the request lapsed
    calls.clear();
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"level.Update@3"}));
}

TEST_F(GameStateManagerTest, RestartRequestPopsTheMenusAndRestartsWithoutLoad)
{
    StartWith({3, 44, 45});
    System::GetInstance()->flags |= 0x02 | 0x04 | 0x08 | 0x10;
    gsm.RequestState(35);
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"menu.Free@45", "menu.Unload@45", "menu.Resume@44", "menu.Free@44", "menu.Unload@44",
                            "level.Resume@3", "level.Free@3", "level.Init@3"}));
    EXPECT_EQ(System::GetInstance()->flags, SYSTEM_RUNNING | 0x10u);
    EXPECT_EQ(gsm.GetRequestedState(), 3);
}

TEST_F(GameStateManagerTest, RestartRequestWithOnlyMenusKeepsTheBottomState)
{
    StartWith({36, 37});
    gsm.RequestState(35);
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"menu.Free@37", "menu.Unload@37", "menu.Resume@36", "menu.Free@36", "menu.Init@36"}));
    ASSERT_EQ(gsm.GetStates().size(), 1u);
    EXPECT_EQ(gsm.GetCurrentState(), 36);
    calls.clear();
    gsm.Update();  // the request is done: the menu runs on
    EXPECT_EQ(calls, (Calls{"menu.Update@36"}));
}

TEST_F(GameStateManagerTest, CreditsAfterGameCompleteOpenOverAFreshMainMenu)
{
    StartWith({13, 50});
    gsm.RequestState(40);
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"menu.Free@50", "menu.Unload@50", "level.Resume@13", "level.Free@13", "level.Unload@13",
                            "menu.Load@36", "menu.Init@36", "menu.Pause@36", "menu.Load@40", "menu.Init@40"}));
    EXPECT_EQ(gsm.GetStates().size(), 2u);
    EXPECT_EQ(gsm.GetCurrentState(), 40);
    EXPECT_EQ(gsm.GetPreviousState(), 36);
}

TEST_F(GameStateManagerTest, PreviousIdWithStackedStatesPopsOne)
{
    StartWith({3, 44, 46});
    EXPECT_EQ(gsm.GetPreviousState(), 44);
    gsm.RequestState(44);
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"menu.Free@46", "menu.Unload@46", "menu.Resume@44"}));
    EXPECT_EQ(gsm.GetStates().size(), 2u);
    EXPECT_EQ(gsm.GetCurrentState(), 44);
    EXPECT_EQ(gsm.GetPreviousState(), 3);
}

TEST_F(GameStateManagerTest, ConfirmationMenuIsPushedAndPoppedLikeAnyMenu)
{
    StartWith({36, 41, 49});
    EXPECT_EQ(gsm.GetStates().size(), 3u);
    EXPECT_EQ(gsm.GetCurrentState(), 49);
    gsm.RequestState(41);
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"menu.Free@49", "menu.Unload@49", "menu.Resume@41"}));
    EXPECT_EQ(gsm.GetStates().size(), 2u);
    EXPECT_EQ(gsm.GetPreviousState(), 36);
    EXPECT_TRUE(gsm.GetHistory().size() == 1u && gsm.GetHistory()[0] == 1);
}

TEST_F(GameStateManagerTest, NoStateUpdatesOnAFrameThatCarriesOutARequest)
{
    StartWith({});
    for (int id : {3, 44, 3, 36, 37, 36, 16, 51}) {
        calls.clear();
        gsm.RequestState(id);
        gsm.Update();
        for (const std::string& c : calls) EXPECT_EQ(c.find(".Update@"), std::string::npos) << c << " for " << id;
    }
}

TEST_F(GameStateManagerTest, ReloadFlagIsHandledAfterTheUpdate)
{
    StartWith({3});
    level.onUpdate = [](GameStateManager& m) { m.RequestReload(); };
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"level.Update@3", "level.Free@3", "level.Unload@3", "level.Load@3", "level.Init@3"}));
    EXPECT_FALSE(gsm.IsReloadRequested());
}

TEST_F(GameStateManagerTest, RestartOrReloadAskedDuringTheUpdateRunsWhenItReturns)
{
    StartWith({3});
    level.onUpdate = [this](GameStateManager& m) {
        m.ReloadState();
        calls.push_back("after reload");
    };
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"level.Update@3", "after reload", "level.Free@3", "level.Unload@3", "level.Load@3",
                            "level.Init@3"}));

    calls.clear();
    level.onUpdate = [this](GameStateManager& m) {
        m.RestartState();
        calls.push_back("after restart");
        m.RequestReload();  // a reload covers the restart
    };
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"level.Update@3", "after restart", "level.Free@3", "level.Unload@3", "level.Load@3",
                            "level.Init@3"}));

    calls.clear();
    level.onUpdate = [](GameStateManager& m) { m.RestartState(); };
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"level.Update@3", "level.Free@3", "level.Init@3"}));

    calls.clear();
    level.onUpdate = nullptr;
    gsm.RestartState();  // outside an update it runs at once
    EXPECT_EQ(calls, (Calls{"level.Free@3", "level.Init@3"}));
}

TEST_F(GameStateManagerTest, RestartingScreensThatLoadTheirObjectsReloadsThem)
{
    StartWith({17});
    gsm.RestartState();
    EXPECT_EQ(calls, (Calls{"transition.Free@17", "transition.Unload@17", "transition.Load@17",
                            "transition.Init@17"}));
    calls.clear();
    gsm.RequestState(51);
    gsm.Update();
    calls.clear();
    gsm.RestartState();
    EXPECT_EQ(calls, (Calls{"loading.Free@51", "loading.Unload@51", "loading.Load@51", "loading.Init@51"}));
}

TEST_F(GameStateManagerTest, Level12WarnsAndUsesTheSplashRow)
{
    StartWith({3});
    testing::internal::CaptureStdout();
    gsm.RequestState(14);
    gsm.Update();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Loading level LEVEL12"), std::string::npos);
    EXPECT_NE(out.find("WARNING - Unable to find state LEVEL12 in level table. Defaulting to index 0 for the level "
                       "state."),
              std::string::npos);
    EXPECT_EQ(gsm.GetLevelManager()->GetCurrentLevelIndex(), 0);
    EXPECT_STREQ(gsm.GetLevelManager()->GetCurrentLevelEntry().fileName, "splash.xml");
    EXPECT_EQ(calls, (Calls{"level.Free@3", "level.Unload@3", "level.Load@14", "level.Init@14"}));
}

TEST_F(GameStateManagerTest, ChangeAndPushKeepTheCurrentStateWhenNothingServesTheId)
{
    StartWith({3});
    BindStateObject(StateObjectKind::Menu, nullptr);
    testing::internal::CaptureStdout();
    gsm.RequestState(36);  // rule 1 would pop everything
    gsm.Update();
    gsm.RequestState(44);  // a push-over
    gsm.Update();
    gsm.RequestState(32);  // a change
    gsm.Update();
    EXPECT_FALSE(gsm.ChangeState(32));
    EXPECT_FALSE(gsm.PushOverState(53));
    std::string out = testing::internal::GetCapturedStdout();
    // The level runs on through every refused frame.
    EXPECT_EQ(calls, (Calls{"level.Update@3", "level.Update@3", "level.Update@3"}));
    calls.clear();
    EXPECT_EQ(gsm.GetStates().size(), 1u);
    EXPECT_EQ(gsm.GetCurrentState(), 3);
    EXPECT_EQ(gsm.GetRequestedState(), 3);
    EXPECT_NE(out.find("No state object serves state MAINMENU (36); keeping state LEVEL1 (3)."), std::string::npos);
    EXPECT_NE(out.find("No state object serves state PAUSEMENU (44)"), std::string::npos);
    gsm.Update();
    EXPECT_EQ(calls, (Calls{"level.Update@3"}));
}

TEST_F(GameStateManagerTest, RefusalNamesAnUnnamedStateByItsNumberAlone)
{
    StartWith({2, STATE_LOADING});
    ASSERT_EQ(gsm.GetCurrentState(), STATE_LOADING);
    BindStateObject(StateObjectKind::Menu, nullptr);
    testing::internal::CaptureStdout();
    gsm.RequestState(STATE_MAINMENU);  // the loading screen's request with no menus
    gsm.Update();
    EXPECT_FALSE(gsm.PushOverState(53));  // an id without a row or a name
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("No state object serves state MAINMENU (36); keeping state 51.\n"), std::string::npos) << out;
    EXPECT_NE(out.find("No state object serves state 53; keeping state 51.\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("  "), std::string::npos) << out;
    EXPECT_EQ(gsm.GetCurrentState(), STATE_LOADING);
}

TEST_F(GameStateManagerTest, ARequestRepeatedEveryFrameIsWarnedAboutOnce)
{
    StartWith({3});
    BindStateObject(StateObjectKind::Menu, nullptr);
    calls.clear();
    testing::internal::CaptureStdout();
    for (int frame = 0; frame < 5; ++frame) {
        gsm.RequestState(36);
        gsm.Update();
    }
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "No state object serves state MAINMENU"), 1u);
    EXPECT_EQ(gsm.GetCurrentState(), 3);
    // The level is updated on every one of those frames (its keys are not lost).
    EXPECT_EQ(calls, Calls(5, "level.Update@3"));
}

TEST_F(GameStateManagerTest, StartBindsTheGamesOwnStatesAndReportsAnEmptyStackOnce)
{
    testing::internal::CaptureStdout();
    // Without a file manager the game's splash cannot open its file: the
    // start goes on and the game is asked to end.
    System::GetInstance()->gameStateManager = &gsm;
    bool started = gsm.Initialize();
    std::string startOut = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(started) << startOut;
    EXPECT_NE(GetStateObject(StateObjectKind::BaseLevel), nullptr);
    EXPECT_NE(GetStateObject(StateObjectKind::LoadingLevel), nullptr);
    EXPECT_EQ(gsm.GetStates().size(), 1u);
    EXPECT_FALSE(System::GetInstance()->IsRunning());

    testing::internal::CaptureStdout();
    gsm.PopStatesTo(0);
    gsm.Update();
    gsm.Update();
    gsm.Update();
    std::string out = testing::internal::GetCapturedStdout();
    size_t first = out.find("We ran out of states!");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(out.find("We ran out of states!", first + 1), std::string::npos);
    EXPECT_TRUE(gsm.GetStates().empty());
    System::GetInstance()->gameStateManager = nullptr;
}

TEST_F(GameStateManagerTest, ShutdownPopsEveryStateAndDropsTheLevelManager)
{
    StartWith({3, 44});
    gsm.Shutdown();
    EXPECT_EQ(calls, (Calls{"menu.Free@44", "menu.Unload@44", "level.Resume@3", "level.Free@3", "level.Unload@3"}));
    EXPECT_TRUE(gsm.GetStates().empty());
    EXPECT_TRUE(gsm.GetHistory().empty());
    EXPECT_EQ(gsm.GetLevelManager(), nullptr);
    calls.clear();
    gsm.Shutdown();
    EXPECT_TRUE(calls.empty());
}

TEST_F(GameStateManagerTest, CursorFollowsTheCurrentState)
{
    StartWith({});
    System* system = System::GetInstance();
    system->cursorShowCount = new int(0);
    system->gameStateManager = &gsm;
    int before = Platform::CursorDisplayCount();
    UpdateCursorVisibility();  // splash: hidden
    EXPECT_EQ(*system->cursorShowCount, -1);
    UpdateCursorVisibility();
    EXPECT_EQ(Platform::CursorDisplayCount(), before - 1);  // no second call
    gsm.RequestState(36);
    gsm.Update();
    UpdateCursorVisibility();
    EXPECT_EQ(*system->cursorShowCount, 0);
    EXPECT_EQ(Platform::CursorDisplayCount(), before);
    system->gameStateManager = nullptr;
    delete system->cursorShowCount;
    system->cursorShowCount = nullptr;
}

TEST_F(GameStateManagerTest, NextAndPreviousLevelFollowTheLevelTable)
{
    StartWith({17});
    LevelManager* levels = gsm.GetLevelManager();
    levels->GoToNextLevel();
    EXPECT_EQ(gsm.GetRequestedState(), 4);
    levels->GoToPreviousLevel();
    EXPECT_EQ(gsm.GetRequestedState(), 3);

    gsm.RequestState(1);  // back on the splash state, row 0
    gsm.Update();
    ASSERT_EQ(gsm.GetCurrentState(), 1);
    levels->GoToPreviousLevel();
    EXPECT_EQ(gsm.GetRequestedState(), 1);
    levels->GoToNextLevel();
    EXPECT_EQ(gsm.GetRequestedState(), 2);

    gsm.RequestState(30);
    gsm.Update();  // the level editor has no row
    levels->GoToNextLevel();
    levels->GoToPreviousLevel();
    EXPECT_EQ(gsm.GetRequestedState(), 30);
}

TEST(GameStateTables, NamesAreExactAndUnique)
{
    EXPECT_EQ(GetGameStateNameTable().size(), static_cast<size_t>(GAME_STATE_NAME_COUNT));
    EXPECT_EQ(GameStateToString(1), "SPLASH");
    EXPECT_EQ(GameStateToString(49), "CONFIRMATIONMENU");
    EXPECT_EQ(GameStateToString(17), "");
    EXPECT_EQ(GameStateToString(35), "");
    int id = -5;
    EXPECT_TRUE(StringToGameState("FREELOAD", id));
    EXPECT_EQ(id, 33);
    id = -5;
    EXPECT_FALSE(StringToGameState("freeload", id));
    EXPECT_FALSE(StringToGameState("FREELOAD ", id));
    EXPECT_EQ(id, -5);
    for (const auto& entry : GetGameStateNameTable()) EXPECT_EQ(GameStateToString(entry.second), entry.first);
}

TEST(GameStateTables, StateAndLevelTableRows)
{
    for (int id : {32, 35, 53, 0}) EXPECT_EQ(FindStateTableEntry(id), nullptr) << id;
    ASSERT_NE(FindStateTableEntry(49), nullptr);
    EXPECT_EQ(FindStateTableEntry(49)->kind, StateObjectKind::Menu);
    EXPECT_EQ(FindStateTableEntry(15)->kind, StateObjectKind::MultiplayerLevel);
    EXPECT_EQ(FindStateTableEntry(51)->kind, StateObjectKind::LoadingLevel);
    EXPECT_EQ(FindStateTableEntry(31)->kind, StateObjectKind::LevelEditor);
    EXPECT_EQ(FindStateTableEntry(34)->kind, StateObjectKind::BaseLevel);
    EXPECT_EQ(FindStateTableEntry(29)->kind, StateObjectKind::TransitionLevel);

    const auto& rows = GetLevelTable();
    EXPECT_EQ(rows.size(), 47u);
    EXPECT_EQ(FindLevelTableRow(7), 11);
    EXPECT_STREQ(rows[11].fileName, "Twister.xml ");
    EXPECT_EQ(rows[11].nextStateId, 21);
    EXPECT_STREQ(rows[25].fileName, "menus/mainmenu.xml");
    EXPECT_STREQ(rows[39].fileName, "menus/pauserestartmenu.xml");
    EXPECT_STREQ(rows[45].fileName, "");
    EXPECT_EQ(rows[46].stateId, 34);
    for (int id : {14, 30, 31, 32, 35, 53}) EXPECT_EQ(FindLevelTableRow(id), -1) << id;
}

} // namespace
