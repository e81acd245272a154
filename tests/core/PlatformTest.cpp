#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/core/System.h"
#include "engine/platform/ConsoleText.h"
#include "engine/platform/Cursor.h"
#include "engine/platform/Documents.h"
#include "engine/platform/MessageBox.h"
#include "engine/platform/SourceLocation.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

struct Outer
{
    template <typename T>
    static std::string Name(T) { return Platform::QualifiedFunctionName(QRX_FUNCTION); }
    bool operator()() const { return true; }
};

TEST(SourceLocation, QualifiedNames)
{
    EXPECT_EQ(Platform::QualifiedFunctionName("bool QRX::System::Initialize()"), "QRX::System::Initialize");
    EXPECT_EQ(Platform::QualifiedFunctionName("int WinMain()"), "WinMain");
    EXPECT_EQ(Platform::QualifiedFunctionName("QRX::System::System()"), "QRX::System::System");
    EXPECT_EQ(Platform::QualifiedFunctionName("void QRX::Map<T>::Set(int) [with T = std::pair<int, int>]"),
              "QRX::Map<T>::Set");
    EXPECT_EQ(Platform::QualifiedFunctionName("bool QRX::F::operator()(int) const"), "QRX::F::operator()");
    EXPECT_EQ(Outer::Name(1), "{anonymous}::Outer::Name");
}

TEST(SourceLocation, BareFileNames)
{
    EXPECT_EQ(Platform::BareFileName("/a/b/System.cpp"), "System.cpp");
    EXPECT_EQ(Platform::BareFileName("a\\b\\Window.cpp"), "Window.cpp");
    EXPECT_EQ(Platform::BareFileName("Plain.cpp"), "Plain.cpp");
}

TEST(Documents, XdgVariableWins)
{
    TestSupport::ScopedTempHome home;
    std::string docs = home.Path() + "/MyDocs";
    ::setenv("XDG_DOCUMENTS_DIR", docs.c_str(), 1);
    EXPECT_EQ(Platform::GetDocumentsFolder(), docs);
    EXPECT_TRUE(Platform::DirectoryExists(docs));
    ::unsetenv("XDG_DOCUMENTS_DIR");
}

TEST(Documents, UserDirsFileThenHomeDocuments)
{
    TestSupport::ScopedTempHome home;
    const char* oldCfg = std::getenv("XDG_CONFIG_HOME");
    std::string saved = oldCfg ? oldCfg : "";
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Platform::GetDocumentsFolder(), home.Path() + "/Documents");
    Platform::MakeDirectory(home.Path() + "/.config");
    TestSupport::WriteFile(home.Path() + "/.config/user-dirs.dirs", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    EXPECT_EQ(Platform::GetDocumentsFolder(), home.Path() + "/Papers");
    EXPECT_TRUE(Platform::DirectoryExists(home.Path() + "/Papers"));
    if (oldCfg) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

// A box nobody can answer takes the button that goes on: never Abort (the
// end of the program) nor Retry (a trap).
TEST(MessageBoxes, NonInteractiveAnswersTheButtonThatGoesOn)
{
    ::setenv("ZENDRA_NONINTERACTIVE", "1", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Platform::ShowMessageBox("text", "Caption", Platform::MB_OK | Platform::MB_ICONERROR), Platform::IDOK);
    EXPECT_EQ(Platform::ShowMessageBox("t", "C", Platform::MB_RETRYCANCEL), Platform::IDCANCEL);
    EXPECT_EQ(Platform::ShowMessageBox("t", "C", Platform::MB_ABORTRETRYIGNORE), Platform::IDIGNORE);
    EXPECT_EQ(Platform::ShowMessageBox("t", "C", Platform::MB_OKCANCEL), Platform::IDCANCEL);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[Caption] text"), std::string::npos);
}

TEST(MessageBoxes, ABoxThatCannotBeShownAnswersTheButtonThatGoesOn)
{
    // Interactive, but with no display to show a box on.
    ::unsetenv("ZENDRA_NONINTERACTIVE");
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Platform::ShowMessageBox("t", "Nobody", Platform::MB_ABORTRETRYIGNORE | Platform::MB_ICONWARNING),
              Platform::IDIGNORE);
    EXPECT_EQ(Platform::ShowMessageBox("t", "Nobody", Platform::MB_RETRYCANCEL), Platform::IDCANCEL);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[Nobody] t"), std::string::npos);
}

TEST(ConsoleText, AttributesBecomeAnsiColours)
{
    EXPECT_EQ(Platform::AnsiSequenceFor(0xFC), "\033[0;91;107m");  // bright red on bright white
    EXPECT_EQ(Platform::AnsiSequenceFor(0xF9), "\033[0;94;107m");  // bright blue
    EXPECT_EQ(Platform::AnsiSequenceFor(0xF6), "\033[0;33;107m");  // dark yellow
    EXPECT_EQ(Platform::AnsiSequenceFor(0x0F), "\033[0;97;40m");
    EXPECT_EQ(Platform::AnsiSequenceFor(Platform::CONSOLE_DEFAULT_ATTRIBUTES), "\033[0m");
}

TEST(Cursor, VisibilityRuleAndCounter)
{
    EXPECT_TRUE(CursorWantedFor(36, false));
    EXPECT_TRUE(CursorWantedFor(35, false));
    EXPECT_TRUE(CursorWantedFor(52, false));
    EXPECT_TRUE(CursorWantedFor(16, false));
    EXPECT_TRUE(CursorWantedFor(29, false));
    EXPECT_FALSE(CursorWantedFor(3, false));
    EXPECT_TRUE(CursorWantedFor(30, false));  // the level editor is worked with the mouse
    EXPECT_TRUE(CursorWantedFor(31, false));
    EXPECT_FALSE(CursorWantedFor(33, false));
    EXPECT_FALSE(CursorWantedFor(53, false));
    EXPECT_TRUE(CursorWantedFor(3, true));

    int count = 0;
    int before = Platform::CursorDisplayCount();
    ApplyCursorVisibility(&count, false);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(Platform::CursorDisplayCount(), before - 1);
    ApplyCursorVisibility(&count, false);  // no further calls
    EXPECT_EQ(Platform::CursorDisplayCount(), before - 1);
    ApplyCursorVisibility(&count, true);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Platform::CursorDisplayCount(), before);
    ApplyCursorVisibility(nullptr, true);
    ApplyCursorVisibility(nullptr, false);
}

} // namespace
