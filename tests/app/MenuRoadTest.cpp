// The whole program's road through the main menu, on a private X server with
// a fresh HOME, driven as a player drives it (xdotool): screenshots (F12) of
// the main menu, the options, the credits, the profile list and the exit
// popup; back from each; a profile created by typing its name; and Escape,
// then Yes, ending the game with code 0. Where to click comes from the menu
// screen files by UI name; presses are held over several frames.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/GLReadback.h"
#include "support/ProgramRun.h"
#include "support/TestEnv.h"

using namespace QRX;
using TestSupport::Picture;
using TestSupport::PrivateDisplay;
using TestSupport::Program;
using TestSupport::RunOnDisplay;

namespace {

constexpr int WIDTH = 1024;  // data/config/config.xml
constexpr int HEIGHT = 768;
const char* const MENU_LOADED = "Loading level MAINMENU";
// Every xdotool call first finds the game's window and focuses it.
const std::string ON_WINDOW = "timeout 60 xdotool search --sync --name '^Zendra$' windowfocus --sync ";
// A sanitizer build drawing in software may take a few frames a second:
// every press is held, and every key typed, well over a frame.
const std::string HOLD = " sleep 1.2 ";
const std::string SETTLE = " sleep 0.8 ";
const std::string TYPE_DELAY_MS = "1200";

// The layout position of the element with that UI name in a menu screen file.
bool ElementPosition(const std::string& screen, const std::string& name, float& x, float& y)
{
    tinyxml2::XMLDocument doc;
    const std::string path = TestSupport::SourceDir() + "/data/levels/menus/" + screen;
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) return false;
    for (auto* object = doc.RootElement()->FirstChildElement("Object"); object;
         object = object->NextSiblingElement("Object")) {
        for (auto* component = object->FirstChildElement("Component"); component;
             component = component->NextSiblingElement("Component")) {
            auto* uiName = component->FirstChildElement("UIName");
            if (!uiName || !uiName->GetText() || name != uiName->GetText()) continue;
            auto* position = object->FirstChildElement("Position");
            return position && position->GetText() && std::sscanf(position->GetText(), "%f %f", &x, &y) == 2;
        }
    }
    return false;
}

class MenuRoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run through test.sh)";
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
        ASSERT_FALSE(TestSupport::BinaryDir().empty()) << "ZENDRA_BINARY_DIR is not set";
    }
    bool Run(const std::string& actions) { return RunOnDisplay(display.Name(), ON_WINDOW + actions) == 0; }
    // Points at the element, then holds the left button over a few frames.
    void Click(const std::string& screen, const std::string& name)
    {
        float x = 0.0f, y = 0.0f;
        ASSERT_TRUE(ElementPosition(screen, name, x, y)) << screen << " " << name;
        const int cx = WIDTH / 2 + static_cast<int>(x);
        const int cy = HEIGHT / 2 - static_cast<int>(y);
        ASSERT_TRUE(Run("mousemove --window %1 " + std::to_string(cx) + " " + std::to_string(cy) + SETTLE +
                        "mousedown 1" + HOLD + "mouseup 1" + SETTLE))
            << name;
    }
    void Key(const std::string& key) { ASSERT_TRUE(Run("keydown " + key + HOLD + "keyup " + key + SETTLE)); }
    // Takes screenshots until one differs from `unlike` (when given) by more
    // than a twentieth of its pixels; the last one taken.
    Picture Screenshot(const Picture& unlike = Picture())
    {
        Picture picture;
        for (int attempt = 0; attempt < 10; ++attempt) {
            const std::string file = "Screenshots/Screenshot_" + std::to_string(m_shots++) + ".png";
            Key("F12");
            for (int wait = 0; wait < 200 && !program->HasGameFile(file); ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));  // written out
            picture = TestSupport::ReadScreenshot(program->GameFilePath(file));
            if (unlike.empty() || TestSupport::PictureDifference(picture, unlike) > 0.05) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        return picture;
    }
    void ExpectMainMenu(size_t times)
    {
        EXPECT_TRUE(program->WaitForOutput(MENU_LOADED, times)) << times;
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
    }

    PrivateDisplay display;
    std::unique_ptr<Program> program;
    int m_shots = 0;
};

TEST_F(MenuRoad, MainMenuScreensProfileCreationAndQuit)
{
    ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
    program = std::make_unique<Program>(TestSupport::SourceDir(), std::map<std::string, std::string>{{"DISPLAY", display.Name()}});
    // Space skips the splash screens.
    ASSERT_TRUE(program->WaitForOutput("All systems initialized correctly.")) << program->Stdout() << program->Stderr();
    Key("space");
    ASSERT_TRUE(program->WaitForOutput(MENU_LOADED)) << program->Stdout() << program->Stderr();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));

    const Picture mainMenu = Screenshot();
    ASSERT_EQ(mainMenu.size(), static_cast<size_t>(WIDTH) * HEIGHT * 4);
    EXPECT_GT(TestSupport::ColourCount(mainMenu), 16u);
    std::vector<std::pair<std::string, Picture>> shots;

    Click("mainmenu.xml", "btnOptions");
    shots.emplace_back("options", Screenshot(mainMenu));
    Click("mainoptions.xml", "btnBack");
    ExpectMainMenu(2);

    Click("mainmenu.xml", "btnCredits");
    shots.emplace_back("credits", Screenshot(mainMenu));
    Click("maincredits.xml", "btnBack");
    ExpectMainMenu(3);

    Click("mainmenu.xml", "btnProfile");
    shots.emplace_back("profiles", Screenshot(mainMenu));
    Click("mainprofile.xml", "btnCreate");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    // "type" takes every word after it as text: nothing may follow it.
    ASSERT_TRUE(Run("type --delay " + TYPE_DELAY_MS + " Tester"));
    Click("mainprofileaddname.xml", "btnProfileAdd");
    std::string profiles;
    for (int wait = 0; wait < 100; ++wait) {
        profiles = TestSupport::ReadFile(program->GameFilePath("profiles.xml"));
        if (profiles.find("<lastUsed>Tester</lastUsed>") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_NE(profiles.find("<lastUsed>Tester</lastUsed>"), std::string::npos) << profiles;
    EXPECT_NE(profiles.find("<Name>Tester</Name>"), std::string::npos) << profiles;
    Key("Escape");
    ExpectMainMenu(4);

    Click("mainmenu.xml", "btnExit");
    shots.emplace_back("exit popup", Screenshot(mainMenu));
    Click("mainexitmenu.xml", "btnNo");
    ExpectMainMenu(5);
    EXPECT_EQ(program->WaitForExitWithin(std::chrono::milliseconds(200)), -2000) << "ended on No";

    for (const auto& [name, picture] : shots) {
        EXPECT_GT(TestSupport::ColourCount(picture), 16u) << name;
        EXPECT_GT(TestSupport::PictureDifference(picture, mainMenu), 0.05) << name;
    }

    Key("Escape");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    Click("mainexitmenu.xml", "btnYes");
    EXPECT_EQ(program->WaitForExit(), 0) << program->Stderr();
    EXPECT_EQ(program->Stdout().find("Unable to find given texture id"), std::string::npos);
}

} // namespace
