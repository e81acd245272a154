// A new profile's name in the running engine, its fonts loaded: the name
// field takes a name whole however wide its letters are.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/TextComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/Menu.h"
#include "game/flow/ProfileManager.h"
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

TEST_F(ProfileNameInProcessTest, ANameIsTakenWholeHoweverWide)
{
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.GetSystem()->fontManager, nullptr);
    const std::string wide(40, 'W');
    EXPECT_EQ(Typed(wide), wide);
    for (const char* name : {"Christopher", "Playthrough", "Anna-Lena Moe"}) EXPECT_EQ(Typed(name), name);
    EXPECT_EQ(Typed(wide + "\b\bab"), wide.substr(0, wide.size() - 2) + "ab");
}

TEST_F(ProfileNameInProcessTest, ALongNameIsDrawnWithinItsSlotAndTheGreeting)
{
    ASSERT_TRUE(game.Start());
    System* system = game.GetSystem();
    std::string wide(60, 'W');
    ASSERT_TRUE(system->profileManager->CreateProfile(wide));
    ASSERT_TRUE(system->profileManager->SelectProfile(wide));
    // An object's text, checked to fit within its box.
    auto shown = [system](GameObject* o) {
        const auto* line = o ? o->GetComponent<TextComponent>() : nullptr;
        if (!line) return std::string();
        EXPECT_LE(system->fontManager->TextWidth(line->m_fontId, line->m_text), TextRoom(*o, *line)) << line->m_text;
        return line->m_text;
    };
    ASSERT_TRUE(game.EnterState(STATE_MAINMENU));
    game.Step();
    GameObject* greeting = nullptr;
    for (GameObject* o : system->objectManager->GetAllObjects())
        if (auto* element = o->GetComponent<UILogicComponent>())
            if (element->m_UIName == "lblProfileName") greeting = o;
    EXPECT_EQ(shown(greeting).substr(0, 8), "Hello, W");
    EXPECT_NE(shown(greeting).find("W...! (Not you?)"), std::string::npos);
    // The slot shows the cut name and is still the current profile's.
    ASSERT_TRUE(game.EnterState(42));  // the profile screen
    auto* menu = dynamic_cast<Menu*>(GetStateObject(StateObjectKind::Menu));
    ASSERT_EQ(menu->GetProfileSlots().size(), 2u);
    GameObject* slot = menu->GetProfileSlots()[1];
    EXPECT_EQ(menu->GetSelectedSlot(), slot->GetComponent<UILogicComponent>());
    EXPECT_EQ(shown(slot).substr(0, 3) + shown(slot).substr(shown(slot).size() - 3), "WWW...");
}

} // namespace
