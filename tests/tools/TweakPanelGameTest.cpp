// The developer panels in the running game, on the real window under the
// test X server: start-up and shut-down, F1, a display-mode change, and a
// pick and a delete on the loading screen with events pushed through the
// window's message pump.
#include <gtest/gtest.h>

#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <string>

#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "support/TestEnv.h"
#include "tools/PanelTestKit.h"

using namespace QRX;
using namespace QRX::PanelKit;

namespace {

// Where the loading screen's robot picture sits: (352, -224) from the centre
// of the 1024 x 768 window, y up.
constexpr int ROBOT_X = 512 + 352;
constexpr int ROBOT_Y = 384 + 224;
// More than any step here needs.
constexpr int MAX_FRAMES = 30;

class TweakPanelGameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Logger::SetDialogAvailableOverride(0);
        testing::internal::CaptureStdout();
        const bool started = System::GetInstance()->Initialize();
        m_out = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started) << m_out;
        ASSERT_NE(S().tweakBarState, nullptr);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override
    {
        testing::internal::CaptureStdout();
        System::GetInstance()->Shutdown();
        testing::internal::GetCapturedStdout();
        System::DestroyInstance();
        Logger::SetDialogAvailableOverride(-1);
    }
    static System& S() { return *System::GetInstance(); }
    static TweakBarState& State() { return *System::GetInstance()->tweakBarState; }
    std::string Page() const { return TestSupport::ReadFile(m_home.GameFolder() + "/SystemActivity.html"); }

    // One frame of the game, its standard output kept.
    void Frame()
    {
        testing::internal::CaptureStdout();
        S().Update();
        m_out += testing::internal::GetCapturedStdout();
    }
    void Key(SDL_Scancode scancode, bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = S().window->GetWindowId();
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // F1 down on one frame, up on the next.
    void PressF1()
    {
        Key(SDL_SCANCODE_F1, true);
        Frame();
        Key(SDL_SCANCODE_F1, false);
        Frame();
    }
    void Move(int x, int y)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = S().window->GetWindowId();
        e.motion.x = x;
        e.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void Button(int x, int y, bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = S().window->GetWindowId();
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        e.button.x = x;
        e.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // Where the bar was drawn in the last frame, or null.
    static ImGuiWindow* DrawnBar(const std::string& name)
    {
        ImGuiWindow* w = ImGui::GetCurrentContext() ? ImGui::FindWindowByName(("###bar:" + name).c_str()) : nullptr;
        return w && w->Active ? w : nullptr;
    }

    TestSupport::ScopedTempHome m_home;
    std::string m_out;
};

TEST_F(TweakPanelGameTest, StartedHiddenShownByF1AndStoppedAtShutDown)
{
    const std::string page = Page();
    const size_t frames = page.find("Frame rate controller initialized.");
    const size_t panels = page.find("Twakbar manager initialized.");
    ASSERT_NE(panels, std::string::npos);
    EXPECT_LT(frames, panels);
    EXPECT_EQ(page.find("ATB error"), std::string::npos);
    EXPECT_FALSE(State().shown);
    EXPECT_NE(State().graphicsBar, nullptr);
    EXPECT_NE(State().soundBar, nullptr);
    EXPECT_NE(State().physicsBar, nullptr);

    // Hidden: nothing drawn, the window's messages go to the game.
    Frame();
    EXPECT_EQ(DrawnBar("GraphicsManagerBar"), nullptr);

    PressF1();
    EXPECT_TRUE(State().shown);
    EXPECT_NE(m_out.find("ATB Enabled\n"), std::string::npos);
    EXPECT_EQ(*S().cursorShowCount, 0);  // shown on the splash screen too
    ASSERT_NE(DrawnBar("GraphicsManagerBar"), nullptr);
    ASSERT_NE(DrawnBar("PhysicsManagerBar"), nullptr);
    ImGuiWindow* sound = DrawnBar("SoundManagerBar");
    ASSERT_NE(sound, nullptr);
    EXPECT_FLOAT_EQ(sound->Pos.x, 16.0f);
    EXPECT_FLOAT_EQ(sound->Pos.y, static_cast<float>(S().window->GetHeight() - 270));

    PressF1();
    EXPECT_FALSE(State().shown);
    EXPECT_NE(m_out.find("ATB OFF\n"), std::string::npos);
    EXPECT_EQ(*S().cursorShowCount, -1);

    testing::internal::CaptureStdout();
    S().Shutdown();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(S().tweakBarState, nullptr);
    EXPECT_EQ(TweakBar::LibraryModel(), nullptr);
    EXPECT_EQ(Page().find("ATB termination failed"), std::string::npos);
}

TEST_F(TweakPanelGameTest, DisplayModeChangeRebuildsTheEnginePanels)
{
    GameObject* sprite = S().objectManager->CreateUIObject(S().gameStateManager->GetCurrentState(),
                                                          glm::vec3(0.0f, 0.0f, 10.0f), glm::quat(),
                                                          glm::vec3(40.0f, 30.0f, 1.0f));
    ASSERT_NE(sprite, nullptr);
    AntTweakBar::CreateObjectBar(&State(), sprite);
    ASSERT_NE(State().objectBar, nullptr);
    State().shown = true;

    ASSERT_TRUE(S().window->ChangeResolution(800, 600, true));
    EXPECT_EQ(State().objectBar, nullptr);
    EXPECT_FALSE(State().selectedObject.isValid);
    ASSERT_NE(BarNamed("GraphicsManagerBar"), nullptr);
    ASSERT_NE(BarNamed("SoundManagerBar"), nullptr);
    ASSERT_NE(BarNamed("PhysicsManagerBar"), nullptr);
    EXPECT_EQ(BarNamed("GameObject"), nullptr);
    EXPECT_EQ(State().soundBar, TweakBar::Model::HandleOf(*BarNamed("SoundManagerBar")));
    EXPECT_EQ(BarNamed("SoundManagerBar")->layout.y, 600 - 270);

    // The panels draw in the new window at once (the library knows its size).
    Frame();
    ImGuiWindow* sound = DrawnBar("SoundManagerBar");
    ASSERT_NE(sound, nullptr);
    EXPECT_FLOAT_EQ(sound->Pos.y, 330.0f);
    // Nothing reaches a panel of the old library.
    AntTweakBar::DeleteObjectBar(&State());
    AntTweakBar::ToggleHelpBar(&State());
    Frame();
    EXPECT_EQ(Page().find("Unknown or deleted bar"), std::string::npos);
}

TEST_F(TweakPanelGameTest, LoadingScreenSpritePickedAndDeletedThroughThePanel)
{
    S().gameStateManager->RequestState(STATE_LOADING);
    for (int i = 0; i < MAX_FRAMES && S().gameStateManager->GetCurrentState() != STATE_LOADING; ++i) Frame();
    ASSERT_EQ(S().gameStateManager->GetCurrentState(), STATE_LOADING);
    GameObject* robot = nullptr;
    for (GameObject* o : S().objectManager->GetActiveObjectsWithComponent(CT_GUI))
        if (o->stateId == STATE_LOADING && o->position.z == -20.0f) robot = o;
    ASSERT_NE(robot, nullptr);
    const std::uint32_t robotId = static_cast<std::uint32_t>(robot->id);

    PressF1();
    ASSERT_TRUE(State().shown);
    // A click with the panels shown opens the sprite under the cursor.
    Move(ROBOT_X, ROBOT_Y);
    Button(ROBOT_X, ROBOT_Y, true);
    Frame();
    Button(ROBOT_X, ROBOT_Y, false);
    Frame();
    ASSERT_NE(State().objectBar, nullptr);
    EXPECT_EQ(State().selectedObject.object, robot);
    EXPECT_EQ(Read<std::uint32_t>("GameObject", "OID"), robotId);

    // The delete button: its row follows the five rows of the object's identity.
    ImGuiWindow* panel = DrawnBar("GameObject");
    ASSERT_NE(panel, nullptr);
    const int x = static_cast<int>(panel->DC.CursorStartPos.x + 20.0f);
    const int y = static_cast<int>(panel->DC.CursorStartPos.y + 5.0f * ImGui::GetFrameHeightWithSpacing() +
                                   ImGui::GetFrameHeight() * 0.5f);
    Move(x, y);
    Button(x, y, true);
    Button(x, y, false);
    int frames = 0;
    while (frames < MAX_FRAMES && !(robot->flags & OBJ_DESTROY)) {
        Frame();
        ++frames;
    }
    ASSERT_NE(robot->flags & OBJ_DESTROY, 0u) << "the press did not reach the button";
    EXPECT_TRUE(State().deleteRequested);
    EXPECT_TRUE(S().objectManager->IsObjectInPlay(robot));
    // The next frame: the sprite and its panel are gone before the draw.
    Frame();
    EXPECT_FALSE(S().objectManager->IsObjectInPlay(robot));
    EXPECT_EQ(State().objectBar, nullptr);
    EXPECT_EQ(BarNamed("GameObject"), nullptr);
    EXPECT_EQ(DrawnBar("GameObject"), nullptr);
    EXPECT_FALSE(State().deleteRequested);
    EXPECT_TRUE(State().shown);
}

} // namespace
