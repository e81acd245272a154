// The level editor in the whole program under Xvfb, driven with xdotool in a
// scratch working folder whose level folder is its own: "edit new" from the
// main menu, the panels, the CUBE button, a cube stamped on the grid, the
// level saved, opened and saved again unchanged, played, and the game quit.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <tinyxml2.h>

#include "support/ProgramDriver.h"
#include "support/ProgramRun.h"
#include "support/ScratchProgramTest.h"
#include "support/TestEnv.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

// Pixels of the 1024 x 768 window (data/config/config.xml): the
// editor panel's first creator button (CUBE), and a point on the grid seen
// from the editor's starting camera.
constexpr int CUBE_BUTTON_X = 139, CUBE_BUTTON_Y = 217;
constexpr int GRID_X = 650, GRID_Y = 600;

class EditorProgramTest : public ScratchProgramTest
{
};

TEST_F(EditorProgramTest, EditNewPlaceACubeSaveReopenPlayAndQuit)
{
    Program program(scratch.Path());
    ProgramDriver driver(program);
    ASSERT_TRUE(program.WaitForOutput("Loading level MAINMENU")) << program.Stdout();

    ASSERT_TRUE(driver.Type("`edit new\n"));
    ASSERT_TRUE(program.WaitForOutput("Loading level LEVELEDITOR")) << program.Stdout();
    // The console closed (it has the keys), the panels shown, the CUBE button, a click on the grid, Delete. None of
    // these steps gives a sign the test can wait for: each is held for some
    // frames the window shows.
    EXPECT_FALSE(driver.Screenshot(0).empty());
    ASSERT_TRUE(driver.Type("`"));
    ASSERT_TRUE(driver.Press("F1")) << driver.FramesFailure();
    ASSERT_TRUE(driver.Click(CUBE_BUTTON_X, CUBE_BUTTON_Y)) << driver.FramesFailure();
    // The cube follows the pointer onto the grid before it is stamped.
    ASSERT_TRUE(driver.MoveTo(GRID_X, GRID_Y)) << driver.FramesFailure();
    ASSERT_TRUE(driver.Click(GRID_X, GRID_Y)) << driver.FramesFailure();
    ASSERT_TRUE(driver.Press("Delete"));
    ASSERT_TRUE(driver.Type("`save t.xml\n"));
    ASSERT_TRUE(WaitForLevel("t.xml")) << program.Stdout();

    const std::string saved = ReadFile(scratch.LevelFile("t.xml"));
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(saved.c_str()), tinyxml2::XML_SUCCESS) << saved;
    const tinyxml2::XMLElement* map = document.RootElement()->FirstChildElement("Map");
    ASSERT_NE(map, nullptr) << saved;
    EXPECT_STREQ(map->FirstChildElement("Row")->GetText(), "30");
    EXPECT_STREQ(map->FirstChildElement("Column")->GetText(), "30");
    EXPECT_STREQ(map->FirstChildElement("Height")->GetText(), "1");
    const tinyxml2::XMLElement* object = document.RootElement()->FirstChildElement("Object");
    ASSERT_NE(object, nullptr) << saved;
    EXPECT_EQ(object->NextSiblingElement("Object"), nullptr) << saved;
    EXPECT_STREQ(object->FirstChildElement("Type")->GetText(), "CUBE");
    float x = -1.0f, y = -1.0f, z = -1.0f;
    ASSERT_EQ(std::sscanf(object->FirstChildElement("Position")->GetText(), "%f %f %f", &x, &y, &z), 3) << saved;
    EXPECT_EQ(y, 0.5f);
    EXPECT_EQ(x - std::floor(x), 0.5f);
    EXPECT_EQ(z - std::floor(z), 0.5f);
    EXPECT_TRUE(x > 0.0f && x < 30.0f && z > 0.0f && z < 30.0f) << saved;

    // Opened again and saved under another name: the same file.
    ASSERT_TRUE(driver.Type("edit t.xml\n"));
    ASSERT_TRUE(program.WaitForOutput("Loading level LEVELEDITORNEXT")) << program.Stdout();
    ASSERT_TRUE(driver.Type("save t2.xml\n"));
    ASSERT_TRUE(WaitForLevel("t2.xml"));
    EXPECT_EQ(ReadFile(scratch.LevelFile("t2.xml")), saved);

    // Played as a level, then the game ends cleanly.
    ASSERT_TRUE(driver.Type("goto t.xml\n"));
    ASSERT_TRUE(program.WaitForOutput("Loading level FREELOAD")) << program.Stdout();
    driver.Type("quit\n");  // the window may go while the last key is released
    EXPECT_EQ(program.WaitForExit(), 0) << program.Stderr();
    EXPECT_EQ(program.Stdout().find("Unable to open file: data/levels/"), std::string::npos);
    // The repository's levels were never written.
    EXPECT_NE(::access((SourceDir() + "/data/levels/t.xml").c_str(), F_OK), 0);
}

} // namespace
