// A new profile's name in the running engine, its fonts loaded, at the options'
// sizes but the layout's: the name field takes a name whole however wide its
// letters are; the name's lines and the level time lie inside their boxes.
// And the screens' lines as the renderer draws them at these sizes: where
// they stand against the pictures they belong with, and that the open
// console's backing hides them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/TextComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/Menu.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/TransitionLevel.h"
#include "game/flow/UILogicComponent.h"
#include "support/EngineFixture.h"
#include "support/GLReadback.h"
#include "support/GameplayHarness.h"
#include "tools/Console.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

// Where a frame changed, and the largest change of a colour channel there.
struct Drawn
{
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1, most = 0;
    float Middle() const { return (left + right + 1) / 2.0f; }
};

class ProfileNameInProcessTest : public TestSupport::EngineTest, public testing::WithParamInterface<std::pair<int, int>>
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    // The name typed character by character into the name field.
    static std::string Typed(const std::string& text)
    {
        std::string name;
        for (char c : text) name = ApplyTypedCharacter(name, c);
        return name;
    }

    // The box (window pixels, y down) where the frame drawn now differs from
    // the frame drawn with the objects hidden (a line's draw flag off, a
    // picture skipped), looked for within a box; `queue` adds the lines a
    // state queues itself to the first frame.
    Drawn DrawnBy(const std::vector<GameObject*>& objects, const std::function<void()>& queue = {},
                  const Drawn& within = Drawn{0, 0, INT_MAX, INT_MAX})
    {
        const int width = GetParam().first, height = GetParam().second;
        auto render = [&] {
            game.GetSystem()->renderer->RenderScene();
            return TestSupport::ReadBackBuffer(width, height);
        };
        if (queue) queue();
        const TestSupport::Picture shown = render();
        std::vector<unsigned> flags;
        for (GameObject* o : objects) {
            flags.push_back(o->flags);
            if (auto* line = o->GetComponent<TextComponent>()) line->m_drawMe = false;
            else o->flags |= OBJ_SKIP_DRAW;
        }
        const TestSupport::Picture hidden = render();
        for (size_t i = 0; i < objects.size(); ++i) {
            objects[i]->flags = flags[i];
            if (auto* line = objects[i]->GetComponent<TextComponent>()) line->m_drawMe = true;
        }
        Drawn box;
        for (int y = std::max(within.top, 0); y < std::min(within.bottom, height); ++y)
            for (int x = std::max(within.left, 0); x < std::min(within.right, width); ++x) {
                const size_t at = (static_cast<size_t>(height - 1 - y) * width + x) * 4;
                int change = 0;
                for (int c = 0; c < 3; ++c) change = std::max(change, std::abs(shown[at + c] - hidden[at + c]));
                if (change == 0) continue;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y),
                       std::max(box.most, change)};
            }
        return box;
    }
    // The current screen's object whose line is `text` or whose UI name it is.
    GameObject* Named(const std::string& text)
    {
        const int screen = game.GetSystem()->gameStateManager->GetCurrentState();
        for (GameObject* o : game.GetSystem()->objectManager->GetAllObjects()) {
            const auto* line = o->GetComponent<TextComponent>();
            const auto* element = o->GetComponent<UILogicComponent>();
            if (o->stateId == screen && ((line && line->m_text == text) || (element && element->m_UIName == text)))
                return o;
        }
        ADD_FAILURE() << text;
        return nullptr;
    }
    // An object's right edge in window pixels.
    float RightEdge(const GameObject* o) const { return GetParam().first / 2.0f + o->position.x + o->scale.x / 2; }

    GameplayHarness game{GetParam().first, GetParam().second};
};

TEST_P(ProfileNameInProcessTest, ANameIsTakenWholeHoweverWide)
{
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.GetSystem()->fontManager, nullptr);
    const std::string wide(40, 'W');
    EXPECT_EQ(Typed(wide), wide);
    for (const char* name : {"Christopher", "Playthrough", "Anna-Lena Moe"}) EXPECT_EQ(Typed(name), name);
    EXPECT_EQ(Typed(wide + "\b\bab"), wide.substr(0, wide.size() - 2) + "ab");
}

TEST_P(ProfileNameInProcessTest, ALongNameIsDrawnWithinItsFieldSlotAndGreetingAndKeptWhole)
{
    ASSERT_TRUE(game.Start());
    System* system = game.GetSystem();
    const std::string name = std::string(60, 'W') + "ab";
    // A screen's lines showing the name (typed first), each within its box.
    auto shown = [this, system](int screen, const std::string& typed) {
        std::string lines;
        EXPECT_TRUE(game.EnterState(screen));
        for (char c : typed) system->inputManager->OnCharacter(static_cast<unsigned char>(c));
        game.Step();
        for (GameObject* o : system->objectManager->GetAllObjects()) {
            const auto* line = o->GetComponent<TextComponent>();
            if (o->stateId != screen || !line || line->m_text.find("WW") == std::string::npos) continue;
            const float x = o->position.x + line->m_posX, box = o->scale.x / 2;
            EXPECT_GE(x, o->position.x - box) << screen;
            EXPECT_LE(x + line->Width(line->m_text), o->position.x + box) << screen;
            lines += line->m_text + "|";
        }
        return lines;
    };
    EXPECT_EQ(shown(43, name).substr(0, 5), "...WW");  // the name field shows the end typed
    GameObject* add = system->objectManager->CreatePlacedInstance(UIOBJECT, glm::vec3(0.0f), 1, 43);
    auto* click = dynamic_cast<UILogicComponent*>(add->AddComponent(CT_UILOGIC));
    click->m_UIName = "btnProfileAdd";
    click->m_UseMouse = false;
    click->m_LeftClickState = UI_STATE_BEGUN;
    game.Step();
    EXPECT_EQ(system->profileManager->GetCurrentProfile()->name, name);
    EXPECT_NE(shown(STATE_MAINMENU, "").find("W...! (Not you?)|"), std::string::npos);
    EXPECT_NE(shown(42, "").find("W...|"), std::string::npos);  // the profile screen
    int centred = 0;  // a line the layout puts in the middle stays there, its letters scaled with it
    for (GameObject* o : system->objectManager->GetObjectsWithComponent(CT_TEXT)) {
        const auto* line = o->GetComponent<TextComponent>();
        if (line->m_text.rfind("Pick a profile", 0) != 0 || !++centred) continue;
        EXPECT_NEAR(o->position.x + line->m_posX + line->Width(line->m_text) / 2, 0.0f, 8.0f);
    }
    EXPECT_EQ(centred, 1);
    auto* menu = dynamic_cast<Menu*>(GetStateObject(StateObjectKind::Menu));
    EXPECT_EQ(menu->GetSelectedSlot(), menu->GetProfileSlots().back()->GetComponent<UILogicComponent>());

    // The level time on its label's line, in its font, after it and inside the window.
    system->profileManager->GetCurrentProfile()->lastLevelTime = 12345;
    system->gameStateManager->RequestState(17);  // the menus go first
    ASSERT_GT(game.StepUntil([system] { return system->gameStateManager->GetCurrentState() == 17; }, 5), 0);
    GetStateObject(StateObjectKind::TransitionLevel)->Update(*system->gameStateManager);  // the time queued last
    const FontManager::TextItem time = system->fontManager->GetQueue().back();
    ASSERT_EQ(time.text, "12345");
    EXPECT_TRUE(time.layout);
    EXPECT_LT(time.x + system->fontManager->TextWidth(time.fontId, time.text, true), GetParam().first * 0.45f);
    for (GameObject* o : system->objectManager->GetObjectsWithComponent(CT_TEXT)) {
        const auto* label = o->GetComponent<TextComponent>();
        if (label->m_text != TRANSITION_TIME_LABEL) continue;
        EXPECT_EQ(time.fontId, label->m_fontId);
        EXPECT_EQ(time.y, o->position.y + label->m_posY);
        EXPECT_GT(time.x, o->position.x + label->m_posX + label->Width(label->m_text));
    }
}

TEST_P(ProfileNameInProcessTest, LinesStandAsLaidOutAndTheOpenConsoleHidesThem)
{
    ASSERT_TRUE(game.Start());
    System* system = game.GetSystem();
    const float scale = GetParam().first / 1024.0f, centre = GetParam().first / 2.0f;
    std::string name = "Anna-Lena";
    system->profileManager->CreateProfile(name);
    system->profileManager->SelectProfile(name);
    system->profileManager->GetCurrentProfile()->lastLevelTime = 42;
    auto* transition = GetStateObject(StateObjectKind::TransitionLevel);
    const auto queueTime = [&] { transition->Update(*system->gameStateManager); };
    // Each screen: what it shows, then the console open over it; inside the
    // console's backing the screen's lines change no more than the backing
    // lets through.
    int underBacking = 0;
    for (int screen : {STATE_MAINMENU, 37, 17}) {
        SCOPED_TRACE(screen);
        system->gameStateManager->RequestState(screen);  // the menus go first
        ASSERT_GT(game.StepUntil([&] { return system->gameStateManager->GetCurrentState() == screen; }, 5), 0);
        game.Step();
        std::vector<GameObject*> lines;
        for (GameObject* o : system->objectManager->GetAllObjects())
            if (o->stateId == screen && o->GetComponent<TextComponent>()) lines.push_back(o);
        if (screen == STATE_MAINMENU) {  // the greeting under the buttons' middle
            EXPECT_NEAR(DrawnBy({Named("lblProfileName")}).Middle(), centre + Named("btnStart")->position.x, 3.0f);
        } else if (screen == 37) {  // each size beside its box as laid out; the left column's lines start together
            const char* const sizes[] = {"800 x 600", "1024 x 768", "1280 x 960"};
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(DrawnBy({Named(sizes[i])}).left - RightEdge(Named("chkboxReso" + std::to_string(i + 1))),
                            (170.0f - 153.0f) * scale, 3.0f) << sizes[i];
            const int column = DrawnBy({Named("Resolution")}).left;
            for (const char* text : {"Full screen", "Music", "Sound effects", "Music volume"})
                EXPECT_NEAR(DrawnBy({Named(text)}).left, column, 2) << text;
        } else {  // the lines laid out in the middle stay there; the time, the grade and its stars centred as a block
            for (const char* title : {"Level 1 complete", "Next level: BOOM"})
                EXPECT_NEAR(DrawnBy({Named(title)}).Middle(), centre, 4.0f) << title;
            std::vector<GameObject*> block = {Named(TRANSITION_TIME_LABEL), Named("Grade:")};
            for (GameObject* star : dynamic_cast<TransitionLevel*>(transition)->GetStars()) block.push_back(star);
            EXPECT_NEAR(DrawnBy(block, queueTime).Middle(), centre, 8.0f);
        }
        game.Hold({KEY_OEM_3});
        game.Step();
        game.Release();
        game.Step();
        ASSERT_TRUE(system->console->IsOpen());
        const GameObject* backing = system->console->GetConsoleObject();
        const Drawn inside{static_cast<int>(centre + backing->position.x - backing->scale.x / 2),
                           static_cast<int>(GetParam().second / 2.0f - backing->position.y - backing->scale.y / 2),
                           static_cast<int>(centre + backing->position.x + backing->scale.x / 2),
                           static_cast<int>(GetParam().second / 2.0f - backing->position.y + backing->scale.y / 2)};
        const Drawn under = DrawnBy(lines, screen == 17 ? queueTime : std::function<void()>(), inside);
        underBacking += under.right >= 0;
        EXPECT_LE(under.most, (1.0f - backing->GetComponent<GUIComponent>()->m_opacity) * 255.0f + 2.0f);
        game.Hold({KEY_OEM_3});
        game.Step();
        game.Release();
        game.Step();
    }
    EXPECT_GE(underBacking, 1);
}

INSTANTIATE_TEST_SUITE_P(OptionSizes, ProfileNameInProcessTest,
                         testing::Values(std::make_pair(800, 600), std::make_pair(1280, 960)));

} // namespace
