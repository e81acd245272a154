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
#include "support/Playthrough.h"

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

    TestSupport::Playthrough run;  // its clicks and typing
    GameplayHarness& game = run.Game();
};

TEST_F(ProfileNameInProcessTest, ANameIsTakenWholeHoweverWide)
{
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.GetSystem()->fontManager, nullptr);
    const std::string wide(40, 'W');
    EXPECT_EQ(Typed(wide), wide);
    for (const char* name : {"Christopher", "Playthrough", "Anna-Lena Moe"}) EXPECT_EQ(Typed(name), name);
    EXPECT_EQ(Typed(wide + "\b\bab"), wide.substr(0, wide.size() - 2) + "ab");

    // Typed and added, a longer one is drawn within the field (its end), the greeting and its slot, and kept whole.
    System* system = game.GetSystem();
    const auto shown = [&](int screen) {  // the screen's lines showing the name
        std::string lines;
        for (GameObject* o : system->objectManager->GetAllObjects()) {
            const auto* line = o->GetComponent<TextComponent>();
            if (o->stateId != screen || !line || line->m_text.find("WW") == std::string::npos) continue;
            EXPECT_LE(system->fontManager->TextWidth(line->m_fontId, line->m_text), TextRoom(*o, *line));
            lines += line->m_text + "|";
        }
        return lines;
    };
    ASSERT_TRUE(game.EnterState(STATE_MAINMENU) && game.EnterState(43));  // no splash below
    run.Type(wide + wide + "ab");
    EXPECT_EQ(shown(43).substr(0, 5), "...WW");
    ASSERT_TRUE(run.Click("btnProfileAdd"));  // back to the main menu
    EXPECT_EQ(system->profileManager->GetCurrentProfile()->name, wide + wide + "ab");
    EXPECT_NE(shown(STATE_MAINMENU).find("W...! (Not you?)|"), std::string::npos);
    ASSERT_TRUE(game.EnterState(42));
    EXPECT_NE(shown(42).find("W...|"), std::string::npos);
    auto* menu = dynamic_cast<Menu*>(GetStateObject(StateObjectKind::Menu));
    EXPECT_EQ(menu->GetSelectedSlot(), menu->GetProfileSlots().back()->GetComponent<UILogicComponent>());
}

} // namespace
