// The console in the whole program under the test's X server, typed into as
// fast as xdotool types: in a level the console has the keyboard, so a line
// full of the robot's keys (p resets, w a s d walk, c skips the level)
// neither restarts the level nor moves the robot, and every character of it
// reaches the line; Escape closes it without the pause menu. The level files
// the console's "save" writes (the robot's position among their objects)
// show where the robot stood, in a scratch folder of the test's own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <tinyxml2.h>

#include "support/EngineFixture.h"
#include "support/ProgramDriver.h"
#include "support/ProgramRun.h"
#include "support/ScratchProgramTest.h"
#include "support/TestEnv.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {


struct Position
{
    bool found = false;
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

// The position of the robot in a level file.
Position RobotIn(const std::string& text)
{
    Position at;
    tinyxml2::XMLDocument document;
    if (document.Parse(text.c_str()) != tinyxml2::XML_SUCCESS || !document.RootElement()) return at;
    for (const tinyxml2::XMLElement* o = document.RootElement()->FirstChildElement("Object"); o;
         o = o->NextSiblingElement("Object")) {
        const tinyxml2::XMLElement* type = o->FirstChildElement("Type");
        const tinyxml2::XMLElement* position = o->FirstChildElement("Position");
        if (!type || !type->GetText() || std::string(type->GetText()) != "PLAYER" || !position || !position->GetText())
            continue;
        at.found = std::sscanf(position->GetText(), "%f %f %f", &at.x, &at.y, &at.z) == 3;
        return at;
    }
    return at;
}

class ConsoleTypingProgramTest : public ScratchProgramTest
{
};

TEST_F(ConsoleTypingProgramTest, ALineOfTheRobotsKeysTypedFastStaysInTheConsole)
{
    Program program(scratch.Path());
    ProgramDriver driver(program);
    ASSERT_TRUE(program.WaitForOutput("Loading level MAINMENU")) << program.Stdout();

    // Opened and typed into at once: the first letter and the capitals arrive.
    ASSERT_TRUE(driver.Key("grave"));
    ASSERT_TRUE(driver.Type("goto LEVEL1\n"));
    ASSERT_TRUE(program.WaitForOutput("Loading level LEVEL1")) << program.Stdout();

    // The console stays open in the level. Where the robot stands, then a
    // line of its keys typed as fast: the file is named by every character.
    ASSERT_TRUE(driver.Type("save before.xml\n"));
    ASSERT_TRUE(WaitForLevel("before.xml")) << program.Stdout();
    ASSERT_TRUE(driver.Type("save pwasdcPWASDC12t.xml\n"));
    ASSERT_TRUE(WaitForLevel("pwasdcPWASDC12t.xml")) << program.Stdout();

    // Escape closes the console; the next line is typed after opening it again.
    ASSERT_TRUE(driver.Key("Escape"));
    ASSERT_TRUE(driver.Key("grave"));
    ASSERT_TRUE(driver.Type("save after.xml\n"));
    ASSERT_TRUE(WaitForLevel("after.xml")) << program.Stdout();

    const Position before = RobotIn(ReadFile(scratch.LevelFile("before.xml")));
    ASSERT_TRUE(before.found) << ReadFile(scratch.LevelFile("before.xml"));
    for (const char* name : {"pwasdcPWASDC12t.xml", "after.xml"}) {
        const Position later = RobotIn(ReadFile(scratch.LevelFile(name)));
        ASSERT_TRUE(later.found) << name;
        // Standing still (it may settle on the floor, never walk a step).
        EXPECT_NEAR(later.x, before.x, 0.05f) << name;
        EXPECT_NEAR(later.z, before.z, 0.05f) << name;
    }

    const std::string out = program.Stdout();
    EXPECT_EQ(out.find("Reloading since reset pressed"), std::string::npos) << out;
    EXPECT_EQ(Count(out, "Loading level "), Count(out.substr(0, out.find("Loading level LEVEL1")), "Loading level ") + 1)
        << out;  // nothing loaded after the level: no restart, no skip, no pause menu
    driver.Type("quit\n");  // the window may go while the last key is released
    EXPECT_EQ(program.WaitForExit(), 0) << program.Stderr();
}

} // namespace
