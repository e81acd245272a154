// A new profile's name in the running engine, its fonts loaded, at the options'
// sizes but the layout's: the name field takes a name whole however wide its
// letters are; the name's lines and the level time lie inside their boxes.
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
    ASSERT_TRUE(game.Start() && game.EnterState(STATE_MAINMENU));
    const int w = GetParam().first, centre = w / 2;
    // The columns, left and right (-1: none), where the frame drawn differs from one with the objects hidden.
    const auto drawnBy = [&](const std::vector<GameObject*>& objects) {
        TestSupport::Picture frames[2];
        for (int shown : {0, 1}) {
            for (GameObject* o : objects)
                if (auto* t = o->GetComponent<TextComponent>()) t->m_drawMe = shown; else o->flags ^= OBJ_SKIP_DRAW;
            game.GetSystem()->renderer->RenderScene();
            frames[shown] = TestSupport::ReadBackBuffer(w, GetParam().second);
        }
        int left = w, right = -1;
        for (size_t at = 0; at < frames[0].size(); ++at)
            if (at % 4 < 3 && frames[0][at] != frames[1][at])
                left = std::min(left, int(at / 4 % w)), right = std::max(right, int(at / 4 % w));
        return glm::ivec2(left, right);
    };
    const auto middle = [&](std::vector<GameObject*> o) { const glm::ivec2 d = drawnBy(o); return (d.x + d.y) / 2.0f; };
    const auto named = [&](const std::string& name) -> GameObject* {  // the shown object with that line or UI name
        for (GameObject* o : game.GetSystem()->objectManager->GetActiveObjects())
            if (auto* t = o->GetComponent<TextComponent>(); t && t->m_text == name) return o;
            else if (auto* e = o->GetComponent<UILogicComponent>(); e && e->m_UIName == name) return o;
        return nullptr;
    };
    EXPECT_NEAR(middle({named("lblProfileName")}), centre + named("btnStart")->position.x, 3.0f);  // under the buttons
    // The title, and the level time's label, the grade and its stars as a block, centred.
    game.GetSystem()->gameStateManager->RequestState(17);  // the menus go first
    ASSERT_GT(game.StepUntil([&] { return game.GetSystem()->gameStateManager->GetCurrentState() == 17; }, 5), 0);
    auto block = dynamic_cast<TransitionLevel*>(GetStateObject(StateObjectKind::TransitionLevel))->GetStars();
    block.insert(block.end(), {named(TRANSITION_TIME_LABEL), named("Grade:")});
    EXPECT_NEAR(middle({named("Level 1 complete")}), centre, 4.0f);
    EXPECT_NEAR(middle(block), centre, 8.0f);
    // The sizes 17 layout pixels right of their boxes, as laid out, and hidden under the open console's backing;
    // the left column starting together.
    ASSERT_TRUE(game.EnterState(37));
    const float boxEnd = centre + named("chkboxReso1")->position.x + named("chkboxReso1")->scale.x / 2;
    for (const char* size : {"800 x 600", "1024 x 768", "1280 x 960"})
        EXPECT_NEAR(drawnBy({named(size)}).x - boxEnd, 17.0f * centre / 512, 4.0f) << size;  // a "1" starts its ink later
    for (const char* text : {"Full screen", "Music", "Sound effects", "Music volume"})
        EXPECT_NEAR(drawnBy({named(text)}).x, drawnBy({named("Resolution")}).x, 2) << text;
    game.Hold({KEY_OEM_3}), game.Step(), game.Release(), game.Step();
    EXPECT_LT(drawnBy({named("800 x 600"), named("1024 x 768"), named("1280 x 960")}).y, 0);
}

INSTANTIATE_TEST_SUITE_P(OptionSizes, ProfileNameInProcessTest,
                         testing::Values(std::make_pair(800, 600), std::make_pair(1280, 960)));

} // namespace
