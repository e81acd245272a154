// The console in the whole program under the test's X server, typed into as
// fast as xdotool types: in a level the console has the keyboard, so a line
// full of the robot's keys (p resets, w a s d walk, c skips the level)
// neither restarts the level nor moves the robot, and every character of it
// reaches the line; Escape closes it without the pause menu. The level files
// the console's "save" writes (the robot's position among their objects)
// show where the robot stood, in a scratch folder of the test's own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <tinyxml2.h>

#include "support/EngineFixture.h"
#include "support/ProgramRun.h"
#include "support/ScratchData.h"
#include "support/TestEnv.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

// xdotool's pause between two typed characters, in milliseconds: faster
// than the frames of a sanitizer build on the software renderer.
constexpr int FAST_TYPING_DELAY_MS = 30;
constexpr auto FILE_DEADLINE = std::chrono::seconds(60);

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

class ConsoleTypingProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "needs an X display (run through test.sh)";
        m_display = display;
        ASSERT_FALSE(BinaryDir().empty()) << "ZENDRA_BINARY_DIR is not set";
        ASSERT_EQ(std::system("command -v xdotool >/dev/null 2>&1"), 0) << "xdotool is not installed";
        ASSERT_TRUE(scratch.Ok());
    }
    // Runs an xdotool sequence on the focused game window.
    int Keys(const std::string& sequence)
    {
        return RunOnDisplay(m_display, "timeout 120 xdotool search --sync --name '^Zendra$' windowfocus --sync " +
                                           sequence);
    }
    // A line typed at full speed, then Enter ("type" takes every word after it).
    int TypeLine(const std::string& line)
    {
        const int typed = Keys("type --delay " + std::to_string(FAST_TYPING_DELAY_MS) + " '" + line + "'");
        return typed != 0 ? typed : Keys("key Return");
    }
    // Waits until the level file exists (saves are written by the game's frame).
    bool WaitForLevel(const std::string& name)
    {
        const auto end = std::chrono::steady_clock::now() + FILE_DEADLINE;
        while (std::chrono::steady_clock::now() < end) {
            if (::access(scratch.LevelFile(name).c_str(), R_OK) == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    std::string m_display;
    ScratchDataFolder scratch{false};
};

TEST_F(ConsoleTypingProgramTest, ALineOfTheRobotsKeysTypedFastStaysInTheConsole)
{
    Program program(scratch.Path());
    ASSERT_TRUE(program.WaitForOutput("Loading level MAINMENU")) << program.Stdout();

    // Opened and typed into at once: the first letter and the capitals arrive.
    ASSERT_EQ(Keys("key grave"), 0);
    ASSERT_EQ(TypeLine("goto LEVEL1"), 0);
    ASSERT_TRUE(program.WaitForOutput("Loading level LEVEL1")) << program.Stdout();

    // The console stays open in the level. Where the robot stands, then a
    // line of its keys typed as fast: the file is named by every character.
    ASSERT_EQ(TypeLine("save before.xml"), 0);
    ASSERT_TRUE(WaitForLevel("before.xml")) << program.Stdout();
    ASSERT_EQ(TypeLine("save pwasdcPWASDC12t.xml"), 0);
    ASSERT_TRUE(WaitForLevel("pwasdcPWASDC12t.xml")) << program.Stdout();

    // Escape closes the console; the next line is typed after opening it again.
    ASSERT_EQ(Keys("key Escape"), 0);
    ASSERT_EQ(Keys("key grave"), 0);
    ASSERT_EQ(TypeLine("save after.xml"), 0);
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
    TypeLine("quit");  // the window may go while the last key is released
    EXPECT_EQ(program.WaitForExit(), 0) << program.Stderr();
}

} // namespace
