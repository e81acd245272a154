// The whole program under Xvfb: the built zendra binary started from the
// repository root (or a copy of its data with another configuration) with a
// temporary HOME; its standard output, its log page and its exit code.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "support/EngineFixture.h"
#include "support/GLReadback.h"
#include "support/ProgramDriver.h"
#include "support/ProgramRun.h"
#include "support/TestEnv.h"

namespace {

using namespace QRX;
using TestSupport::DataCopy;
using TestSupport::ExpectInOrder;
using TestSupport::Program;
using TestSupport::ProgramDriver;

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

const char* const PAGE_END = "</span><br />\n<div class=\"hr\"></div>\n\n</body>\n</html>";

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "needs an X display (run through test.sh)";
        ASSERT_FALSE(TestSupport::BinaryDir().empty()) << "ZENDRA_BINARY_DIR is not set";
    }
};

TEST_F(ProgramTest, StartsInOrderAndEndsCleanlyOnSigterm)
{
    Program program(TestSupport::SourceDir());
    ASSERT_TRUE(program.WaitForOutput("Test: Error message here")) << program.Stdout() << program.Stderr();
    ExpectInOrder(program.Stdout(), {"[LOG] INFO - Logging system initialized.\n",
                                     "[LOG] INFO - File manager initialized.\n",
                                     "[LOG] DEBUG - Fullscreen? No\n",
                                     "[LOG] INFO - Retrieving system information...\n",
                                     "[LOG] INFO - Window initialized.\n",
                                     "[LOG] INFO - Frame rate controller initialized.\n",
                                     "[LOG] INFO - All systems initialized correctly.\n",
                                     "[LOG] DEBUG - Test: Debugging message here\n",
                                     "[LOG] INFO - Test: Informative message here\n",
                                     "[LOG] WARNING - Test: Warning message here\n",
                                     "[LOG] ERROR - Test: Error message here\n"});
    // A fresh HOME has no profiles: that is the one fallback, and nothing is written for it.
    const std::string out = program.Stdout();
    const std::string guest = "[LOG] ERROR - Issue reading from profiles.xml! Defaulting to Guest profile.\n";
    const size_t at = out.find(guest);
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.find("Defaulting"), out.find("Defaulting", at));
    EXPECT_EQ(out.find("Defaulting", at + guest.size()), std::string::npos);
    ExpectInOrder(out, {"[LOG] INFO - Profile manager initialized.\n", "[LOG] INFO - Game state manager initialized.\n"});
    // A clean start warns of nothing but the test line (no tweak-bar report).
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING"), 1u) << out;

    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(), 0) << program.Stderr();
    EXPECT_FALSE(program.HasGameFile("profiles.xml"));

    std::string page = program.Page();
    ExpectInOrder(page, {"SystemActivity.html opened successfully.",
                         "|QRX::System::Initialize] <span style=\"color: #004ef0;\"><strong>INFO</strong></span> - Window initialized.",
                         "|WinMain] <span style=\"color: #004ef0;\"><strong>INFO</strong></span> - All systems initialized correctly.",
                         "Test: Error message here"});
    EXPECT_TRUE(EndsWith(page, std::string("Logging System Terminated.") + PAGE_END)) << page.substr(page.size() > 300 ? page.size() - 300 : 0);
    EXPECT_EQ(page.find("Tweak bar"), std::string::npos);
    EXPECT_EQ(program.Stderr().find("Program Error"), std::string::npos);
}

TEST_F(ProgramTest, NoDisplayFailsTheStartWithExitCode255)
{
    // A display number nothing listens on.
    int number = 4242;
    while (::access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0) ++number;
    Program program(TestSupport::SourceDir(),
                    {{"DISPLAY", ":" + std::to_string(number)}, {"WAYLAND_DISPLAY", ""}});
    EXPECT_EQ(program.WaitForExit(), 255);
    std::string page = program.Page();
    size_t at = page.find("Window failed to initialise");
    ASSERT_NE(at, std::string::npos) << page;
    EXPECT_NE(page.rfind("<strong>WARNING</strong>", at), std::string::npos);
    EXPECT_NE(page.find("Failed to register the window class. Aborting"), std::string::npos);
    EXPECT_EQ(page.find("All systems initialized correctly."), std::string::npos);
    EXPECT_TRUE(EndsWith(page, std::string("Logging System Terminated.") + PAGE_END));
    EXPECT_NE(program.Stderr().find("[Program Error] Initialization error! Check logs for more information"),
              std::string::npos)
        << program.Stderr();
}

TEST_F(ProgramTest, StartsInFullScreenAtTheScreenSize)
{
    DataCopy data("<config><display><width>1280</width><height>1024</height>"
                  "<fullscreen>true</fullscreen></display></config>");
    Program program(data.Path());
    ASSERT_TRUE(program.WaitForOutput("All systems initialized correctly.")) << program.Stdout() << program.Stderr();
    EXPECT_NE(program.Stdout().find("[LOG] DEBUG - Fullscreen? Yes"), std::string::npos);
    EXPECT_EQ(program.Stdout().find("not supported"), std::string::npos);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(), 0) << program.Stderr();
}

TEST_F(ProgramTest, FullScreenTheScreenDoesNotOfferStartsWindowed)
{
    // 1024 x 768 full screen on a 1280 x 1024 screen that lists no such mode.
    DataCopy data("<config><display><width>1024</width><height>768</height>"
                  "<fullscreen>true</fullscreen></display></config>");
    Program program(data.Path());
    ASSERT_TRUE(program.WaitForOutput("All systems initialized correctly.")) << program.Stdout() << program.Stderr();
    std::string out = program.Stdout();
    ExpectInOrder(out, {"[LOG] DEBUG - Fullscreen? Yes\n",
                        "[LOG] ERROR - The requested fullscreen mode is not supported by your video card. "
                        "Reverting back to windowed mode.\n",
                        "[LOG] WARNING - The display offers no full-screen mode of 1024 x 768: starting windowed at "
                        "that size.\n",
                        "[LOG] INFO - Window initialized.\n"});
    EXPECT_EQ(out.find("Window failed to initialise"), std::string::npos);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(), 0) << program.Stderr();
    EXPECT_EQ(program.Stderr().find("[Program Error]"), std::string::npos);
}

TEST_F(ProgramTest, AltF4EndsTheGameCleanly)
{
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    Program program(TestSupport::SourceDir());
    ProgramDriver driver(program);
    ASSERT_TRUE(program.WaitForOutput("All systems initialized correctly.")) << program.Stdout() << program.Stderr();

    // Alt alone does nothing.
    ASSERT_TRUE(driver.Press("alt"));
    ASSERT_TRUE(program.WaitForOutput("Test: Error message here"));
    EXPECT_EQ(program.WaitForExitWithin(std::chrono::milliseconds(500)), -2000) << "ended on Alt alone";

    // Both keys held over a frame end it.
    EXPECT_TRUE(driver.PressUntil("alt+F4", [&]() { return program.Exited(); }));
    const int code = program.WaitForExit();
    EXPECT_EQ(code, 0) << program.Stderr();
    std::string page = program.Page();
    EXPECT_TRUE(EndsWith(page, std::string("Logging System Terminated.") + PAGE_END));
}

TEST_F(ProgramTest, ConsoleOpensOverTheMainMenuShowsTheGraphAndQuits)
{
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    Program program(TestSupport::SourceDir());
    ProgramDriver driver(program);
    ASSERT_TRUE(program.WaitForOutput("Loading level MAINMENU")) << program.Stdout();
    EXPECT_NE(program.Stdout().find("[LOG] INFO - Console initialized.\n[LOG] INFO - Logging system initialized.\n"),
              std::string::npos);

    int shots = 0;
    const TestSupport::Picture menu = driver.Screenshot(shots++);
    ASSERT_TRUE(driver.Type("`"));
    const TestSupport::Picture open = driver.Screenshot(shots++);
    ASSERT_FALSE(menu.empty() || open.empty());
    EXPECT_GT(TestSupport::PictureDifference(menu, open), 0.05);

    ASSERT_TRUE(driver.Type("fps 1\n"));
    ASSERT_TRUE(program.WaitForOutput("Enter triggered"));
    // The graph fills in sample by sample; on a loaded machine frames are slow.
    double graphDifference = 0.0;
    for (int i = 0; i < 10 && graphDifference <= 0.05; ++i)
        graphDifference = TestSupport::PictureDifference(open, driver.Screenshot(shots++));
    EXPECT_GT(graphDifference, 0.05);

    // The window goes while the last key is still being released.
    driver.Type("quit\n");
    EXPECT_EQ(program.WaitForExit(), 0) << program.Stderr();
    EXPECT_TRUE(EndsWith(program.Page(), std::string("Logging System Terminated.") + PAGE_END));
}

} // namespace
