// A new profile's name in the running engine, its fonts loaded: the name
// field takes a name whole however wide its letters are.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/System.h"
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

TEST_F(ProfileNameInProcessTest, ANameIsTakenWholeHoweverWide)
{
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.GetSystem()->fontManager, nullptr);
    const std::string wide(40, 'W');
    EXPECT_EQ(Typed(wide), wide);
    for (const char* name : {"Christopher", "Playthrough", "Anna-Lena Moe"}) EXPECT_EQ(Typed(name), name);
    EXPECT_EQ(Typed(wide + "\b\bab"), wide.substr(0, wide.size() - 2) + "ab");
}

} // namespace
