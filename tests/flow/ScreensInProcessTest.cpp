// The transition and menu screens in the running engine, on a 1024 x 768
// window: each screen file of the level table opens, loads without a missing
// texture and draws a picture; its words sit where the layout rules put them;
// and a finished level leads through its screen to the next one.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/TextComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Menu.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/TransitionLevel.h"
#include "game/flow/UILogicComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"
#include "support/GLReadback.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;
// Reports of a resource that a screen names but the game does not have.
const char* const MISSING_RESOURCE_LINES[] = {"Unable to find given texture id", "SOIL is unable to load",
                                              "Unable to find mesh", "Unknown object type", "No factory"};

class ScreensTest : public TestSupport::EngineTest
{
protected:
    ScreensTest() : game(WIDTH, HEIGHT) {}
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    GameStateManager& States() { return *game.GetSystem()->gameStateManager; }
    // Asks for a state and runs frames until it is current (false when it never is).
    bool Enter(int id)
    {
        States().RequestState(id);
        return game.StepUntil([&] { return States().GetCurrentState() == id; }, 5) > 0;
    }
    TestSupport::Picture Picture()
    {
        game.GetSystem()->renderer->RenderScene();
        return TestSupport::ReadBackBuffer(WIDTH, HEIGHT);
    }
    // The objects of a state, in id order.
    std::vector<GameObject*> OwnedBy(int id)
    {
        std::vector<GameObject*> owned;
        for (GameObject* o : game.GetSystem()->objectManager->GetAllObjects())
            if (o->stateId == id) owned.push_back(o);
        return owned;
    }
    // The text component of a state's object whose text is `text`, or null.
    GameObject* Label(int id, const std::string& text)
    {
        for (GameObject* o : OwnedBy(id)) {
            auto* t = dynamic_cast<TextComponent*>(o->GetComponent(CT_TEXT));
            if (t && t->m_drawMe && t->m_text == text) return o;
        }
        return nullptr;
    }
    // Where a label's line ends: the pen after its last character, in pixels
    // from the window centre.
    float LabelEnd(GameObject* label)
    {
        auto* t = dynamic_cast<TextComponent*>(label->GetComponent(CT_TEXT));
        Font* font = game.GetSystem()->fontManager->GetFont(t->m_fontId);
        float x = label->position.x + t->m_posX;
        for (char c : t->m_text) x += font->GetGlyph(static_cast<unsigned char>(c)).ax;
        return x;
    }
    static void ExpectNoMissingResource(const std::string& out, int id)
    {
        for (const char* line : MISSING_RESOURCE_LINES) EXPECT_EQ(out.find(line), std::string::npos) << id << ": " << line;
    }

    GameplayHarness game;
};

class TransitionScreens : public ScreensTest
{
};

TEST_F(TransitionScreens, EveryTransitionScreenOpensAndDraws)
{
    ASSERT_TRUE(game.Start());
    LevelManager& levels = *States().GetLevelManager();
    ASSERT_TRUE(Enter(16));  // the splash's level state graded its own time as it left
    game.GetSystem()->profileManager->GetCurrentProfile()->grade = 'B';
    TestSupport::Picture previous;
    for (int id = 16; id <= 29; ++id) {
        const int row = FindLevelTableRow(id);
        ASSERT_GE(row, 0) << id;
        EXPECT_TRUE(levels.CanOpenLevelFile(std::string(LevelManager::LEVEL_FOLDER) + GetLevelTable()[row].fileName))
            << id;
        testing::internal::CaptureStdout();
        const bool entered = Enter(id);
        game.Step(2);
        const std::string out = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(entered) << id;
        ASSERT_TRUE(game.GetSystem()->IsRunning()) << out;
        ExpectNoMissingResource(out, id);

        const TestSupport::Picture picture = Picture();
        if (!previous.empty() && IsGradedTransition(id) == IsGradedTransition(id - 1)) {
            EXPECT_GT(TestSupport::PictureDifference(picture, previous), 0.002) << id;  // other words
        }
        previous = picture;

        // One button leads on, bottom right.
        int nextButtons = 0;
        for (GameObject* o : OwnedBy(id)) {
            if (o->type != BUTTONNEXTLEVEL) continue;
            ++nextButtons;
            EXPECT_GT(o->position.x - o->scale.x / 2, 0.0f) << id;
            EXPECT_LT(o->position.y + o->scale.y / 2, -HEIGHT / 4.0f) << id;
        }
        EXPECT_EQ(nextButtons, 1) << id;
        if (!IsGradedTransition(id)) continue;

        // The stars, the time and the labels that point at them.
        TransitionLevel* screen = dynamic_cast<TransitionLevel*>(GetStateObject(StateObjectKind::TransitionLevel));
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(screen->GetStars().size(), 3u) << id;
        for (int i = 0; i < 3; ++i) {
            GameObject* star = screen->GetStars()[i];
            EXPECT_EQ(star->position, glm::vec3(-55.0f + 128.0f * i, -150.0f, -12.0f)) << id;
            EXPECT_EQ(star->scale, glm::vec3(128.0f, 128.0f, 1.0f)) << id;
            auto* gui = dynamic_cast<GUIComponent*>(star->GetComponent(CT_GUI));
            EXPECT_EQ(gui->m_textureId, i < 2 ? "star" : "star_empty") << id;
        }
        GameObject* time = Label(id, "Time (seconds):");
        ASSERT_NE(time, nullptr) << id;
        EXPECT_EQ(time->position.y, TRANSITION_TIME_Y) << id;
        EXPECT_LT(LabelEnd(time), TRANSITION_TIME_X - 8.0f) << id;
        GameObject* grade = Label(id, "Grade:");
        ASSERT_NE(grade, nullptr) << id;
        EXPECT_EQ(time->position.x, grade->position.x) << id;  // the block's lines start together
        EXPECT_LT(LabelEnd(grade), STAR_FIRST_X - STAR_SIZE / 2 - 8.0f) << id;
        EXPECT_NEAR(grade->position.y, STAR_Y, STAR_SIZE / 4) << id;
        EXPECT_NE(Label(id, "Level " + std::to_string(id - 16) + " complete"), nullptr) << id;
    }
}

TEST_F(TransitionScreens, FinishedLevelLeadsThroughItsScreenToTheNext)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(Enter(STATE_LEVEL1));
    game.Step(GameplayHarness::FRAMES_PER_SECOND * 2);  // a little over 2 s
    // The level is skipped to its end: the screen after it shows the time.
    game.Hold({GameplayHarness::Letter('C')});
    ASSERT_TRUE(game.StepUntil([&] { return States().GetCurrentState() == 17; }, 5) > 0);
    game.Release();
    const Profile* profile = game.GetSystem()->profileManager->GetCurrentProfile();
    EXPECT_EQ(profile->lastLevelTime, 2);
    EXPECT_EQ(profile->grade, 'A');  // two seconds are well within the level's A time

    // The time shows until Next is clicked.
    System* system = game.GetSystem();
    auto* screen = dynamic_cast<TransitionLevel*>(GetStateObject(StateObjectKind::TransitionLevel));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetStars().size(), 3u);
    game.Step();
    EXPECT_TRUE(screen->ShowsTexts());

    GameObject* next = nullptr;
    for (GameObject* o : OwnedBy(17))
        if (o->type == BUTTONNEXTLEVEL) next = o;
    ASSERT_NE(next, nullptr);
    const int x = static_cast<int>(next->position.x) + WIDTH / 2;
    const int y = HEIGHT / 2 - static_cast<int>(next->position.y);
    system->inputManager->OnMouseMove(x | (static_cast<std::int64_t>(y) << 16));
    game.Step();
    game.Hold({KEY_LBUTTON});
    game.Step(2);  // the press, then the frame the button acts in
    EXPECT_FALSE(screen->ShowsTexts());
    EXPECT_EQ(States().GetRequestedState(), 4);
    game.Release();
    EXPECT_EQ(game.StepUntil([&] { return States().GetCurrentState() == 4; }, 5) > 0, true);
    EXPECT_TRUE(system->IsRunning());
}

class MenuScreens : public ScreensTest
{
protected:
    struct Rect
    {
        float left, bottom, right, top;
        bool Meets(const Rect& o) const { return !(right < o.left || o.right < left || top < o.bottom || o.top < bottom); }
    };
    static Rect Box(const GameObject* o)
    {
        return Rect{o->position.x - o->scale.x / 2, o->position.y - o->scale.y / 2, o->position.x + o->scale.x / 2,
                    o->position.y + o->scale.y / 2};
    }
    // The box a label's line covers: from its baseline start to its pen's end,
    // a little below the baseline to the font's size above it.
    Rect TextBox(GameObject* o)
    {
        auto* t = dynamic_cast<TextComponent*>(o->GetComponent(CT_TEXT));
        const float x = o->position.x + t->m_posX;
        const float y = o->position.y + t->m_posY;
        const float size = t->m_fontId == "big" ? 40.0f : t->m_fontId == "transition" ? 30.0f : 22.0f;
        return Rect{x, y - size * 0.25f, LabelEnd(o), y + size * 0.8f};
    }
    static bool Reactive(const GameObject* o) { return o->GetComponent(CT_UILOGIC) != nullptr; }
    // Builds a stack of states as the game does: a change, then push-overs.
    void Stack(const std::vector<int>& ids)
    {
        States().PopStatesTo(0);
        States().ChangeState(ids.front());
        for (size_t i = 1; i < ids.size(); ++i) States().PushOverState(ids[i]);
        game.Step();
    }
};

// Every screen over what lies under it in the game, with the UI names it must hold.
const std::vector<std::pair<std::vector<int>, std::vector<std::string>>> MENU_STACKS = {
    {{36}, {"btnStart", "btnMultiplayer", "btnOptions", "btnCredits", "btnProfile", "btnExit", "lblProfileName"}},
    {{36, 37},
     {"chkboxReso1", "chkboxReso2", "chkboxReso3", "chkboxFullscreen", "chkboxBGM", "chkboxSFX", "volSliderBGM",
      "btnBack"}},
    {{36, 37, 38}, {"btnBack"}},
    {{36, 37, 39}, {"btnBack"}},
    {{36, 40}, {"btnBack"}},
    {{36, 41}, {"btnYes", "btnNo"}},
    {{36, 42}, {"btnSelect", "btnDelete", "btnCreate", "btnBack"}},
    {{36, 42, 43}, {"lblName", "btnProfileAdd", "btnCancel"}},
    {{36, 42, 49}, {"btnConfirmYes", "btnConfirmNo"}},
    {{17, 44}, {"btnResume", "btnRestart", "btnHowtoplay", "btnPauseOptions", "btnQuittomenu"}},
    {{17, 44, 45}, {"btnPauseRestartYes", "btnPauseRestartNo"}},
    {{17, 44, 46}, {"btnBack"}},
    {{17, 44, 47}, {"chkboxBGM", "chkboxSFX", "volSliderBGM", "btnBack"}},
    {{17, 44, 48}, {"btnPauseYes", "btnPauseNo"}},
    {{3, 52}, {"btnRetryYes", "btnRetryNo"}},
    {{36, 50}, {"btnGameOk"}},
};

TEST_F(MenuScreens, EveryScreenOpensDrawsAndKeepsTheLayoutRules)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(Enter(STATE_MAINMENU));
    const TestSupport::Picture mainMenu = Picture();
    std::set<int> seen;
    for (const auto& [ids, names] : MENU_STACKS) {
        const int id = ids.back();
        testing::internal::CaptureStdout();
        Stack(ids);
        game.Step(2);
        const std::string out = testing::internal::GetCapturedStdout();
        ASSERT_EQ(States().GetCurrentState(), id);
        ASSERT_TRUE(game.GetSystem()->IsRunning()) << out;
        ExpectNoMissingResource(out, id);
        seen.insert(id);

        const TestSupport::Picture picture = Picture();
        EXPECT_GT(TestSupport::ColourCount(picture), 16u) << id;
        if (id != STATE_MAINMENU) {
            EXPECT_GT(TestSupport::PictureDifference(picture, mainMenu), 0.05) << id;
        }

        std::map<std::string, int> named;
        float farthestBelow = -1000.0f;
        for (size_t i = 0; i + 1 < ids.size(); ++i)
            for (GameObject* o : OwnedBy(ids[i]))
                if (o->GetComponent(CT_GUI)) farthestBelow = std::max(farthestBelow, o->position.z);
        const std::vector<GameObject*> objects = OwnedBy(id);
        for (GameObject* o : objects) {
            // Nearer than everything below, farther than the loading overlay.
            EXPECT_GT(o->position.z, farthestBelow) << id;
            EXPECT_LT(o->position.z, OVERLAY_Z) << id;
            if (auto* gui = dynamic_cast<GUIComponent*>(o->GetComponent(CT_GUI))) {
                EXPECT_EQ(gui->m_opacity, 1.0f) << id;
            }
            if (auto* element = dynamic_cast<UILogicComponent*>(o->GetComponent(CT_UILOGIC))) named[element->m_UIName]++;
        }
        for (const std::string& name : names) EXPECT_EQ(named[name], 1) << id << " " << name;

        // No two reactive elements meet, and no word lies on one or off the window.
        for (size_t a = 0; a < objects.size(); ++a) {
            if (!Reactive(objects[a])) continue;
            for (size_t b = a + 1; b < objects.size(); ++b) {
                if (!Reactive(objects[b])) continue;
                EXPECT_FALSE(Box(objects[a]).Meets(Box(objects[b]))) << id << " " << a << " " << b;
            }
        }
        for (GameObject* o : objects) {
            auto* t = dynamic_cast<TextComponent*>(o->GetComponent(CT_TEXT));
            if (!t || !t->m_drawMe || t->m_text.empty()) continue;
            const Rect text = TextBox(o);
            EXPECT_GE(text.left, -WIDTH / 2.0f) << id << " " << t->m_text;
            EXPECT_LE(text.right, WIDTH / 2.0f) << id << " " << t->m_text;
            for (GameObject* other : objects) {
                if (other == o || !Reactive(other)) continue;
                EXPECT_FALSE(text.Meets(Box(other))) << id << " " << t->m_text;
            }
        }
    }
    EXPECT_EQ(seen.size(), 16u);
}

// Dialogs over the screens they belong to: the quit questions, the delete
// confirmation, the restart question, the display failures, the retry
// question over a level, and the pause menu, whose shade covers the window;
// and the credits that a console goto puts over a level with its HUD.
const std::vector<std::vector<int>> DIALOG_STACKS = {
    {36, 41}, {17, 44, 48}, {36, 42, 49}, {17, 44, 45}, {36, 37, 39}, {36, 37, 38}, {3, 52}, {3, 44}, {17, 44},
    {5, 40},
};

TEST_F(MenuScreens, DialogsShowNothingOfTheScreensUnderThemAndKeepThemFromClicks)
{
    ASSERT_TRUE(game.Start());
    System* system = game.GetSystem();
    // Slots on the profile screen, under the delete confirmation.
    system->profileManager->CreateProfile("Ann");
    system->profileManager->CreateProfile("Bob");
    auto windowRow = [](float y) { return static_cast<int>(HEIGHT / 2.0f - y); };
    auto windowColumn = [](float x) { return static_cast<int>(x + WIDTH / 2.0f); };
    int clicks = 0;
    for (const std::vector<int>& ids : DIALOG_STACKS) {
        const int id = ids.back();
        SCOPED_TRACE(id);
        Stack(ids);
        game.Step(2);
        ASSERT_EQ(States().GetCurrentState(), id);

        // The dialog's background: its largest picture, inset past its
        // rounded corners and its frame.
        GameObject* panel = nullptr;
        for (GameObject* o : OwnedBy(id))
            if (o->GetComponent(CT_GUI) && (!panel || o->scale.x * o->scale.y > panel->scale.x * panel->scale.y))
                panel = o;
        ASSERT_NE(panel, nullptr);
        const float inset = 30.0f;
        const Rect inside{panel->position.x - panel->scale.x / 2 + inset, panel->position.y - panel->scale.y / 2 + inset,
                          panel->position.x + panel->scale.x / 2 - inset,
                          panel->position.y + panel->scale.y / 2 - inset};

        // The same frame with everything below drawn and with it hidden:
        // inside the dialog not one pixel differs.
        const TestSupport::Picture over = Picture();
        std::vector<std::pair<GameObject*, unsigned>> hidden;
        for (size_t i = 0; i + 1 < ids.size(); ++i)
            for (GameObject* o : OwnedBy(ids[i])) {
                hidden.emplace_back(o, o->flags);
                o->flags |= OBJ_SKIP_DRAW;
            }
        const TestSupport::Picture alone = Picture();
        for (auto& [o, flags] : hidden) o->flags = flags;
        int differing = 0;
        for (int row = windowRow(inside.top); row <= windowRow(inside.bottom); ++row)
            for (int column = windowColumn(inside.left); column <= windowColumn(inside.right); ++column) {
                const size_t at = (static_cast<size_t>(HEIGHT - 1 - row) * WIDTH + static_cast<size_t>(column)) * 4;
                for (int c = 0; c < 3; ++c) differing += over[at + c] != alone[at + c] ? 1 : 0;
            }
        EXPECT_EQ(differing, 0);

        // A click on an element below, where no element of the dialog lies,
        // does nothing: the dialog stays, nothing is asked for, and the
        // element below never registers it.
        std::vector<GameObject*> own;
        for (GameObject* o : OwnedBy(id))
            if (Reactive(o)) own.push_back(o);
        for (size_t i = 0; i + 1 < ids.size(); ++i)
            for (GameObject* below : OwnedBy(ids[i])) {
                auto* element = dynamic_cast<UILogicComponent*>(below->GetComponent(CT_UILOGIC));
                const glm::vec3 at = below->position;
                const Rect point{at.x, at.y, at.x, at.y};
                if (!element || !inside.Meets(point)) continue;
                if (std::any_of(own.begin(), own.end(), [&](GameObject* o) { return Box(o).Meets(point); })) continue;
                system->inputManager->OnMouseMove(windowColumn(at.x) |
                                                  (static_cast<std::int64_t>(windowRow(at.y)) << 16));
                game.Step();
                game.Hold({KEY_LBUTTON});
                game.Step(2);
                game.Release();
                game.Step(2);
                ++clicks;
                EXPECT_EQ(States().GetCurrentState(), id) << element->m_UIName;
                EXPECT_EQ(States().GetRequestedState(), id) << element->m_UIName;
                EXPECT_EQ(States().GetStates().size(), ids.size()) << element->m_UIName;
                EXPECT_EQ(element->m_LeftClickState, UI_STATE_IDLE) << element->m_UIName;
            }
    }
    // The profile slots, the main menu's and the options' buttons, the
    // transition's: enough of them lie under the dialogs to count.
    EXPECT_GE(clicks, 8);
}

TEST_F(MenuScreens, SliderSlotsAndDisplayChangesAtTheLayoutSize)
{
    ASSERT_TRUE(game.Start());
    System* system = game.GetSystem();
    auto* menu = dynamic_cast<Menu*>(GetStateObject(StateObjectKind::Menu));
    ASSERT_NE(menu, nullptr);
    auto element = [&](const std::string& name) -> GameObject* {
        for (GameObject* o : OwnedBy(States().GetCurrentState())) {
            auto* e = dynamic_cast<UILogicComponent*>(o->GetComponent(CT_UILOGIC));
            if (e && e->m_UIName == name) return o;
        }
        return nullptr;
    };
    auto pointAt = [&](float x, float y) {
        const int cx = static_cast<int>(x) + system->window->GetWidth() / 2;
        const int cy = system->window->GetHeight() / 2 - static_cast<int>(y);
        system->inputManager->OnMouseMove(cx | (static_cast<std::int64_t>(cy) << 16));
    };
    auto press = [&](GameObject* o) {
        ASSERT_NE(o, nullptr);
        pointAt(o->position.x, o->position.y);
        game.Hold({KEY_LBUTTON});
        game.Step();
    };

    // The knob held and dragged 230, 100 and 400 pixels right of the centre.
    Stack({36, 37});
    GameObject* knob = element("volSliderBGM");
    press(knob);
    for (const auto& [x, volume] : std::vector<std::pair<float, float>>{{230.0f, 0.5f}, {100.0f, 0.0f}, {400.0f, 1.0f}}) {
        pointAt(x, -300.0f);
        game.Step();
        EXPECT_FLOAT_EQ(system->audioManager->m_MusicVolume, volume) << x;
        EXPECT_FLOAT_EQ(knob->position.x, 105.0f + 250.0f * volume) << x;
    }
    game.Release();
    game.Step();
    // On the pause menu's options the track is 20 to 220.
    Stack({17, 44, 47});
    knob = element("volSliderBGM");
    press(knob);
    pointAt(120.0f, -300.0f);
    game.Step();
    EXPECT_FLOAT_EQ(system->audioManager->m_MusicVolume, 0.5f);
    // Music off: the fade runs the volume down, the knob stays at the volume
    // it comes back at, and a drag changes nothing.
    system->audioManager->SetMusicOff(true);
    game.Step(30);
    pointAt(200.0f, -300.0f);
    game.Step();
    EXPECT_LT(system->audioManager->m_MusicVolume, 0.1f);
    EXPECT_FLOAT_EQ(system->audioManager->m_MusicRestoreVolume, 0.5f);
    EXPECT_FLOAT_EQ(knob->position.x, 120.0f);
    game.Release();
    game.Step();
    system->audioManager->SetMusicOff(false);

    // The profile slots and their names.
    ProfileManager& profiles = *system->profileManager;
    profiles.CreateProfile("Ann");
    profiles.CreateProfile("Bob");
    Stack({36, 42});
    ASSERT_EQ(menu->GetProfileSlots().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        GameObject* slot = menu->GetProfileSlots()[i];
        EXPECT_EQ(slot->position, glm::vec3(0.0f, 112.0f - 32.0f * i, -9.0f));
        EXPECT_EQ(slot->scale, glm::vec3(256.0f, 32.0f, 1.0f));
        auto* text = dynamic_cast<TextComponent*>(slot->GetComponent(CT_TEXT));
        EXPECT_EQ(text->m_posX, -118.0f);
        EXPECT_EQ(text->m_posY, -5.0f);
    }

    // Full screen at a size the display does not list fails: the failure
    // screen, no overlay, the window as it was.
    Stack({36, 37});
    press(element("chkboxFullscreen"));
    game.Release();
    EXPECT_EQ(States().GetRequestedState(), 39);
    EXPECT_FALSE(menu->IsOverlayShown());
    EXPECT_FALSE(system->window->IsFullscreen());
    game.Step();
    EXPECT_EQ(States().GetCurrentState(), 39);

    // A new size: the overlay while the loading screen reloads, then the
    // options again at 800 x 600 with their box checked.
    Stack({36, 37});
    EXPECT_EQ(menu->GetResolutionChoice(), 2);
    press(element("chkboxReso1"));
    game.Release();
    EXPECT_EQ(States().GetRequestedState(), STATE_LOADING);
    EXPECT_TRUE(menu->IsOverlayShown());
    EXPECT_EQ(system->window->GetWidth(), 800);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_LOADING; }, 3), 0);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 37; }, 400), 0);
    game.Step();
    EXPECT_FALSE(menu->IsOverlayShown());
    EXPECT_EQ(menu->GetResolutionChoice(), 1);
    auto* box = dynamic_cast<GUIComponent*>(element("chkboxReso1")->GetComponent(CT_GUI));
    EXPECT_EQ(box->m_textureId, "checked");
    EXPECT_FLOAT_EQ(element("btnBack")->scale.x, 256.0f * 800.0f / 1024.0f);
    EXPECT_TRUE(system->IsRunning());
}

} // namespace
