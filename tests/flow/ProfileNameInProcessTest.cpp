// A new profile's name in the running engine, its fonts loaded, at the options'
// sizes but the layout's: the name field takes a name whole however wide its
// letters are; the name's lines and the level time lie inside their boxes; the
// screens' lines where the renderer draws them, and under the open console.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
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

    // Where the frame drawn now differs from the one with the objects hidden (a line's flag off, a picture
    // skipped), within `in` (window pixels, y down): left, top, right, bottom (right -1: nowhere).
    glm::ivec4 DrawnBy(const std::vector<GameObject*>& objects, glm::ivec4 in = {0, 0, 4096, 4096})
    {
        const int w = GetParam().first, h = GetParam().second;
        TestSupport::Picture frames[2];
        for (int shown : {1, 0, 1}) {
            for (GameObject* o : objects)
                if (auto* line = o->GetComponent<TextComponent>()) line->m_drawMe = shown;
                else o->flags = shown ? o->flags & ~OBJ_SKIP_DRAW : o->flags | OBJ_SKIP_DRAW;
            if (frames[shown].empty()) game.GetSystem()->renderer->RenderScene();
            if (frames[shown].empty()) frames[shown] = TestSupport::ReadBackBuffer(w, h);
        }
        glm::ivec4 box(w, h, -1, -1);
        for (int y = std::max(in.y, 0); y < std::min(in.w, h); ++y)
            for (int x = std::max(in.x, 0); x < std::min(in.z, w); ++x)
                for (size_t c = 0, at = (static_cast<size_t>(h - 1 - y) * w + x) * 4; c < 3; ++c)
                    if (frames[0][at + c] != frames[1][at + c])
                        box = glm::ivec4(glm::min(glm::ivec2(box), {x, y}), glm::max(glm::ivec2(box.z, box.w), {x, y}));
        return box;
    }
    // The current screen's object whose line is `text` or whose UI name it is.
    GameObject* Named(const std::string& text)
    {
        for (GameObject* o : game.GetSystem()->objectManager->GetAllObjects()) {
            const auto* line = o->GetComponent<TextComponent>();
            const auto* element = o->GetComponent<UILogicComponent>();
            if (o->stateId == game.GetSystem()->gameStateManager->GetCurrentState() &&
                ((line && line->m_text == text) || (element && element->m_UIName == text)))
                return o;
        }
        return nullptr;
    }

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
    EXPECT_LT(time.x + system->fontManager->TextWidth(time.fontId, time.text, time.layout), GetParam().first * 0.45f);
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
    const int centre = GetParam().first / 2;
    GameState* transition = GetStateObject(StateObjectKind::TransitionLevel);
    const auto middle = [](const glm::ivec4& box) { return (box.x + box.z) / 2.0f; };
    int underBacking = 0;
    for (int screen : {STATE_MAINMENU, 37, 17}) {
        system->gameStateManager->RequestState(screen);  // the menus go first
        ASSERT_GT(game.StepUntil([&] { return system->gameStateManager->GetCurrentState() == screen; }, 5), 0);
        if (screen == STATE_MAINMENU) {  // the greeting under the buttons' middle
            EXPECT_NEAR(middle(DrawnBy({Named("lblProfileName")})), centre + Named("btnStart")->position.x, 3.0f);
        }
        for (int i = 0; screen == 37 && i < 3; ++i) {  // each size 17 layout pixels right of its box, as laid out
            const GameObject* box = Named("chkboxReso" + std::to_string(i + 1));
            const char* size = i == 0 ? "800 x 600" : i == 1 ? "1024 x 768" : "1280 x 960";
            const float gap = DrawnBy({Named(size)}).x - centre - box->position.x - box->scale.x / 2;
            EXPECT_NEAR(gap, 17.0f * centre / 512, 3.0f) << size;
        }
        for (const char* text : {"Full screen", "Music", "Sound effects", "Music volume"}) {  // the left column's start
            if (screen == 37) {
                EXPECT_NEAR(DrawnBy({Named(text)}).x, DrawnBy({Named("Resolution")}).x, 2) << text;
            }
        }
        if (screen == 17) {  // the title, and the time, the grade and its stars as a block, centred
            std::vector<GameObject*> block = {Named(TRANSITION_TIME_LABEL), Named("Grade:")};
            for (GameObject* star : dynamic_cast<TransitionLevel*>(transition)->GetStars()) block.push_back(star);
            EXPECT_NEAR(middle(DrawnBy({Named("Level 1 complete")})), centre, 4.0f);
            transition->Update(*system->gameStateManager);  // the time queued for the next frame
            EXPECT_NEAR(middle(DrawnBy(block)), centre, 8.0f);
        }
        // Lines under where the console's backing lies show there only while it is closed.
        std::vector<GameObject*> lines;
        for (GameObject* o : system->objectManager->GetObjectsWithComponent(CT_TEXT))
            if (o->stateId == screen) lines.push_back(o);
        const GameObject* backing = system->console->GetConsoleObject();
        const glm::ivec2 corner = glm::ivec2(centre + backing->position.x - backing->scale.x / 2,
                                             GetParam().second / 2 - backing->position.y - backing->scale.y / 2);
        for (bool open : {false, true}) {
            if (open) game.Hold({KEY_OEM_3}), game.Step(), game.Release(), game.Step();
            if (screen == 17) transition->Update(*system->gameStateManager);
            const bool drawn = DrawnBy(lines, glm::ivec4(corner, corner + glm::ivec2(backing->scale))).z >= 0;
            EXPECT_TRUE(!open || !drawn) << screen;
            underBacking += !open && drawn;
        }
        game.Hold({KEY_OEM_3}), game.Step(), game.Release(), game.Step();
    }
    EXPECT_GE(underBacking, 1);
}

INSTANTIATE_TEST_SUITE_P(OptionSizes, ProfileNameInProcessTest,
                         testing::Values(std::make_pair(800, 600), std::make_pair(1280, 960)));

} // namespace
