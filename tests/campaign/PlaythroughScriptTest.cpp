// Key scripts of the playthroughs: the readable key names and the line
// format "frames keys...", with comments, and the mistakes a script writer
// makes (a missing count, a misspelt key) named by their line.
#include <gtest/gtest.h>

#include "engine/core/InputManager.h"
#include "support/GameplayHarness.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

TEST(PlaythroughScriptTest, KeyNamesAreReadableBothWays)
{
    EXPECT_EQ(GameplayHarness::KeyByName("W"), KEY_A + ('W' - 'A'));
    EXPECT_EQ(GameplayHarness::KeyByName("d"), KEY_A + ('D' - 'A'));
    EXPECT_EQ(GameplayHarness::KeyByName("2"), KEY_0 + 2);
    EXPECT_EQ(GameplayHarness::KeyByName("lbutton"), KEY_LBUTTON);
    EXPECT_EQ(GameplayHarness::KeyByName("F12"), KEY_F12);
    EXPECT_EQ(GameplayHarness::KeyByName("F1"), KEY_F1);
    for (const char* bad : {"", "F0", "F13", "F1X", "WA", "MOUSE", "Ä"}) EXPECT_EQ(GameplayHarness::KeyByName(bad), -1) << bad;
    for (int key = 0; key < InputManager::KEY_COUNT; ++key) {
        const std::string name = GameplayHarness::KeyName(key);
        if (!name.empty()) {
            EXPECT_EQ(GameplayHarness::KeyByName(name), key) << name;
        }
    }
}

TEST(PlaythroughScriptTest, LinesHoldTheirKeysForTheirFrames)
{
    KeyScript script;
    std::string error;
    ASSERT_TRUE(ParseKeyScript("# the robot beams in\n"
                               "61\n"
                               "\n"
                               "  30 W D   # up and right\n"
                               "1 LBUTTON\n",
                               script, error))
        << error;
    ASSERT_EQ(script.lines.size(), 3u);
    EXPECT_EQ(script.lines[0].frames, 61);
    EXPECT_TRUE(script.lines[0].keys.empty());
    EXPECT_EQ(script.lines[1].lineNumber, 4);
    EXPECT_EQ(script.lines[1].keys, (std::vector<int>{KEY_A + ('W' - 'A'), KEY_A + ('D' - 'A')}));
    EXPECT_EQ(script.lines[2].keys, (std::vector<int>{KEY_LBUTTON}));
    EXPECT_EQ(script.Frames(), 92);
    EXPECT_EQ(KeyScript::Idle(120).Frames(), 120);
    EXPECT_EQ(KeyScript::Idle(0).lines.size(), 0u);
}

TEST(PlaythroughScriptTest, AMistakeNamesItsLineAndLeavesNoScript)
{
    KeyScript script;
    std::string error;
    EXPECT_FALSE(ParseKeyScript("10 W\nW 10\n", script, error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_TRUE(script.lines.empty());
    EXPECT_FALSE(ParseKeyScript("0 W\n", script, error));
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    EXPECT_FALSE(ParseKeyScript("-5 W\n", script, error));
    EXPECT_FALSE(ParseKeyScript("99999999999 W\n", script, error));
    EXPECT_FALSE(ParseKeyScript("10 W\n# fine\n5 W JUMP\n", script, error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_NE(error.find("JUMP"), std::string::npos) << error;
    EXPECT_TRUE(script.lines.empty());
    EXPECT_FALSE(LoadKeyScript("tests/data/playthrough/no such level.txt", script, error));
    EXPECT_NE(error.find("no such level"), std::string::npos) << error;
}
