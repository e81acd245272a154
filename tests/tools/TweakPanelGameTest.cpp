// The developer panels in the running game, on the real window under the
// test X server: start-up and shut-down, F1, a display-mode change, and a
// pick and a delete on the loading screen with events pushed through the
// window's message pump.
#include <gtest/gtest.h>

#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <string>

#include "engine/core/Window.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "support/TestEnv.h"
#include "tools/LevelEditor.h"
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
    // F1 down on one frame, up on the next, as the window's pump receives it.
    void PressF1()
    {
        for (bool down : {true, false}) {
            SDL_Event e{};
            e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            e.key.windowID = S().window->GetWindowId();
            e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.scancode = SDL_SCANCODE_F1;
            ASSERT_EQ(SDL_PushEvent(&e), 1);
            Frame();
        }
    }
    // A move to (x, y), then the left button going down or up there.
    void Mouse(int x, int y, bool down)
    {
        SDL_Event m{};
        m.type = SDL_MOUSEMOTION;
        m.motion.windowID = S().window->GetWindowId();
        m.motion.x = x;
        m.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&m), 1);
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = m.motion.windowID;
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

TEST_F(TweakPanelGameTest, StartF1DisplayModeChangeAndShutDown)
{
    const std::string page = Page();
    ASSERT_NE(page.find("Twakbar manager initialized."), std::string::npos);
    EXPECT_LT(page.find("Frame rate controller initialized."), page.find("Twakbar manager initialized."));
    EXPECT_FALSE(State().shown);
    Frame();
    EXPECT_EQ(DrawnBar("GraphicsManagerBar"), nullptr);  // hidden: not drawn

    // F1: the panels draw (the library was given the window's size) and the cursor shows.
    PressF1();
    EXPECT_TRUE(State().shown);
    EXPECT_NE(m_out.find("ATB Enabled\n"), std::string::npos);
    EXPECT_EQ(*S().cursorShowCount, 0);
    EXPECT_NE(DrawnBar("GraphicsManagerBar"), nullptr);
    // How many windows (bars, help) the last frame drew, each inside the window and none on another.
    const auto drawnApartAndInside = [] {
        std::vector<ImRect> drawn;
        for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows) {
            if (!w->Active || w->ParentWindow) continue;
            EXPECT_TRUE(ImRect(0, 0, S().window->GetWidth(), S().window->GetHeight()).Contains(w->Rect())) << w->Name;
            for (const ImRect& other : drawn) EXPECT_FALSE(other.Overlaps(w->Rect())) << w->Name;
            drawn.push_back(w->Rect());
        }
        return drawn.size();
    };

    // A display-mode change: the engine panels are made again, the object
    // panel of the old library is forgotten, and nothing reaches it later.
    ASSERT_TRUE(S().window->ChangeResolution(1280, 960, true));
    GameObject* sprite = S().objectManager->CreateUIObject(S().gameStateManager->GetCurrentState(),
                                                          glm::vec3(0.0f), glm::quat(), glm::vec3(40.0f));
    AntTweakBar::CreateObjectBar(&State(), sprite);
    ASSERT_NE(State().objectBar, nullptr);
    Frame();
    EXPECT_EQ(drawnApartAndInside(), 5u);  // the engine panels, the folded help and the object's panel
    ASSERT_TRUE(S().window->ChangeResolution(800, 600, true));
    EXPECT_EQ(State().objectBar, nullptr);
    EXPECT_FALSE(State().selectedObject.isValid);
    ASSERT_NE(BarNamed("SoundManagerBar"), nullptr);
    EXPECT_NE(BarNamed("PhysicsManagerBar"), nullptr);
    EXPECT_EQ(State().soundBar, TweakBar::Model::HandleOf(*BarNamed("SoundManagerBar")));
    Frame();
    AntTweakBar::DeleteObjectBar(&State());
    EXPECT_EQ(Page().find("Unknown or deleted bar"), std::string::npos);

    PressF1();
    EXPECT_FALSE(State().shown);
    EXPECT_NE(m_out.find("ATB OFF\n"), std::string::npos);
    EXPECT_EQ(*S().cursorShowCount, -1);
    FindLevelEditor()->SetFileName(LevelEditor::TEMPLATE_FILE);
    S().gameStateManager->RequestState(STATE_LEVELEDITOR);
    for (int i = 0; i < MAX_FRAMES && S().gameStateManager->GetCurrentState() != STATE_LEVELEDITOR; ++i) Frame();
    AntTweakBar::CreateObjectBar(&State(), sprite);
    PressF1();
    EXPECT_EQ(drawnApartAndInside(), 6u);  // and the level editor's panel under the folded engine panels
    testing::internal::CaptureStdout();
    S().Shutdown();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(S().tweakBarState, nullptr);
    EXPECT_EQ(TweakBar::LibraryModel(), nullptr);
    EXPECT_EQ(Page().find("ATB termination failed"), std::string::npos);
}

TEST_F(TweakPanelGameTest, LoadingScreenSpritePickedAndDeletedThroughThePanel)
{
    // The loading screen stays: the main menu it asks for when done is not served here.
    BindStateObject(StateObjectKind::Menu, nullptr);
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
    // (down and up on two frames, or the game would not see the press).
    Mouse(ROBOT_X, ROBOT_Y, true);
    Frame();
    Mouse(ROBOT_X, ROBOT_Y, false);
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
    Mouse(x, y, true);
    Mouse(x, y, false);
    for (int i = 0; i < MAX_FRAMES && !(robot->flags & OBJ_DESTROY); ++i) Frame();
    ASSERT_NE(robot->flags & OBJ_DESTROY, 0u) << "the press did not reach the button";
    EXPECT_TRUE(State().deleteRequested);
    EXPECT_TRUE(S().objectManager->IsObjectInPlay(robot));
    // The next frame: the sprite and its panel are gone before the draw.
    Frame();
    EXPECT_FALSE(S().objectManager->IsObjectInPlay(robot));
    EXPECT_EQ(State().objectBar, nullptr);
    EXPECT_EQ(DrawnBar("GameObject"), nullptr);
    EXPECT_FALSE(State().deleteRequested);
}

} // namespace
