// Action bindings: the mappings file, the defaults, keyboard and pad answers,
// and the engine's input steps.
#include <gtest/gtest.h>

#include <memory>

#include "engine/core/Controller.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/platform/Clock.h"
#include "engine/platform/Pads.h"
#include "engine/platform/VirtualKeys.h"
#include "support/FakeAudio.h"
#include "support/TestEnv.h"
#include "support/VirtualPad.h"

using namespace QRX;
using namespace QRX::Platform;
using QRX::TestSupport::VirtualPad;

namespace {

struct DefaultRow
{
    int key;
    int padOne;
    int padTwo;
    int stick;
};

const DefaultRow kDefaults[ACTIONS_PER_PLAYER] = {
    {11, 0x5814, 0x5814, 0}, {48, 0x5804, 0x5804, 0}, {55, 0x5830, 0x29, 1}, {51, 0x29, 0x29, 1},
    {33, 0x29, 0x29, 1},     {36, 0x29, 0x29, 1},     {49, 0x5805, 0x29, 2}, {37, 0x5804, 0x29, 2},
    {0, 0x5800, 0x5800, 0},  {1, 0x5801, 0x5801, 0},  {0, 0x5800, 0x5800, 0}, {52, 0x5803, 0x5803, 0},
    {24, 0x5810, 0x5810, 0}, {25, 0x5811, 0x5811, 0},
};

// A System holding just a logger, a file manager and the two pads.
class InputInterpreterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        s->pad0 = new Controller(0);
        s->pad1 = new Controller(1);
        m_dir = TestSupport::MakeTempDir("mappings");
    }
    void TearDown() override
    {
        System* s = System::GetInstance();
        delete s->pad0;
        delete s->pad1;
        delete s->fileManager;
        delete s->logger;
        s->pad0 = s->pad1 = nullptr;
        s->fileManager = nullptr;
        s->logger = nullptr;
        System::DestroyInstance();
        ShutdownPads();
        TestSupport::RemoveTree(m_dir);
    }

    std::string Write(const std::string& name, const std::string& text)
    {
        std::string path = m_dir + "/" + name;
        EXPECT_TRUE(TestSupport::WriteFile(path, text));
        return path;
    }
    std::string Log() const { return TestSupport::ReadFile(System::GetInstance()->logger->GetPath()); }
    static Controller* Pad(int player) { return player ? System::GetInstance()->pad1 : System::GetInstance()->pad0; }

    void ExpectDefault(InputInterpreter& in, int position)
    {
        const int player = position / ACTIONS_PER_PLAYER;
        const DefaultRow& row = kDefaults[position % ACTIONS_PER_PLAYER];
        InputBinding& b = in.GetBinding(position);
        EXPECT_EQ(b.m_keyIndex, row.key) << "position " << position;
        EXPECT_EQ(b.m_padCode, player ? row.padTwo : row.padOne) << "position " << position;
        EXPECT_EQ(b.m_stick, row.stick) << "position " << position;
        EXPECT_EQ(b.m_pad, Pad(player)) << "position " << position;
        EXPECT_TRUE(b.m_usePad);
    }

    TestSupport::ScopedTempHome m_home;
    std::string m_dir;
};

TEST_F(InputInterpreterTest, WithoutTheFileEveryPositionHasItsDefault)
{
    InputInterpreter in;
    EXPECT_FALSE(in.Init(m_dir + "/missing.xml"));
    ASSERT_EQ(in.GetBindingCount(), InputInterpreter::BINDING_COUNT);
    for (int p = 0; p < InputInterpreter::BINDING_COUNT; ++p) {
        ExpectDefault(in, p);
        EXPECT_EQ(in.GetBinding(p).m_number, p);
    }
    EXPECT_NE(Log().find("<strong>WARNING</strong></span> - Unable to open mappings.xml. Defaulting to predefined "
                         "configurations."),
              std::string::npos);
}

TEST_F(InputInterpreterTest, TheShippedFileGivesTheDefaults)
{
    InputInterpreter in;
    ASSERT_TRUE(in.Init());
    ASSERT_EQ(in.GetBindingCount(), InputInterpreter::BINDING_COUNT);
    for (int p = 0; p < InputInterpreter::BINDING_COUNT; ++p) ExpectDefault(in, p);
    EXPECT_EQ(in.GetBinding(27).m_number, 28 + 13);  // numbered 28 per player when read
    EXPECT_EQ(Log().find("WARNING</strong></span> - "), std::string::npos);
    // The file is closed again.
    EXPECT_EQ(System::GetInstance()->fileManager->documentContainer.count(InputInterpreter::MAPPINGS_PATH), 0u);
}

TEST_F(InputInterpreterTest, OnePlayerFileLeavesPlayerTwoAtTheDefaults)
{
    std::string path = Write("one.xml",
                             "<controls><player>"
                             "<escapeKeyboard>12</escapeKeyboard><escapeXbox>VK_PAD_BACK</escapeXbox>"
                             "<upKeyboard>20</upKeyboard><upXbox>VK_PAD_DPAD_UP</upXbox>"
                             "<power2Keyboard> 7 </power2Keyboard><power2Xbox>VK_PAD_RTHUMB_DOWNLEFT</power2Xbox>"
                             "</player></controls>");
    InputInterpreter in;
    ASSERT_TRUE(in.Init(path));
    ASSERT_EQ(in.GetBindingCount(), InputInterpreter::BINDING_COUNT);
    EXPECT_EQ(in.GetBinding(0).m_keyIndex, 12);
    EXPECT_EQ(in.GetBinding(0).m_padCode, VK_PAD_BACK);
    EXPECT_EQ(in.GetBinding(2).m_keyIndex, 20);
    EXPECT_EQ(in.GetBinding(2).m_padCode, VK_PAD_DPAD_UP);
    EXPECT_EQ(in.GetBinding(2).m_stick, STICK_LEFT);  // the stick is the action's, not the file's
    EXPECT_EQ(in.GetBinding(13).m_keyIndex, 7);
    EXPECT_EQ(in.GetBinding(13).m_padCode, VK_PAD_RTHUMB_DOWNLEFT);
    for (int p = 14; p < 28; ++p) ExpectDefault(in, p);
    EXPECT_FALSE(in.GetBinding(26).IsTriggered(26));
    EXPECT_FALSE(in.GetBinding(27).IsHeld(27));
}

TEST_F(InputInterpreterTest, TwoPlayersReadTheirOwnOccurrences)
{
    std::string path = Write("two.xml",
                             "<controls>"
                             "<player><dropKeyboard>40</dropKeyboard><dropXbox>VK_PAD_X</dropXbox></player>"
                             "<player><dropKeyboard>41</dropKeyboard><dropXbox>VK_PAD_Y</dropXbox></player>"
                             "</controls>");
    InputInterpreter in;
    ASSERT_TRUE(in.Init(path));
    EXPECT_EQ(in.GetBinding(ACTION_DROP).m_keyIndex, 40);
    EXPECT_EQ(in.GetBinding(ACTION_DROP).m_padCode, VK_PAD_X);
    EXPECT_EQ(in.GetBinding(ACTION_DROP).m_pad, Pad(0));
    EXPECT_EQ(in.GetBinding(14 + ACTION_DROP).m_keyIndex, 41);
    EXPECT_EQ(in.GetBinding(14 + ACTION_DROP).m_padCode, VK_PAD_Y);
    EXPECT_EQ(in.GetBinding(14 + ACTION_DROP).m_pad, Pad(1));
}

TEST_F(InputInterpreterTest, UnknownNamesAndBadKeysAreReportedNotUsed)
{
    std::string path = Write("bad.xml",
                             "<controls><player>"
                             "<escapeKeyboard>150</escapeKeyboard><escapeXbox>VK_PAD_Z</escapeXbox>"
                             "<resetKeyboard>-3</resetKeyboard><resetXbox>VK_PAD_A</resetXbox>"
                             "<upKeyboard>abc</upKeyboard><upXbox>vk_pad_a</upXbox>"
                             "<downXbox>VK_PAD_B</downXbox>"
                             "</player></controls>");
    InputInterpreter in;
    ASSERT_TRUE(in.Init(path));
    EXPECT_EQ(in.GetBinding(0).m_keyIndex, 11);  // defaults for unusable key indices
    EXPECT_EQ(in.GetBinding(1).m_keyIndex, 48);
    EXPECT_EQ(in.GetBinding(2).m_keyIndex, 55);
    EXPECT_EQ(in.GetBinding(3).m_keyIndex, 51);  // missing
    EXPECT_EQ(in.GetBinding(0).m_padCode, 0);    // unknown names bind no button
    EXPECT_EQ(in.GetBinding(2).m_padCode, 0);    // names are case-sensitive
    EXPECT_EQ(in.GetBinding(1).m_padCode, VK_PAD_A);
    EXPECT_EQ(in.GetBinding(3).m_padCode, VK_PAD_B);
    std::string log = Log();
    EXPECT_NE(log.find("unknown pad button \"VK_PAD_Z\" for escapeXbox of player 1"), std::string::npos);
    EXPECT_NE(log.find("unknown pad button \"vk_pad_a\" for upXbox of player 1"), std::string::npos);
    EXPECT_NE(log.find("escapeKeyboard of player 1 is \"150\""), std::string::npos);
    EXPECT_NE(log.find("downKeyboard of player 1 is \"null\""), std::string::npos);
}

TEST_F(InputInterpreterTest, PlayerCountsOutsideOneAndTwo)
{
    InputInterpreter none;
    ASSERT_TRUE(none.Init(Write("none.xml", "<controls></controls>")));
    ASSERT_EQ(none.GetBindingCount(), 28);
    for (int p = 0; p < 28; ++p) ExpectDefault(none, p);
    EXPECT_NE(Log().find("Please configure inputinterpreter.cpp to handle 3 or more players!"), std::string::npos);

    InputInterpreter three;
    ASSERT_TRUE(three.Init(Write("three.xml", "<controls>"
                                              "<player><escapeKeyboard>1</escapeKeyboard></player>"
                                              "<player><escapeKeyboard>2</escapeKeyboard></player>"
                                              "<player><escapeKeyboard>3</escapeKeyboard></player>"
                                              "</controls>")));
    ASSERT_EQ(three.GetBindingCount(), 28);
    EXPECT_EQ(three.GetBinding(0).m_keyIndex, 1);
    EXPECT_EQ(three.GetBinding(14).m_keyIndex, 2);
}

TEST_F(InputInterpreterTest, FileOfAnotherKindGivesTheDefaults)
{
    InputInterpreter in;
    EXPECT_FALSE(in.Init(Write("config.xml", "<config><c><width>3</width></c></config>")));
    ASSERT_EQ(in.GetBindingCount(), 28);
    ExpectDefault(in, 0);
}

TEST_F(InputInterpreterTest, OutOfRangePositionNeverFires)
{
    InputInterpreter in;
    in.Init(m_dir + "/missing.xml");
    InputManager keys;
    for (int k : {0, 1, 3, 11}) InputManager::current[k] = 1;
    EXPECT_FALSE(in.GetBinding(28).IsTriggered(28));
    EXPECT_FALSE(in.GetBinding(-1).IsHeld(-1));
}

TEST_F(InputInterpreterTest, KeyboardAnswersWhileNoPadIsConnected)
{
    InputInterpreter in;
    in.Init(m_dir + "/missing.xml");
    InputManager keys;
    keys.KeyDown('W');
    EXPECT_TRUE(in.GetBinding(ACTION_UP).IsTriggered(ACTION_UP));
    EXPECT_TRUE(in.GetBinding(ACTION_UP).IsHeld(ACTION_UP));
    EXPECT_TRUE(in.GetBinding(14 + ACTION_UP).IsHeld(14 + ACTION_UP));  // same key for player two
    keys.Update();
    EXPECT_FALSE(in.GetBinding(ACTION_UP).IsTriggered(ACTION_UP));
    EXPECT_TRUE(in.GetBinding(ACTION_UP).IsHeld(ACTION_UP));
    keys.KeyDown(VK_LBUTTON);
    EXPECT_TRUE(in.GetBinding(ACTION_PICKUP).IsTriggered(ACTION_PICKUP));
    EXPECT_TRUE(in.GetBinding(ACTION_THROW).IsTriggered(ACTION_THROW));
}

TEST_F(InputInterpreterTest, KeyboardIsSilentWhileTextEntryHasIt)
{
    InputInterpreter in;
    in.Init(m_dir + "/missing.xml");
    InputManager keys;
    keys.KeyDown('D');  // walking when the console opens
    keys.Update();
    ASSERT_TRUE(in.GetBinding(ACTION_RIGHT).IsHeld(ACTION_RIGHT));
    InputManager::SetKeyboardTaken(true);
    EXPECT_FALSE(in.GetBinding(ACTION_RIGHT).IsHeld(ACTION_RIGHT));
    // Typing: the reset, movement, power and mouse actions stay silent.
    for (std::uint32_t key : {std::uint32_t('P'), std::uint32_t('W'), std::uint32_t('T'), std::uint32_t('1'),
                              std::uint32_t(VK_LBUTTON), std::uint32_t(VK_ESCAPE)})
        keys.KeyDown(key);
    for (int action : {ACTION_RESET, ACTION_UP, ACTION_ACTIVE_POWER, ACTION_POWER1, ACTION_PICKUP, ACTION_ESCAPE}) {
        EXPECT_FALSE(in.GetBinding(action).IsTriggered(action)) << action;
        EXPECT_FALSE(in.GetBinding(action).IsHeld(action)) << action;
    }
    // Given back: keys still held from the typing wait for their release.
    InputManager::SetKeyboardTaken(false);
    EXPECT_FALSE(in.GetBinding(ACTION_ESCAPE).IsTriggered(ACTION_ESCAPE));  // the frame it closed in
    keys.Update();
    EXPECT_FALSE(in.GetBinding(ACTION_UP).IsHeld(ACTION_UP));
    keys.KeyUp('W');
    keys.Update();
    keys.KeyDown('W');
    EXPECT_TRUE(in.GetBinding(ACTION_UP).IsTriggered(ACTION_UP));
    // A new manager starts with the keyboard the game's.
    InputManager::SetKeyboardTaken(true);
    InputManager fresh;
    EXPECT_FALSE(InputManager::IsKeyboardTaken());
}

// ------------------------------------------------------------------ with pads

class InputInterpreterPadTest : public InputInterpreterTest
{
protected:
    void SetUp() override
    {
        SetPerformanceCounterSource([this] { return m_now; }, [] { return std::uint64_t(1000); });
        InputInterpreterTest::SetUp();
        ASSERT_TRUE(StartPads()) << PadsError();
        m_in.Init(m_dir + "/missing.xml");
    }
    void TearDown() override
    {
        m_pads.clear();
        InputInterpreterTest::TearDown();
        SetPerformanceCounterSource(nullptr, nullptr);
    }
    VirtualPad& Plug()
    {
        m_pads.push_back(std::make_unique<VirtualPad>());
        return *m_pads.back();
    }
    // The end of a frame: keys move on, each pad takes a keystroke.
    void EndFrame()
    {
        m_keys.Update();
        Pad(0)->TakeKeystroke();
        Pad(1)->TakeKeystroke();
    }
    bool Triggered(int position) { return m_in.GetBinding(position).IsTriggered(position); }
    bool Held(int position) { return m_in.GetBinding(position).IsHeld(position); }

    std::uint64_t m_now = 1000;
    InputInterpreter m_in;
    InputManager m_keys;
    std::vector<std::unique_ptr<VirtualPad>> m_pads;
};

TEST_F(InputInterpreterPadTest, AConnectedPadSilencesTheKeyboard)
{
    VirtualPad& pad = Plug();
    m_keys.KeyDown(VK_ESCAPE);
    m_keys.KeyDown('W');
    EXPECT_FALSE(Triggered(ACTION_ESCAPE));
    EXPECT_FALSE(Held(ACTION_UP));
    // Player two has no pad: the keyboard still answers for them.
    EXPECT_TRUE(Triggered(14 + ACTION_ESCAPE));

    // Unplugging gives player one the keyboard back.
    pad.Unplug();
    VirtualPad::Pump();
    EXPECT_TRUE(Triggered(ACTION_ESCAPE));
    EXPECT_TRUE(Held(ACTION_UP));
}

TEST_F(InputInterpreterPadTest, APadPressTriggersForOneFrameAndRepeatsCountAsHeld)
{
    VirtualPad& pad = Plug();
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    VirtualPad::Pump();
    EXPECT_FALSE(Triggered(ACTION_PICKUP));  // taken at the end of the frame
    EndFrame();
    EXPECT_TRUE(Triggered(ACTION_PICKUP));
    EXPECT_TRUE(Triggered(ACTION_THROW));
    EXPECT_FALSE(Held(ACTION_PICKUP));  // no repeat yet
    EndFrame();
    EXPECT_FALSE(Triggered(ACTION_PICKUP));  // not again on the next frame

    m_now += PAD_REPEAT_DELAY_MS;
    EndFrame();
    EXPECT_EQ(Pad(0)->m_keystroke.Flags, XINPUT_KEYSTROKE_KEYDOWN | XINPUT_KEYSTROKE_REPEAT);
    EXPECT_TRUE(Held(ACTION_PICKUP));
    EXPECT_FALSE(Triggered(ACTION_PICKUP));

    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    VirtualPad::Pump();
    EndFrame();
    EXPECT_FALSE(Held(ACTION_PICKUP));
    EXPECT_FALSE(Triggered(ACTION_PICKUP));
}

TEST_F(InputInterpreterPadTest, StickDirectionsAnswerMovementAndRotation)
{
    VirtualPad& pad = Plug();
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -20000);  // up
    VirtualPad::Pump();
    EXPECT_TRUE(Triggered(ACTION_UP));
    EXPECT_TRUE(Held(ACTION_UP));
    EXPECT_FALSE(Held(ACTION_DOWN));
    EXPECT_EQ(m_in.GetBinding(ACTION_UP).GetStickDirection(), ACTION_UP);

    // |x| == |y|: left or right, never up or down.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 20000);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -20000);
    VirtualPad::Pump();
    EXPECT_TRUE(Held(ACTION_LEFT));
    EXPECT_FALSE(Held(ACTION_DOWN));
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    VirtualPad::Pump();
    EXPECT_TRUE(Held(ACTION_RIGHT));

    // At the threshold nothing; one past it, a direction.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -7849);
    VirtualPad::Pump();
    EXPECT_FALSE(Held(ACTION_UP));
    EXPECT_EQ(m_in.GetBinding(ACTION_UP).GetStickDirection(), InputBinding::NO_STICK_DIRECTION);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -7850);
    VirtualPad::Pump();
    EXPECT_TRUE(Held(ACTION_UP));

    // The right stick rotates.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, -30000);
    VirtualPad::Pump();
    EXPECT_TRUE(Held(ACTION_ROTATE_LEFT));
    EXPECT_FALSE(Held(ACTION_LEFT));
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, 30000);
    VirtualPad::Pump();
    EXPECT_TRUE(Triggered(ACTION_ROTATE_RIGHT));
}

TEST_F(InputInterpreterPadTest, PlayerTwosDirectionsMatchTheirPositions)
{
    Plug();
    VirtualPad& two = Plug();
    struct Case { SDL_GameControllerAxis axis; int value; int position; };
    const Case cases[] = {
        {SDL_CONTROLLER_AXIS_LEFTY, -30000, 16}, {SDL_CONTROLLER_AXIS_LEFTY, 30000, 17},
        {SDL_CONTROLLER_AXIS_LEFTX, -30000, 18}, {SDL_CONTROLLER_AXIS_LEFTX, 30000, 19},
        {SDL_CONTROLLER_AXIS_RIGHTX, -30000, 20}, {SDL_CONTROLLER_AXIS_RIGHTX, 30000, 21},
    };
    for (const Case& c : cases) {
        for (int a = 0; a < 4; ++a) two.Axis(static_cast<SDL_GameControllerAxis>(a), 0);
        two.Axis(c.axis, c.value);
        VirtualPad::Pump();
        EXPECT_TRUE(Held(c.position)) << c.position;
        EXPECT_EQ(m_in.GetBinding(c.position).GetStickDirection(), c.position);
        EXPECT_FALSE(Held(c.position - 14)) << "player one's pad rests";
    }
}

TEST_F(InputInterpreterPadTest, OneKeystrokePerFrame)
{
    VirtualPad& pad = Plug();
    pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    VirtualPad::Pump();
    EndFrame();
    const bool escapeFirst = Triggered(ACTION_ESCAPE);
    EXPECT_NE(escapeFirst, Triggered(ACTION_POWER1));
    EndFrame();
    EXPECT_NE(escapeFirst, Triggered(ACTION_ESCAPE));
    EXPECT_EQ(escapeFirst, Triggered(ACTION_POWER1));
    EndFrame();
    EXPECT_FALSE(Triggered(ACTION_ESCAPE));
    EXPECT_FALSE(Triggered(ACTION_POWER1));
}

} // namespace
