// The window's logic without a display: configuration, window procedure,
// typed-character filter, layout rescaling and the machine description.
#include <gtest/gtest.h>

#include "engine/core/AudioManager.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/platform/VirtualKeys.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

class WindowLogicTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = TestSupport::MakeTempDir("zendra-config");
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
    }
    void TearDown() override
    {
        TestSupport::ReleaseSystem();
        TestSupport::RemoveTree(m_dir);
    }
    std::string Config(const std::string& xml)
    {
        std::string path = m_dir + "/config.xml";
        TestSupport::WriteFile(path, xml);
        return path;
    }
    std::string Page() const { return TestSupport::ReadFile(m_home.GameFolder() + "/SystemActivity.html"); }
    FileManager* Files() { return System::GetInstance()->fileManager; }

    TestSupport::ScopedTempHome m_home;
    std::string m_dir;
};

TEST_F(WindowLogicTest, MissingConfigurationGivesDefaultsAndWarning)
{
    Window::DisplayConfig c = Window::ReadDisplayConfig(Files(), m_dir + "/absent.xml");
    EXPECT_EQ(c.width, 800);
    EXPECT_EQ(c.height, 600);
    EXPECT_FALSE(c.fullscreen);
    std::string page = Page();
    size_t at = page.find("Unable to open config.xml. Defaulting to preconfigured options.");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(page.rfind("<strong>WARNING</strong>", at), std::string::npos);
    // The file is not kept open.
    EXPECT_EQ(Files()->documentContainer.count(m_dir + "/absent.xml"), 0u);
}

TEST_F(WindowLogicTest, ValuesAreReadFromTheEntry)
{
    std::string path = Config("<config><display><width>1024</width><height>768</height>"
                              "<fullscreen>true</fullscreen></display></config>");
    Window::DisplayConfig c = Window::ReadDisplayConfig(Files(), path);
    EXPECT_EQ(c.width, 1024);
    EXPECT_EQ(c.height, 768);
    EXPECT_TRUE(c.fullscreen);
    EXPECT_EQ(Files()->documentContainer.count(path), 0u);
    EXPECT_EQ(Files()->fileContainer.count(path), 0u);
}

TEST_F(WindowLogicTest, OnlyLowerCaseTrueMeansFullScreen)
{
    for (const char* text : {"True", "TRUE", "1", "yes", " true", ""}) {
        std::string path = Config(std::string("<config><display><width>640</width><height>480</height><fullscreen>") +
                                  text + "</fullscreen></display></config>");
        EXPECT_FALSE(Window::ReadDisplayConfig(Files(), path).fullscreen) << '"' << text << '"';
    }
}

TEST_F(WindowLogicTest, ZeroOrMissingSizeFallsBackToTheDefaultSize)
{
    std::string zero = Config("<config><display><width>0</width><height>768</height></display></config>");
    Window::DisplayConfig c = Window::ReadDisplayConfig(Files(), zero);
    EXPECT_EQ(c.width, 800);
    EXPECT_EQ(c.height, 600);
    EXPECT_NE(Page().find("config.xml holds no usable window size (0 x 768)"), std::string::npos);

    // Values written straight under the root are not entries: nothing is read.
    std::string flat = Config("<config><width>1024</width><height>768</height><fullscreen>true</fullscreen></config>");
    c = Window::ReadDisplayConfig(Files(), flat);
    EXPECT_EQ(c.width, 800);
    EXPECT_EQ(c.height, 600);
    EXPECT_FALSE(c.fullscreen);

    std::string huge = Config("<config><display><width>100000</width><height>768</height></display></config>");
    EXPECT_EQ(Window::ReadDisplayConfig(Files(), huge).width, 800);
    std::string negative = Config("<config><display><width>-5</width><height>768</height></display></config>");
    EXPECT_EQ(Window::ReadDisplayConfig(Files(), negative).width, 800);
}

TEST_F(WindowLogicTest, TheShippedConfigurationIsRead)
{
    Window::DisplayConfig c =
        Window::ReadDisplayConfig(Files(), TestSupport::SourceDir() + "/" + Window::CONFIG_PATH);
    EXPECT_EQ(c.width, 1024);
    EXPECT_EQ(c.height, 768);
    EXPECT_FALSE(c.fullscreen);
    EXPECT_EQ(Page().find("Defaulting"), std::string::npos);
}

TEST_F(WindowLogicTest, CloseMessageStopsTheLoopOnly)
{
    System* s = System::GetInstance();
    s->window = new Window();
    ASSERT_TRUE(s->IsRunning());
    Platform::WindowMessage close;
    close.message = Platform::WM_CLOSE;
    EXPECT_EQ(Window::WindowProcedure(close), 0);
    EXPECT_FALSE(s->IsRunning());
    // A second close changes nothing more.
    EXPECT_EQ(Window::WindowProcedure(close), 0);
    EXPECT_FALSE(s->IsRunning());
    EXPECT_NE(Page().find("Quit requested: the window was closed"), std::string::npos);
}

TEST_F(WindowLogicTest, WindowedFocusLossAndRegainOnlyFlipTheFlag)
{
    System* s = System::GetInstance();
    s->window = new Window();
    Platform::WindowMessage m;
    m.message = Platform::WM_KILLFOCUS;
    Window::WindowProcedure(m);
    EXPECT_TRUE(s->window->IsDeactivated());
    m.message = Platform::WM_ACTIVATE;
    m.wParam = Platform::WA_ACTIVE;
    Window::WindowProcedure(m);
    EXPECT_FALSE(s->window->IsDeactivated());
    EXPECT_FALSE(s->window->IsChangingMode());
    EXPECT_TRUE(s->IsRunning());
    // Nothing was rebuilt: no display-mode report.
    EXPECT_EQ(Page().find("Releasing resources..."), std::string::npos);
}

TEST_F(WindowLogicTest, FocusRegainRestoresOnlyWhatTheLossSwitchedOff)
{
    System* s = System::GetInstance();
    s->window = new Window();
    s->audioManager = new AudioManager();
    AudioManager& audio = *s->audioManager;
    audio.m_MusicVolume = 0.6f;
    audio.m_EffectsOff = true;  // the player switched effects off in the options
    Platform::WindowMessage lost;
    lost.message = Platform::WM_KILLFOCUS;
    Window::WindowProcedure(lost);
    EXPECT_TRUE(audio.m_MusicOff);
    EXPECT_TRUE(audio.m_MusicMutedByDeactivation);
    EXPECT_FLOAT_EQ(audio.m_MusicRestoreVolume, 0.6f);
    EXPECT_TRUE(audio.m_EffectsOff);
    EXPECT_FALSE(audio.m_EffectsMutedByDeactivation);

    Platform::WindowMessage back;
    back.message = Platform::WM_ACTIVATE;
    back.wParam = Platform::WA_ACTIVE;
    Window::WindowProcedure(back);
    EXPECT_FALSE(audio.m_MusicOff);
    EXPECT_FALSE(audio.m_MusicMutedByDeactivation);
    EXPECT_TRUE(audio.m_EffectsOff);  // still the player's choice
    // A second activation finds nothing more to undo.
    audio.m_MusicOff = true;
    Window::WindowProcedure(back);
    EXPECT_TRUE(audio.m_MusicOff);
}

Platform::WindowMessage Message(std::uint32_t message, std::uint64_t wParam = 0, std::int64_t lParam = 0)
{
    Platform::WindowMessage m;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

class WindowInputTest : public WindowLogicTest
{
protected:
    void SetUp() override
    {
        WindowLogicTest::SetUp();
        for (int i = 0; i < InputManager::KEY_COUNT; ++i) InputManager::current[i] = InputManager::previous[i] = 0;
        System::GetInstance()->inputManager = new InputManager();
    }
    InputManager& Input() { return *System::GetInstance()->inputManager; }
};

TEST_F(WindowInputTest, KeyMessagesReachTheKeyStates)
{
    using namespace Platform;
    Window::WindowProcedure(Message(WM_KEYDOWN, 'W'));
    Window::WindowProcedure(Message(WM_SYSKEYDOWN, VK_MENU));
    Window::WindowProcedure(Message(WM_SYSKEYDOWN, VK_F1 + 3));
    EXPECT_EQ(InputManager::current[KEY_A + ('W' - 'A')], 1);
    EXPECT_EQ(InputManager::current[KEY_ALT], 1);
    EXPECT_EQ(InputManager::current[KEY_F4], 1);
    Input().Update();
    Window::WindowProcedure(Message(WM_KEYUP, 'W'));
    Window::WindowProcedure(Message(WM_SYSKEYUP, VK_MENU));
    EXPECT_EQ(InputManager::current[KEY_A + ('W' - 'A')], 0);
    EXPECT_EQ(InputManager::current[KEY_ALT], 0);
    EXPECT_EQ(InputManager::current[KEY_F4], 1);
}

TEST_F(WindowInputTest, WheelKeepsItsSign)
{
    using namespace Platform;
    Window::WindowProcedure(Message(WM_MOUSEWHEEL, std::uint64_t(static_cast<std::uint16_t>(-240)) << 16));
    EXPECT_EQ(Input().GetWheel(), -240);
    Window::WindowProcedure(Message(WM_MOUSEWHEEL, std::uint64_t(120) << 16));
    EXPECT_EQ(Input().GetWheel(), 120);
}

TEST_F(WindowInputTest, TypedCharactersAreFiltered)
{
    using namespace Platform;
    const std::string accepted = "\b ()-./:;>\\_09AZaz";
    for (char c : accepted) {
        Input().Update();
        Window::WindowProcedure(Message(WM_CHAR, static_cast<unsigned char>(c)));
        EXPECT_TRUE(Input().IsCharacterReady()) << int(c);
        EXPECT_EQ(Input().GetTypedCharacter(), c);
    }
    for (std::uint64_t c : {std::uint64_t('!'), std::uint64_t('<'), std::uint64_t('='), std::uint64_t('\r'),
                            std::uint64_t(27), std::uint64_t(0xE9), std::uint64_t(0x100 + 'a')}) {
        Input().Update();
        Window::WindowProcedure(Message(WM_CHAR, c));
        EXPECT_FALSE(Input().IsCharacterReady()) << c;
    }
}

TEST_F(WindowLogicTest, MessagesWithoutAWindowAreHarmless)
{
    for (std::uint32_t msg : {Platform::WM_ACTIVATE, Platform::WM_KILLFOCUS, Platform::WM_SYSCOMMAND,
                              Platform::WM_DESTROY, Platform::WM_CREATE, Platform::WM_SIZE, Platform::WM_KEYDOWN,
                              Platform::WM_CHAR, Platform::WM_MOUSEMOVE, Platform::WM_LBUTTONDOWN,
                              Platform::WM_MOUSEWHEEL, 0x0400u}) {
        Platform::WindowMessage m;
        m.message = msg;
        m.wParam = Platform::SC_SCREENSAVE;
        EXPECT_EQ(Window::WindowProcedure(m), 0);
    }
    EXPECT_TRUE(System::GetInstance()->IsRunning());
}

TEST(WindowLayout, RescaleByOneQuarterAndIdempotent)
{
    glm::vec3 position(100.0f, 200.0f, 5.0f);
    glm::vec3 scale(40.0f, 30.0f, 2.0f);
    float layoutW = 1024.0f, layoutH = 768.0f;
    ASSERT_TRUE(Window::RescaleUIObject(position, scale, layoutW, layoutH, 1280, 960));
    EXPECT_FLOAT_EQ(position.x, 125.0f);
    EXPECT_FLOAT_EQ(position.y, 250.0f);
    EXPECT_FLOAT_EQ(position.z, 5.0f);
    EXPECT_FLOAT_EQ(scale.x, 50.0f);
    EXPECT_FLOAT_EQ(scale.y, 37.5f);
    EXPECT_FLOAT_EQ(scale.z, 2.0f);
    EXPECT_FLOAT_EQ(layoutW, 1280.0f);
    EXPECT_FLOAT_EQ(layoutH, 960.0f);
    ASSERT_TRUE(Window::RescaleUIObject(position, scale, layoutW, layoutH, 1280, 960));
    EXPECT_FLOAT_EQ(position.x, 125.0f);
    EXPECT_FLOAT_EQ(scale.y, 37.5f);
}

TEST(WindowLayout, UnreadLayoutIsSkipped)
{
    glm::vec3 position(100.0f, 200.0f, 0.0f);
    glm::vec3 scale(1.0f, 1.0f, 1.0f);
    float layoutW = 0.0f, layoutH = 768.0f;
    EXPECT_FALSE(Window::RescaleUIObject(position, scale, layoutW, layoutH, 1280, 960));
    EXPECT_EQ(position, glm::vec3(100.0f, 200.0f, 0.0f));
    EXPECT_EQ(scale, glm::vec3(1.0f));
    EXPECT_EQ(layoutW, 0.0f);
    EXPECT_EQ(layoutH, 768.0f);
}

TEST(WindowSystemInformation, LabelsInOrder)
{
    Platform::SystemInformation info;
    info.oemId = 9;
    info.logicalProcessors = 4;
    info.pageSize = 4096;
    info.processorType = 8664;
    info.minimumApplicationAddress = 0x10000;
    info.maximumApplicationAddress = 0x7FFFFFFEFFFF;
    info.activeProcessorMask = 15;
    info.architecture = Platform::Architecture::AMD64;
    info.vendor = "Debian GNU/Linux";
    info.operatingSystem = "Linux 6.1.0";
    info.edition = "Debian GNU/Linux 12 (bookworm)";
    info.versionId = "12";
    info.build = "#1 SMP";
    EXPECT_EQ(Window::BuildSystemInformationText(info),
              "Retrieving system information...\n  Hardware information: \n"
              "    OEM ID: 9\n"
              "    Number of logical processors: 4\n"
              "    Page size: 4096\n"
              "    Processor type: 8664\n"
              "    Minimum application address: 0x10000\n"
              "    Maximum application address: 0x7ffffffeffff\n"
              "    Active processor mask: 15\n"
              "\n  Software information: \n"
              "    Vendor: Debian GNU/Linux \n"
              "    Operating System: Linux 6.1.0 \n"
              "    Edition: Debian GNU/Linux 12 (bookworm)\n"
              "    Service Pack:  12 (build #1 SMP)\n"
              "    System Type: 64-bit\n"
              "    Process running under WOW64: No");

    info.versionId.clear();
    info.architecture = Platform::Architecture::X86;
    std::string text = Window::BuildSystemInformationText(info);
    EXPECT_NE(text.find("    Service Pack:  (build #1 SMP)"), std::string::npos);
    EXPECT_NE(text.find("System Type: 32-bit\n    Process running under WOW64: N/A"), std::string::npos);
    info.architecture = Platform::Architecture::Unknown;
    EXPECT_NE(Window::BuildSystemInformationText(info).find("System Type: Unknown architecture"), std::string::npos);
}

} // namespace
