// A new profile's name in the running engine, its fonts loaded: the name
// field takes a name whole however wide its letters are; at each window size
// the options offer but the layout's own, the name's lines and the level
// time lie inside their boxes.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
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
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

class ProfileNameInProcessTest : public TestSupport::EngineTest
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

    GameplayHarness game;
};

class ProfileNameAtSizeTest : public TestSupport::EngineTest, public testing::WithParamInterface<std::pair<int, int>>
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    GameplayHarness game{GetParam().first, GetParam().second};
};

TEST_F(ProfileNameInProcessTest, ANameIsTakenWholeHoweverWide)
{
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.GetSystem()->fontManager, nullptr);
    const std::string wide(40, 'W');
    EXPECT_EQ(Typed(wide), wide);
    for (const char* name : {"Christopher", "Playthrough", "Anna-Lena Moe"}) EXPECT_EQ(Typed(name), name);
    EXPECT_EQ(Typed(wide + "\b\bab"), wide.substr(0, wide.size() - 2) + "ab");
}

TEST_P(ProfileNameAtSizeTest, ALongNameIsDrawnWithinItsFieldSlotAndGreetingAndKeptWhole)
{
    ASSERT_TRUE(game.Start());
    System* system = game.GetSystem();
    FontManager* fonts = system->fontManager;
    const std::string name = std::string(60, 'W') + "ab";
    // A screen's lines showing the name (typed first), each within its box.
    auto shown = [this, system, fonts](int screen, const std::string& typed) {
        std::string lines;
        EXPECT_TRUE(game.EnterState(screen));
        for (char c : typed) system->inputManager->OnCharacter(static_cast<unsigned char>(c));
        game.Step();
        for (GameObject* o : system->objectManager->GetAllObjects()) {
            const auto* line = o->GetComponent<TextComponent>();
            if (o->stateId != screen || !line || line->m_text.find("WW") == std::string::npos) continue;
            const float x = o->position.x + line->m_posX, y = o->position.y + line->m_posY;
            const float size = static_cast<float>(fonts->GetFont(line->m_fontId)->GetSize());
            EXPECT_GE(x, o->position.x - o->scale.x / 2) << screen;
            EXPECT_LE(x + fonts->TextWidth(line->m_fontId, line->m_text), o->position.x + o->scale.x / 2) << screen;
            EXPECT_GE(y - size * 0.25f, o->position.y - o->scale.y / 2) << screen;
            EXPECT_LE(y + size * 0.8f, o->position.y + o->scale.y / 2) << screen;
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
    auto* menu = dynamic_cast<Menu*>(GetStateObject(StateObjectKind::Menu));
    EXPECT_EQ(menu->GetSelectedSlot(), menu->GetProfileSlots().back()->GetComponent<UILogicComponent>());

    // The level time on its label's line, in its font, after it and inside the window.
    system->profileManager->GetCurrentProfile()->lastLevelTime = 12345;
    system->gameStateManager->RequestState(17);  // the menus go first
    ASSERT_GT(game.StepUntil([system] { return system->gameStateManager->GetCurrentState() == 17; }, 5), 0);
    GetStateObject(StateObjectKind::TransitionLevel)->Update(*system->gameStateManager);  // its lines queued
    for (const FontManager::TextItem& time : fonts->GetQueue()) {
        if (time.text != "12345") continue;
        GameObject* label = system->objectManager->GetObjectsWithComponent(CT_TEXT).front();
        for (GameObject* o : system->objectManager->GetObjectsWithComponent(CT_TEXT))
            if (o->GetComponent<TextComponent>()->m_text == TRANSITION_TIME_LABEL) label = o;
        const auto* text = label->GetComponent<TextComponent>();
        EXPECT_EQ(time.fontId, text->m_fontId);
        EXPECT_EQ(time.y, label->position.y + text->m_posY);
        EXPECT_GT(time.x, label->position.x + text->m_posX + fonts->TextWidth(text->m_fontId, text->m_text));
        EXPECT_LT(time.x + fonts->TextWidth(time.fontId, time.text), GetParam().first * 0.45f);
        return;
    }
    ADD_FAILURE() << "no time queued";
}

INSTANTIATE_TEST_SUITE_P(OptionSizes, ProfileNameAtSizeTest,
                         testing::Values(std::make_pair(800, 600), std::make_pair(1280, 960)));

} // namespace
