// The whole program under Xvfb: the built zendra binary started from the
// repository root (or a copy of its data with another configuration) with a
// temporary HOME; its standard output, its log page and its exit code.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <FreeImage.h>

#include "support/EngineFixture.h"
#include "support/TestEnv.h"

extern char** environ;

namespace {

using namespace QRX;

// Generous: a sanitizer build on a busy machine starts slowly.
constexpr auto START_DEADLINE = std::chrono::seconds(120);
constexpr auto EXIT_DEADLINE = std::chrono::seconds(60);

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class Program
{
public:
    // Starts zendra in the folder with HOME pointing at a fresh folder and
    // the given variables changed (an empty value unsets one).
    Program(const std::string& workingDir, const std::map<std::string, std::string>& env = {})
    {
        m_dir = TestSupport::MakeTempDir("zendra-run");
        m_home = m_dir + "/home";
        ::mkdir(m_home.c_str(), 0755);
        std::map<std::string, std::string> vars;
        for (char** e = environ; *e; ++e) {
            std::string kv = *e;
            size_t eq = kv.find('=');
            if (eq != std::string::npos) vars[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
        vars["HOME"] = m_home;
        vars.erase("XDG_DOCUMENTS_DIR");
        vars.erase("XDG_CONFIG_HOME");
        for (const auto& kv : env) {
            if (kv.second.empty()) vars.erase(kv.first);
            else vars[kv.first] = kv.second;
        }
        std::vector<std::string> strings;
        for (const auto& kv : vars) strings.push_back(kv.first + "=" + kv.second);
        std::vector<char*> envp;
        for (std::string& s : strings) envp.push_back(s.data());
        envp.push_back(nullptr);

        std::string binary = TestSupport::BinaryDir() + "/zendra";
        std::string out = m_dir + "/stdout.txt";
        std::string err = m_dir + "/stderr.txt";
        m_pid = ::fork();
        if (m_pid == 0) {
            int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int in = ::open("/dev/null", O_RDONLY);
            ::dup2(in, 0);
            ::dup2(o, 1);
            ::dup2(e, 2);
            if (::chdir(workingDir.c_str()) != 0) ::_exit(120);
            char* argv[] = {binary.data(), nullptr};
            ::execve(binary.c_str(), argv, envp.data());
            ::_exit(121);
        }
    }
    ~Program()
    {
        if (m_pid > 0 && !m_exited) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        TestSupport::RemoveTree(m_dir);
    }

    std::string Stdout() const { return TestSupport::ReadFile(m_dir + "/stdout.txt"); }
    std::string Stderr() const { return TestSupport::ReadFile(m_dir + "/stderr.txt"); }
    std::string Page() const { return TestSupport::ReadFile(m_home + "/Documents/Orvanta/Zendra/SystemActivity.html"); }
    bool HasGameFile(const std::string& name) const
    {
        return ::access((m_home + "/Documents/Orvanta/Zendra/" + name).c_str(), F_OK) == 0;
    }
    // Where the game's screenshots (F12) go.
    std::string ScreenshotFolder() const { return m_home + "/Documents/Orvanta/Zendra/Screenshots"; }

    // Waits until standard output holds the text; false when the program
    // ended first or the deadline passed.
    bool WaitForOutput(const std::string& text)
    {
        auto end = std::chrono::steady_clock::now() + START_DEADLINE;
        while (std::chrono::steady_clock::now() < end) {
            if (Stdout().find(text) != std::string::npos) return true;
            if (Poll()) return Stdout().find(text) != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    void Signal(int sig) { ::kill(m_pid, sig); }
    // The exit code, or -1000 - signal when it was killed, or -2000 when it
    // did not end in time.
    int WaitForExit() { return WaitForExitWithin(EXIT_DEADLINE); }
    int WaitForExitWithin(std::chrono::steady_clock::duration limit)
    {
        auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (Poll()) return m_code;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -2000;
    }

private:
    bool Poll()
    {
        if (m_exited) return true;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
        m_exited = true;
        m_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
        return true;
    }

    std::string m_dir;
    std::string m_home;
    pid_t m_pid = -1;
    bool m_exited = false;
    int m_code = 0;
};

// The lines appear in this order (other lines may come between them).
void ExpectInOrder(const std::string& text, const std::vector<std::string>& lines)
{
    size_t at = 0;
    for (const std::string& line : lines) {
        size_t next = text.find(line, at);
        ASSERT_NE(next, std::string::npos) << "missing or out of order: " << line << "\n--- in ---\n" << text;
        at = next + line.size();
    }
}

const char* const PAGE_END = "</span><br />\n<div class=\"hr\"></div>\n\n</body>\n</html>";

// A folder whose data/ mirrors the repository's, with its own configuration.
class DataCopy
{
public:
    explicit DataCopy(const std::string& configXml)
    {
        m_dir = TestSupport::MakeTempDir("zendra-data");
        std::string data = m_dir + "/data";
        ::mkdir(data.c_str(), 0755);
        std::string source = TestSupport::SourceDir() + "/data";
        if (DIR* d = ::opendir(source.c_str())) {
            while (dirent* e = ::readdir(d)) {
                std::string name = e->d_name;
                if (name == "." || name == ".." || name == "config") continue;
                if (::symlink((source + "/" + name).c_str(), (data + "/" + name).c_str()) != 0) ADD_FAILURE();
            }
            ::closedir(d);
        }
        ::mkdir((data + "/config").c_str(), 0755);
        TestSupport::WriteFile(data + "/config/config.xml", configXml);
    }
    ~DataCopy() { TestSupport::RemoveTree(m_dir); }
    const std::string& Path() const { return m_dir; }

private:
    std::string m_dir;
};

// A private X server for tests that press keys, so that keys held down never
// reach the programs of other tests.
class PrivateDisplay
{
public:
    PrivateDisplay()
    {
        int fds[2];
        if (::pipe(fds) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 1);
            ::dup2(null, 2);
            std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                     "+extension", "GLX", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        char c;
        while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (!number.empty()) m_name = ":" + number;
    }
    ~PrivateDisplay()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // ":N", or empty when the server did not start.
    const std::string& Name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

// Runs a shell command with DISPLAY set; its exit code.
int RunOnDisplay(const std::string& display, const std::string& command)
{
    std::string line = "DISPLAY=" + display + " " + command;
    int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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

TEST_F(ProgramTest, FullScreenTheScreenDoesNotOfferEndsTheStart)
{
    DataCopy data("<config><display><width>1024</width><height>768</height>"
                  "<fullscreen>true</fullscreen></display></config>");
    Program program(data.Path());
    EXPECT_EQ(program.WaitForExit(), 255) << program.Stdout();
    std::string out = program.Stdout();
    ExpectInOrder(out, {"[LOG] ERROR - The requested fullscreen mode is not supported by your video card. "
                        "Reverting back to windowed mode.\n",
                        "[LOG] WARNING - Window failed to initialise\n"});
    EXPECT_NE(program.Stderr().find("[Program Error]"), std::string::npos);
}

TEST_F(ProgramTest, AltF4EndsTheGameCleanly)
{
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    PrivateDisplay display;
    ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
    Program program(TestSupport::SourceDir(), {{"DISPLAY", display.Name()}});
    ASSERT_TRUE(program.WaitForOutput("All systems initialized correctly.")) << program.Stdout() << program.Stderr();

    // Alt alone does nothing.
    ASSERT_EQ(RunOnDisplay(display.Name(), "timeout 60 xdotool search --sync --name '^Zendra$' windowfocus --sync "
                                           "keydown alt sleep 0.3 keyup alt"),
              0);
    ASSERT_TRUE(program.WaitForOutput("Test: Error message here"));
    EXPECT_EQ(program.WaitForExitWithin(std::chrono::milliseconds(500)), -2000) << "ended on Alt alone";

    // Both keys held over a frame end it.
    ASSERT_EQ(RunOnDisplay(display.Name(), "timeout 60 xdotool search --sync --name '^Zendra$' windowfocus --sync "
                                           "keydown alt+F4"),
              0);
    const int code = program.WaitForExit();
    RunOnDisplay(display.Name(), "xdotool keyup alt+F4");
    EXPECT_EQ(code, 0) << program.Stderr();
    std::string page = program.Page();
    EXPECT_TRUE(EndsWith(page, std::string("Logging System Terminated.") + PAGE_END));
}

// A screenshot the game wrote as 32-bit pixels; empty until it can be read.
std::vector<std::uint32_t> ReadScreenshot(const std::string& path)
{
    std::vector<std::uint32_t> pixels;
    FIBITMAP* image = ::access(path.c_str(), R_OK) == 0 ? FreeImage_Load(FIF_PNG, path.c_str()) : nullptr;
    FIBITMAP* rgba = image ? FreeImage_ConvertTo32Bits(image) : nullptr;
    for (unsigned y = 0; rgba && y < FreeImage_GetHeight(rgba); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(FreeImage_GetScanLine(rgba, static_cast<int>(y)));
        pixels.insert(pixels.end(), row, row + FreeImage_GetWidth(rgba));
    }
    if (rgba) FreeImage_Unload(rgba);
    if (image) FreeImage_Unload(image);
    return pixels;
}

// The share of pixels that differ between two pictures of one size.
double Difference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    if (a.size() != b.size() || a.empty()) return 1.0;
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i) differing += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return static_cast<double>(differing) / static_cast<double>(a.size());
}

TEST_F(ProgramTest, ConsoleOpensOverTheLoadingScreenShowsTheGraphAndQuits)
{
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    PrivateDisplay display;
    ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
    Program program(TestSupport::SourceDir(), {{"DISPLAY", display.Name()}});
    // The loading screen has loaded everything and stays (no menu yet).
    ASSERT_TRUE(program.WaitForOutput("No state object serves state MAINMENU (36)")) << program.Stdout();
    EXPECT_NE(program.Stdout().find("[LOG] INFO - Console initialized.\n[LOG] INFO - Logging system initialized.\n"),
              std::string::npos);

    // Each key is held over several frames.
    auto keys = [&display](const std::string& sequence) {
        return RunOnDisplay(display.Name(), "timeout 60 xdotool search --sync --name '^Zendra$' windowfocus --sync " +
                                                sequence);
    };
    auto type = [](const std::string& text) {
        std::string sequence;
        for (char c : text) {
            const std::string key = c == ' ' ? "space" : c == '`' ? "grave" : c == '\n' ? "Return" : std::string(1, c);
            sequence += "keydown " + key + " sleep 0.4 keyup " + key + " sleep 0.4 ";
        }
        return sequence;
    };
    int shots = 0;
    auto screenshot = [&]() {
        EXPECT_EQ(keys("keydown F12 sleep 0.4 keyup F12"), 0);
        const std::string path = program.ScreenshotFolder() + "/Screenshot_" + std::to_string(shots++) + ".png";
        std::vector<std::uint32_t> pixels;
        for (int i = 0; i < 600 && pixels.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            pixels = ReadScreenshot(path);
        }
        return pixels;
    };

    const std::vector<std::uint32_t> loading = screenshot();
    ASSERT_EQ(keys(type("`")), 0);
    const std::vector<std::uint32_t> open = screenshot();
    ASSERT_FALSE(loading.empty() || open.empty());
    EXPECT_GT(Difference(loading, open), 0.05);

    ASSERT_EQ(keys(type("fps 1\n")), 0);
    ASSERT_TRUE(program.WaitForOutput("Enter triggered"));
    EXPECT_GT(Difference(open, screenshot()), 0.05);

    // The window goes while the last key is still being released.
    keys(type("quit\n"));
    EXPECT_EQ(program.WaitForExit(), 0) << program.Stderr();
    EXPECT_TRUE(EndsWith(program.Page(), std::string("Logging System Terminated.") + PAGE_END));
}

} // namespace
