// The whole program's road through the main menu, on a private X server with
// a fresh HOME, driven as a player drives it (xdotool): screenshots (F12) of
// the main menu, the options, the credits, the profile list and the exit
// popup; back from each; a profile created by typing its name; and Escape,
// then Yes, ending the game with code 0. Where to click comes from the menu
// screen files by UI name; each press is held until the game answers it.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/GLReadback.h"
#include "support/ProgramDriver.h"
#include "support/ProgramRun.h"
#include "support/TestEnv.h"

using namespace QRX;
using TestSupport::Picture;
using TestSupport::Program;
using TestSupport::ProgramDriver;

namespace {

constexpr int WIDTH = 1024;  // data/config/config.xml
constexpr int HEIGHT = 768;
const char* const MENU_LOADED = "Loading level MAINMENU";

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
    // Points at the element and holds the left button until the game shows
    // it saw the click: by default a new screen set up.
    void Click(const std::string& screen, const std::string& name, std::function<bool()> seen = {})
    {
        float x = 0.0f, y = 0.0f;
        ASSERT_TRUE(ElementPosition(screen, name, x, y)) << screen << " " << name;
        const size_t screens = driver->ScreensSetUp();
        if (!seen) seen = [this, screens]() { return driver->ScreensSetUp() > screens; };
        ASSERT_TRUE(driver->ClickUntil(WIDTH / 2 + static_cast<int>(x), HEIGHT / 2 - static_cast<int>(y), seen))
            << name << "\n" << program->Stdout();
    }
    // Holds the key until a new screen is set up.
    void KeyToNewScreen(const std::string& key)
    {
        const size_t screens = driver->ScreensSetUp();
        ASSERT_TRUE(driver->PressUntil(key, [&]() { return driver->ScreensSetUp() > screens; })) << key;
    }
    // Takes screenshots until one differs from `unlike` (when given) by more
    // than a twentieth of its pixels; the last one taken.
    Picture Screenshot(const Picture& unlike = Picture())
    {
        Picture picture;
        for (int attempt = 0; attempt < 10; ++attempt) {
            picture = driver->Screenshot(m_shots++);
            if (unlike.empty() || TestSupport::PictureDifference(picture, unlike) > 0.05) break;
        }
        return picture;
    }
    // The main menu loaded for the `times`-th time and set up.
    void ExpectMainMenu(size_t times)
    {
        EXPECT_TRUE(program->WaitForOutput(MENU_LOADED, times)) << times;
        EXPECT_TRUE(TestSupport::WaitUntil([&]() { return MenuSetUp(times); })) << times;
    }
    // Whether a screen was set up after the `times`-th main-menu load.
    bool MenuSetUp(size_t times) const
    {
        const std::string out = program->Stdout();
        size_t at = 0;
        for (size_t i = 0; i < times; ++i) {
            at = out.find(MENU_LOADED, i ? at + 1 : 0);
            if (at == std::string::npos) return false;
        }
        return out.find("Skipping console object creation.", at) != std::string::npos;
    }

    std::unique_ptr<Program> program;
    std::unique_ptr<ProgramDriver> driver;
    int m_shots = 0;
};

TEST_F(MenuRoad, MainMenuScreensProfileCreationAndQuit)
{
    program = std::make_unique<Program>(TestSupport::SourceDir());
    driver = std::make_unique<ProgramDriver>(*program);
    // Space skips the splash screens.
    ASSERT_TRUE(program->WaitForOutput("All systems initialized correctly.")) << program->Stdout() << program->Stderr();
    ASSERT_TRUE(driver->PressUntil("space", [&]() { return MenuSetUp(1); })) << program->Stdout() << program->Stderr();

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
    ASSERT_TRUE(driver->Type("Tester"));
    std::string profiles;
    Click("mainprofileaddname.xml", "btnProfileAdd", [&]() {
        profiles = TestSupport::ReadFile(program->GameFilePath("profiles.xml"));
        return profiles.find("<lastUsed>Tester</lastUsed>") != std::string::npos;
    });
    EXPECT_NE(profiles.find("<lastUsed>Tester</lastUsed>"), std::string::npos) << profiles;
    EXPECT_NE(profiles.find("<Name>Tester</Name>"), std::string::npos) << profiles;
    // The name screen goes back to the list by itself on a later frame.
    ASSERT_TRUE(driver->PressAgainUntil("Escape", [&]() { return MenuSetUp(4); })) << program->Stdout();

    Click("mainmenu.xml", "btnExit");
    shots.emplace_back("exit popup", Screenshot(mainMenu));
    Click("mainexitmenu.xml", "btnNo");
    ExpectMainMenu(5);
    EXPECT_EQ(program->WaitForExitWithin(std::chrono::milliseconds(200)), -2000) << "ended on No";

    for (const auto& [name, picture] : shots) {
        EXPECT_GT(TestSupport::ColourCount(picture), 16u) << name;
        EXPECT_GT(TestSupport::PictureDifference(picture, mainMenu), 0.05) << name;
    }

    KeyToNewScreen("Escape");
    Click("mainexitmenu.xml", "btnYes", [&]() { return program->Exited(); });
    EXPECT_EQ(program->WaitForExit(), 0) << program->Stderr();
    EXPECT_EQ(program->Stdout().find("Unable to find given texture id"), std::string::npos);
}

} // namespace
