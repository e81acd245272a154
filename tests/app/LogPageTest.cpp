// The activity log page of a whole run (start, the first level, quit) against
// a reference written by the program before its libraries were split (with
// the masters the first level's spare pad has brought since): the same
// entries in the same order, at the same levels, from the same places.
// What changes from run to run or machine to machine is masked: times, the
// date, line numbers, the temporary home folder, pointer values, and the
// machine's hardware and OpenGL details below their entries' first lines.
#include <gtest/gtest.h>

#include <cstdlib>
// GCC 12 optimising <regex> warns inside the library itself (a false alarm).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#include <sstream>
#include <string>
#include <vector>

#include "support/ProgramDriver.h"
#include "support/ProgramRun.h"
#include "support/TestEnv.h"

namespace {

using namespace QRX;
using TestSupport::Program;
using TestSupport::ProgramDriver;

const char* const REFERENCE = "tests/data/logpage/start-level-quit.txt";

// Entries whose lines after the first describe the machine.
const char* const MACHINE_ENTRIES[] = {"Retrieving system information...",
                                       "Retrieving required graphics information...",
                                       "Retrieving more detailed information...",
                                       "Getting list of supported extensions..."};

std::string Unescape(std::string text)
{
    const std::pair<const char*, const char*> entities[] = {{"&nbsp;", " "}, {"&lt;", "<"}, {"&gt;", ">"},
                                                            {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& entity : entities) {
        const std::string from = entity.first;
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
            text.replace(at, from.size(), entity.second);
    }
    return text;
}

// One line per entry (continuation lines joined with " | "), masked.
std::string NormalisePage(const std::string& page, const std::string& home)
{
    const size_t bodyAt = page.find("<body>");
    const std::string body = bodyAt == std::string::npos ? page : page.substr(bodyAt + 6);
    static const std::regex tag("<[^>]*>");
    static const std::regex time("\\[\\d\\d:\\d\\d:\\d\\d\\]");
    static const std::regex lineNumber("(\\.(cpp|h)):\\d+\\|");
    static const std::regex date("Session started on [A-Z][a-z]+ [0-9]+, [0-9]+");
    static const std::regex pointer("0x[0-9a-fA-F]+");
    std::string out;
    const std::string separator = "<div class=\"hr\"></div>";
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find(separator, start);
        if (end == std::string::npos) end = body.size();
        std::string entry = Unescape(std::regex_replace(body.substr(start, end - start), tag, ""));
        start = end + separator.size();
        std::vector<std::string> lines;
        std::istringstream in(entry);
        for (std::string line; std::getline(in, line);) {
            while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
            const size_t first = line.find_first_not_of(' ');
            if (first != std::string::npos) lines.push_back(line.substr(first));
        }
        if (lines.empty()) continue;
        for (const char* machine : MACHINE_ENTRIES)
            if (lines[0].find(machine) != std::string::npos) lines.resize(1);
        std::string joined;
        for (const std::string& line : lines) joined += (joined.empty() ? "" : " | ") + line;
        for (size_t at = joined.find(home); !home.empty() && at != std::string::npos; at = joined.find(home, at))
            joined.replace(at, home.size(), "$HOME");
        joined = std::regex_replace(joined, time, "[time]");
        joined = std::regex_replace(joined, lineNumber, "$1:N|");
        joined = std::regex_replace(joined, date, "Session started on (date)");
        joined = std::regex_replace(joined, pointer, "0x(pointer)");
        out += joined + "\n";
    }
    return out;
}

// The first differing line of two texts, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    std::istringstream e(expected), a(actual);
    std::string le, la;
    for (int line = 1;; ++line) {
        const bool moreE = static_cast<bool>(std::getline(e, le));
        const bool moreA = static_cast<bool>(std::getline(a, la));
        if (!moreE && !moreA) return "none";
        if (!moreE || !moreA || le != la)
            return "line " + std::to_string(line) + "\n  expected: " + (moreE ? le : "(end)") +
                   "\n  actual:   " + (moreA ? la : "(end)");
    }
}

TEST(LogPage, NormalisingMasksWhatVariesAndKeepsTheRest)
{
    const std::string page =
        "<html><body>\n<h2>Session started on Dec 07, 2026</h2>\n"
        "<span>[06:36:30] [System.cpp:60|QRX::System::Initialize] <strong>INFO</strong> - Console "
        "initialized.</span><br />\n<div class=\"hr\"></div>\n"
        "<span>[06:36:31] [Window.cpp:377|QRX::Window::GetSystemInformation] INFO - Retrieving system "
        "information...<br />\n&nbsp;&nbsp;Number of logical processors: 8<br />\n</span>\n<div class=\"hr\"></div>\n"
        "<span>[06:36:32] ERROR - Unable to open file: /tmp/h/x.xml at 0x7ffd12</span>\n<div class=\"hr\"></div>\n";
    EXPECT_EQ(NormalisePage(page, "/tmp/h"),
              "Session started on (date) | [time] [System.cpp:N|QRX::System::Initialize] INFO - Console "
              "initialized.\n"
              "[time] [Window.cpp:N|QRX::Window::GetSystemInformation] INFO - Retrieving system information...\n"
              "[time] ERROR - Unable to open file: $HOME/x.xml at 0x(pointer)\n");
}

TEST(LogPage, StartFirstLevelAndQuitWriteTheReferencePage)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (run through test.sh)";
    ASSERT_FALSE(TestSupport::BinaryDir().empty()) << "ZENDRA_BINARY_DIR is not set";
    ASSERT_EQ(std::system("command -v xdotool >/dev/null 2>&1"), 0) << "xdotool is not installed";
    const std::string reference = TestSupport::ReadFile(TestSupport::SourceDir() + "/" + REFERENCE);
    ASSERT_FALSE(reference.empty()) << REFERENCE;

    Program program(TestSupport::SourceDir());
    ProgramDriver driver(program);
    ASSERT_TRUE(program.WaitForOutput("Loading level MAINMENU")) << program.Stdout();
    const size_t screens = driver.ScreensSetUp();
    ASSERT_TRUE(driver.Type("`goto LEVEL1\n"));
    ASSERT_TRUE(program.WaitForOutput("Loading level LEVEL1")) << program.Stdout();
    ASSERT_TRUE(TestSupport::WaitUntil([&]() { return driver.ScreensSetUp() > screens; })) << program.Stdout();
    driver.Type("quit\n");  // the window may go while the last key is released
    ASSERT_EQ(program.WaitForExit(), 0) << program.Stderr();

    const std::string home = program.GameFilePath("");
    const std::string homeFolder = home.substr(0, home.find("/Documents/"));
    const std::string actual = NormalisePage(program.Page(), homeFolder);
    if (actual != reference)
        TestSupport::WriteFile(TestSupport::BinaryDir() + "/logpage-actual.txt", actual);
    EXPECT_TRUE(actual == reference) << "first difference: " << FirstDifference(reference, actual)
                                     << "\n(the whole page: " << TestSupport::BinaryDir() << "/logpage-actual.txt)";
}

} // namespace
