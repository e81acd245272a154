// A new profile's name measured in the running engine's own font: the name
// field takes a name as long as the main menu's greeting has room for it,
// by the width of its letters rather than their count, and the greeting the
// main menu then shows stays inside its label.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
#include "game/flow/Menu.h"
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

TEST_F(ProfileNameInProcessTest, TheGreetingsRoomDecidesHowLongANameIs)
{
    ASSERT_TRUE(game.Start());
    const FontManager* fonts = game.GetSystem()->fontManager;
    ASSERT_NE(fonts, nullptr);
    ASSERT_GT(fonts->TextWidth(GREETING_FONT_ID, "W"), 0.0f);

    // Wide letters stop early, narrow ones late; each greeting fits its label.
    const std::string wide = Typed(std::string(40, 'W'));
    const std::string narrow = Typed(std::string(80, 'i'));
    EXPECT_GE(wide.size(), MAX_PROFILE_NAME_LENGTH);
    EXPECT_GT(narrow.size(), wide.size() * 2);
    for (const std::string& name : {wide, narrow}) {
        EXPECT_LE(fonts->TextWidth(GREETING_FONT_ID, ProfileGreeting(name)), GREETING_TEXT_ROOM) << name;
        EXPECT_GT(fonts->TextWidth(GREETING_FONT_ID, ProfileGreeting(name + name.back())), GREETING_TEXT_ROOM) << name;
    }
    // Everyday names longer than the fallback's ten characters are whole.
    for (const char* name : {"Christopher", "Playthrough", "Anna-Lena Moe"}) EXPECT_EQ(Typed(name), name);
    EXPECT_EQ(Typed(std::string(40, 'W') + "\b\bab"), wide.substr(0, wide.size() - 2) + "ab");
}

} // namespace
