#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/platform/Debugger.h"
#include "engine/platform/MessageBox.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

// 1980-01-02 23:30:00 UTC
constexpr std::time_t LATE_EVENING = 315703800;

class LoggerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Logger::SetTimeSource([] { return LATE_EVENING; });
        Logger::SetDialogAvailableOverride(-1);
    }
    void TearDown() override
    {
        Logger::SetTimeSource(nullptr);
        Logger::SetDialogAvailableOverride(-1);
        Platform::SetMessageBoxHook(nullptr);
        Platform::SetDebuggerPresentOverride(-1);
        System* s = System::PeekInstance();
        if (s) {
            delete s->logger;
            s->logger = nullptr;
            System::DestroyInstance();
        }
    }
    TestSupport::ScopedTempHome m_home;
};

TEST_F(LoggerTest, ClockRunsAtUtcPlusEightButDateStaysUtc)
{
    EXPECT_EQ(Logger::GetTime(), "07:30:00");
    EXPECT_EQ(Logger::GetDate(), "Jan 02, 1980");
}

TEST_F(LoggerTest, PageHeadSessionAndFirstEntry)
{
    std::string path;
    {
        Logger logger;
        path = logger.GetPath();
        EXPECT_TRUE(logger.IsOpen());
    }
    EXPECT_EQ(path, m_home.GameFolder() + "/SystemActivity.html");
    std::string page = TestSupport::ReadFile(path);
    EXPECT_EQ(page.find("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\""), 0u);
    EXPECT_NE(page.find("<title>Corvath's Log</title>\n<style type=\"text/css\">\ndiv.hr {\nwidth: 90%;\n"),
              std::string::npos);
    EXPECT_NE(page.find("</head>\n\n<body>\n<h2>Session started on Jan 02, 1980</h2>\n"), std::string::npos);
    // The first entry has no location.
    EXPECT_NE(page.find("<span style=\"background-color: #ebf5ff;\">[07:30:00] <span style=\"color: "
                        "#004ef0;\"><strong>INFO</strong></span> - SystemActivity.html opened "
                        "successfully.</span><br />\n<div class=\"hr\"></div>\n"),
              std::string::npos);
    // The last entry and the closing tags.
    std::string tail = "Logging System Terminated.</span><br />\n<div class=\"hr\"></div>\n\n</body>\n</html>";
    ASSERT_GE(page.size(), tail.size());
    EXPECT_EQ(page.substr(page.size() - tail.size()), tail);
}

TEST_F(LoggerTest, EntryLevelsAndLocation)
{
    std::string path;
    {
        Logger logger;
        path = logger.GetPath();
        logger.SetLocation("QRX::System::Initialize", "engine/core/System.cpp", 42);
        logger.WriteToFile(LOG_WARNING, "value %d", 7);
        logger.WriteToFile(LOG_DEBUG, "plain");
        logger.WriteToFile(LOG_ERROR, "bad");
        logger.WriteToFile(9, "odd");
    }
    std::string page = TestSupport::ReadFile(path);
    EXPECT_NE(page.find("<span style=\"background-color: #ffffc8;\">[07:30:00] [System.cpp:42|QRX::System::"
                        "Initialize] <span style=\"color: #ffff00;\"><strong>WARNING</strong></span> - value 7"),
              std::string::npos);
    // The location was consumed by the first entry.
    EXPECT_NE(page.find("#ffffff;\">[07:30:00] <strong>DEBUG</strong> - plain"), std::string::npos);
    EXPECT_NE(page.find("#ffebeb;\">[07:30:00] <span style=\"color: #ff2776;\"><strong>ERROR</strong></span> - bad"),
              std::string::npos);
    EXPECT_NE(page.find("<span style=\"background-color: #;\">[07:30:00] odd</span>"), std::string::npos);
}

TEST_F(LoggerTest, LineBreaksAndIndentation)
{
    EXPECT_EQ(Logger::RewriteLineBreaks("first\n  second word\nthird"),
              "first<br />\n&nbsp;&nbsp;second word<br />\nthird");
    EXPECT_EQ(Logger::RewriteLineBreaks("a\n\nb"), "a<br />\n<br />\nb");
    // The last line keeps its blanks; a blank-only line loses all of them.
    EXPECT_EQ(Logger::RewriteLineBreaks("a\n   \n  tail"), "a<br />\n&nbsp;&nbsp;&nbsp;<br />\n  tail");
    EXPECT_EQ(Logger::RewriteLineBreaks("x\ty\n\tz"), "x\ty<br />\n\tz");
}

TEST_F(LoggerTest, LongMessageIsCutAtTheBuffer)
{
    std::string path;
    std::string longText(20000, 'x');
    {
        Logger logger;
        path = logger.GetPath();
        logger.WriteToFile(LOG_INFO, "%s", longText.c_str());
    }
    std::string page = TestSupport::ReadFile(path);
    std::string cut(Logger::MESSAGE_BUFFER_SIZE - 1, 'x');
    EXPECT_NE(page.find(" - " + cut + "</span>"), std::string::npos);
    EXPECT_EQ(page.find(cut + "x"), std::string::npos);
}

TEST_F(LoggerTest, DisabledLoggerWritesNothingToThePageButKeepsLevel)
{
    std::string path;
    {
        Logger logger;
        path = logger.GetPath();
        logger.SetEnabled(false);
        logger.WriteToFile(LOG_ERROR, "hidden");
        EXPECT_EQ(logger.GetLevel(), LOG_ERROR);
        logger.SetEnabled(true);
        logger.WriteToFile(LOG_INFO, "shown");
    }
    std::string page = TestSupport::ReadFile(path);
    EXPECT_EQ(page.find("hidden"), std::string::npos);
    EXPECT_NE(page.find("shown"), std::string::npos);
}

TEST_F(LoggerTest, ConsoleEchoIsPlainWithoutTerminal)
{
    Logger logger;
    testing::internal::CaptureStdout();
    logger.WriteToFile(LOG_WARNING, "ignored");
    logger.WriteToConsole("echo %s", "this");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[LOG] WARNING - echo this\n");
}

TEST_F(LoggerTest, TheEchoSinkGetsEachTextLineAndNothingWithoutOne)
{
    std::vector<std::string> lines;
    Door().logEcho = [&lines](const std::string& line) { lines.push_back(line); };
    Logger logger;
    testing::internal::CaptureStdout();
    logger.WriteToConsole("first\nsecond\n");
    logger.WriteToConsole("%s", "");
    LogPageReport(LOG_INFO, "f", "file.cpp", 1, "page only");
    testing::internal::GetCapturedStdout();
    // A closing newline ends the last line without an empty one after it; an
    // empty message is one empty line; page-only reports are not echoed.
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", ""}));

    Door().logEcho = nullptr;
    testing::internal::CaptureStdout();
    logger.WriteToConsole("unheard");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[LOG] INFO - unheard\n");
    EXPECT_EQ(lines.size(), 3u);
}

TEST_F(LoggerTest, UnwritableFolderStaysSilent)
{
    // A file where the Orvanta folder should be: neither open nor creation works.
    std::string docs = m_home.Path() + "/Documents";
    ::mkdir(docs.c_str(), 0755);
    TestSupport::WriteFile(docs + "/Orvanta", "not a folder");
    Logger logger;
    EXPECT_FALSE(logger.IsOpen());
    logger.WriteToFile(LOG_INFO, "nothing happens");
}

TEST_F(LoggerTest, MacrosWithoutLoggerDoNothing)
{
    QRX_LOG_INFO("no logger %d", 1);
    QRX_ASSERT(false, 2, "no logger");
    SUCCEED();
}

TEST_F(LoggerTest, ReportSetsQualifiedLocation)
{
    System::GetInstance()->logger = new Logger();
    std::string path = System::GetInstance()->logger->GetPath();
    testing::internal::CaptureStdout();
    QRX_LOG_INFO("from %s", "a test");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[LOG] INFO - from a test\n");
    std::string page = TestSupport::ReadFile(path);
    EXPECT_NE(page.find("[LoggerTest.cpp:"), std::string::npos);
    EXPECT_NE(page.find("|{anonymous}::LoggerTest_ReportSetsQualifiedLocation_Test::TestBody]"), std::string::npos);
}

// Assertions ---------------------------------------------------------------

struct Recorded
{
    int calls = 0;
    Platform::MessageBoxRequest last;
};

class AssertTest : public LoggerTest
{
protected:
    void SetUp() override
    {
        LoggerTest::SetUp();
        System::GetInstance()->logger = new Logger();
        Logger::SetDialogAvailableOverride(1);
    }
    void Hook(int answer)
    {
        Platform::SetMessageBoxHook([this, answer](const Platform::MessageBoxRequest& r) {
            ++m_rec.calls;
            m_rec.last = r;
            return answer;
        });
    }
    Recorded m_rec;
};

TEST_F(AssertTest, TextIsExact)
{
    EXPECT_EQ(BuildAssertText("a == b", "QRX::X::Y", "engine/x/X.cpp", 12, "info"),
              "Assertion failure occurred!\n\nLocation: engine/x/X.cpp:12 in QRX::X::Y function\n\n"
              "Failed Condition: a == b\nAdditional Info: info");
}

TEST_F(AssertTest, FailureIsLoggedAtErrorAndAsIs)
{
    Hook(Platform::IDOK);
    Platform::SetDebuggerPresentOverride(0);
    testing::internal::CaptureStdout();
    QRX_ASSERT(1 == 2, 0, "100% sure");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[LOG] ERROR - Assertion failure occurred!"), std::string::npos);
    EXPECT_NE(out.find("Failed Condition: 1 == 2\nAdditional Info: 100% sure"), std::string::npos);
    std::string page = TestSupport::ReadFile(System::GetInstance()->logger->GetPath());
    EXPECT_NE(page.find("Additional Info: 100% sure"), std::string::npos);
    EXPECT_EQ(m_rec.calls, 1);
    EXPECT_EQ(m_rec.last.caption, "Assertion error!");
}

struct DialogRow
{
    int severity;
    int debugger;
    int answer;
    unsigned type;
    const char* instruction;
    bool breaks;
};

TEST_F(AssertTest, DialogTableRowsThatContinue)
{
    const DialogRow rows[] = {
        {0, 1, Platform::IDRETRY, Platform::MB_RETRYCANCEL | Platform::MB_ICONINFORMATION,
         "Click Retry to break for debug, or Cancel to continue execution", true},
        {0, 1, Platform::IDCANCEL, Platform::MB_RETRYCANCEL | Platform::MB_ICONINFORMATION,
         "Click Retry to break for debug, or Cancel to continue execution", false},
        {0, 0, Platform::IDOK, Platform::MB_OK | Platform::MB_ICONINFORMATION,
         "No worries, click OK to continue execution", false},
        {1, 1, Platform::IDRETRY, Platform::MB_ABORTRETRYIGNORE | Platform::MB_ICONWARNING,
         "Click Abort to terminate, Retry to break for debug, or Ignore to continue execution", true},
        {1, 1, Platform::IDIGNORE, Platform::MB_ABORTRETRYIGNORE | Platform::MB_ICONWARNING,
         "Click Abort to terminate, Retry to break for debug, or Ignore to continue execution", false},
        {1, 0, Platform::IDOK, Platform::MB_OK | Platform::MB_ICONWARNING,
         "No worries! Click ok to continue execution", false},
        {2, 1, Platform::IDOK, Platform::MB_OK | Platform::MB_ICONERROR,
         "Fatal Error! Click OK to start debugging", true},
    };
    Logger* logger = System::GetInstance()->logger;
    for (const DialogRow& row : rows) {
        SCOPED_TRACE(row.instruction);
        Platform::SetDebuggerPresentOverride(row.debugger);
        Hook(row.answer);
        m_rec = Recorded();
        bool broke = logger->ShowAssertDialog(row.severity, "TEXT");
        EXPECT_EQ(broke, row.breaks);
        ASSERT_EQ(m_rec.calls, 1);
        EXPECT_EQ(m_rec.last.type, row.type);
        EXPECT_EQ(m_rec.last.text,
                  std::string("TEXT\n\nThis shouldn't happen! This error has been logged to file and console.\n\n") +
                      row.instruction);
    }
    // Other severities show nothing.
    m_rec = Recorded();
    EXPECT_FALSE(logger->ShowAssertDialog(3, "TEXT"));
    EXPECT_EQ(m_rec.calls, 0);
}

TEST_F(AssertTest, NoDialogWithoutWindow)
{
    Logger::SetDialogAvailableOverride(0);
    Hook(Platform::IDOK);
    Platform::SetDebuggerPresentOverride(0);
    QRX_ASSERT(false, 2, "fatal but no window");
    EXPECT_EQ(m_rec.calls, 0);
}

TEST_F(AssertTest, AnAssertionWhoseBoxCannotBeShownGoesOn)
{
    // Real boxes, a debugger attached (so the boxes offer Abort and Retry
    // first), and no display to show them on.
    Platform::SetMessageBoxHook({});
    Platform::SetDebuggerPresentOverride(1);
    ::unsetenv("ZENDRA_NONINTERACTIVE");
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    Logger* logger = System::GetInstance()->logger;
    EXPECT_FALSE(logger->ShowAssertDialog(1, "severity one"));  // not Abort: the process lives
    EXPECT_FALSE(logger->ShowAssertDialog(0, "severity zero"));  // not Retry: no trap
    QRX_ASSERT(1 == 2, 1, "goes on");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[Assertion error!] severity one"), std::string::npos) << err;
    // Nothing was closed as it would be before the end of the program.
    EXPECT_EQ(TestSupport::ReadFile(logger->GetPath()).find("</html>"), std::string::npos);
}

TEST_F(AssertTest, AbortAndFatalWithoutDebuggerEndTheProcess)
{
    EXPECT_EXIT(
        {
            Hook(Platform::IDABORT);
            Platform::SetDebuggerPresentOverride(1);
            QRX_ASSERT(false, 1, "abort");
        },
        ::testing::ExitedWithCode(255), "");
    EXPECT_EXIT(
        {
            Hook(Platform::IDOK);
            Platform::SetDebuggerPresentOverride(0);
            QRX_ASSERT(false, 2, "fatal");
        },
        ::testing::ExitedWithCode(255), "");
}

TEST_F(AssertTest, FatalExitLeavesClosingTags)
{
    std::string path = System::GetInstance()->logger->GetPath();
    EXPECT_EXIT(
        {
            Hook(Platform::IDOK);
            Platform::SetDebuggerPresentOverride(0);
            QRX_ASSERT(false, 2, "fatal");
        },
        ::testing::ExitedWithCode(255), "");
    std::string page = TestSupport::ReadFile(path);
    std::string tail = "\n</body>\n</html>\n";
    ASSERT_GE(page.size(), tail.size());
    EXPECT_EQ(page.substr(page.size() - tail.size()), tail);
}

} // namespace
