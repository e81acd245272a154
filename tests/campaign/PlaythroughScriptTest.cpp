// Key scripts of the playthroughs: the readable key names and the line
// format "frames keys... [condition]", with comments, and the mistakes a
// script writer makes (a missing count, a misspelt key, a condition that is
// not one) named by their line.
#include <gtest/gtest.h>

#include <glm/vec3.hpp>

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

TEST(PlaythroughScriptTest, AConditionEndsItsLineAndNamesWhatItWatches)
{
    KeyScript script;
    std::string error;
    ASSERT_TRUE(ParseKeyScript("90 W z<24.6   # onto the pad\n"
                               "600 ex>-3.5\n"
                               "60 A reach\n"
                               "10 E\n",
                               script, error))
        << error;
    ASSERT_EQ(script.lines.size(), 4u);
    const ScriptLine& pad = script.lines[0];
    EXPECT_EQ(pad.keys, (std::vector<int>{KEY_A + ('W' - 'A')}));
    EXPECT_EQ(pad.untilAxis, 'z');
    EXPECT_EQ(pad.untilOp, '<');
    EXPECT_FLOAT_EQ(pad.untilValue, 24.6f);
    EXPECT_FALSE(pad.untilEnemy);
    EXPECT_TRUE(pad.ConditionHolds(glm::vec3(0.0f, 0.0f, 24.5f)));
    EXPECT_FALSE(pad.ConditionHolds(glm::vec3(0.0f, 0.0f, 24.6f)));
    const ScriptLine& patrol = script.lines[1];
    EXPECT_TRUE(patrol.keys.empty());
    EXPECT_TRUE(patrol.untilEnemy);
    EXPECT_EQ(patrol.untilAxis, 'x');
    EXPECT_TRUE(patrol.ConditionHolds(glm::vec3(-3.0f, 0.0f, 0.0f)));
    EXPECT_FALSE(patrol.ConditionHolds(glm::vec3(-4.0f, 0.0f, 0.0f)));
    EXPECT_TRUE(script.lines[2].untilCrateInReach);
    EXPECT_TRUE(script.lines[2].HasCondition());
    EXPECT_FALSE(script.lines[2].ConditionHolds(glm::vec3(0.0f)));
    // A lone E is the key, not an enemy's condition.
    EXPECT_FALSE(script.lines[3].HasCondition());
    EXPECT_EQ(script.lines[3].keys, (std::vector<int>{KEY_A + ('E' - 'A')}));
    EXPECT_EQ(script.Frames(), 760);

    for (const char* bad : {"10 W z<\n", "10 W z<2x\n", "10 W q<3\n", "10 W x<1 z<2\n", "10 reach x<1\n",
                            "10 W z<nan\n"}) {
        EXPECT_FALSE(ParseKeyScript(std::string("5\n") + bad, script, error)) << bad;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
        EXPECT_TRUE(script.lines.empty());
    }
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
