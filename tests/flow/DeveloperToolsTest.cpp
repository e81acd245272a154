// The game's seam to the developer tools: the states' per-frame developer
// step runs the tools' hooks in order and picks only while the panels show;
// the level editor is a state object the tools provide.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/VirtualKeys.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/DeveloperTools.h"
#include "game/flow/GameStateTables.h"
#include "support/EngineFixture.h"
#include "tools/ProgramParts.h"

using namespace QRX;

namespace {

class DeveloperToolsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* system = System::GetInstance();
        system->inputManager = new InputManager();
        system->objectManager = new ObjectManager();
        Door().tools = {};
        Door().panelsShown = nullptr;
        Door().picking.showInPanel = [this](GameObject*) { calls.push_back("panel"); };
    }
    void TearDown() override
    {
        TestSupport::ReleaseSystem();
        InstallProgramParts();
    }
    void Press(int key)
    {
        InputManager::previous[key] = 0;
        InputManager::current[key] = 1;
    }

    std::vector<std::string> calls;
};

TEST_F(DeveloperToolsTest, WithoutToolsTheFrameDoesNothingAndSaysWhetherTheKeyboardIsTaken)
{
    Press(KEY_LBUTTON);
    EXPECT_FALSE(RunDeveloperFrame(PickTarget::WorldObjects, KEY_LBUTTON));
    InputManager::SetKeyboardTaken(true);
    EXPECT_TRUE(RunDeveloperFrame(PickTarget::ScreenObjects, KEY_LBUTTON));
    LoadDeveloperConsole();
    CloseObjectPanel();
    HideDeveloperHelp(true);
    EXPECT_TRUE(calls.empty());
}

TEST_F(DeveloperToolsTest, TheConsoleThenTheHelpKeyThenAPickWhileThePanelsShow)
{
    EngineDoor::DeveloperTools& tools = Door().tools;
    bool shown = false;
    tools.updateConsole = [this]() {
        calls.push_back("console");
        InputManager::SetKeyboardTaken(true);  // the console opens during the frame
    };
    tools.toggleHelp = [this]() { calls.push_back("help"); };
    Door().panelsShown = [&shown]() { return shown; };

    Press(KEY_RBUTTON);
    // The keyboard was free as the frame began: the state's keys go on.
    EXPECT_FALSE(RunDeveloperFrame(PickTarget::ScreenObjects, KEY_RBUTTON));
    EXPECT_EQ(calls, (std::vector<std::string>{"console", "help"}));  // panels hidden: no pick

    calls.clear();
    shown = true;
    EXPECT_TRUE(RunDeveloperFrame(PickTarget::ScreenObjects, KEY_RBUTTON));
    EXPECT_EQ(calls, (std::vector<std::string>{"console", "help", "panel"}));

    // Another button than the state's picks nothing.
    calls.clear();
    EXPECT_TRUE(RunDeveloperFrame(PickTarget::WorldObjects, KEY_LBUTTON));
    EXPECT_EQ(calls, (std::vector<std::string>{"console", "help"}));
}

TEST_F(DeveloperToolsTest, LeavingAScreenClosesThePanelAndHidesTheHelp)
{
    EngineDoor::DeveloperTools& tools = Door().tools;
    tools.loadConsole = [this]() { calls.push_back("load"); };
    tools.closeObjectPanel = [this]() { calls.push_back("close"); };
    tools.hideHelp = [this](bool panelsToo) { calls.push_back(panelsToo ? "hide all" : "hide help"); };
    LoadDeveloperConsole();
    CloseObjectPanel();
    HideDeveloperHelp(false);
    HideDeveloperHelp(true);
    EXPECT_EQ(calls, (std::vector<std::string>{"load", "close", "hide help", "hide all"}));
}

TEST(ProvidedStateObjects, AreBoundWithTheGamesOwnUnlessATestBoundOne)
{
    BaseLevel editor, testEditor;  // any state object will do
    Door().levelEditorState = &editor;
    BindStateObject(StateObjectKind::LevelEditor, nullptr);
    BindGameStateObjects();
    EXPECT_EQ(GetStateObject(StateObjectKind::LevelEditor), &editor);
    EXPECT_NE(GetStateObject(StateObjectKind::Menu), nullptr);

    BindStateObject(StateObjectKind::LevelEditor, &testEditor);
    BindGameStateObjects();
    EXPECT_EQ(GetStateObject(StateObjectKind::LevelEditor), &testEditor);

    // Taken back: nothing serves the editor's ids.
    Door().levelEditorState = nullptr;
    BindStateObject(StateObjectKind::LevelEditor, nullptr);
    BindGameStateObjects();
    EXPECT_EQ(FindStateObject(STATE_LEVELEDITOR), nullptr);

    // The program provides the tools' level editor.
    InstallProgramParts();
    BindGameStateObjects();
    EXPECT_NE(FindStateObject(STATE_LEVELEDITOR), nullptr);
    EXPECT_EQ(FindStateObject(STATE_LEVELEDITOR), FindStateObject(STATE_LEVELEDITORNEXT));
    for (int kind = 0; kind < STATE_OBJECT_KIND_COUNT; ++kind)
        BindStateObject(static_cast<StateObjectKind>(kind), nullptr);
}

} // namespace
