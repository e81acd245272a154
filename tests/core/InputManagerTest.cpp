// Keyboard and mouse state, the cursor mapping and the pad-driven cursor.
#include <gtest/gtest.h>

#include <SDL.h>

#include <set>
#include <string>

#include "engine/core/InputManager.h"
#include "engine/platform/Mouse.h"
#include "engine/platform/Pads.h"
#include "engine/platform/VirtualKeys.h"
#include "engine/platform/WindowMessages.h"
#include "support/VirtualPad.h"

using namespace QRX;
using namespace QRX::Platform;
using QRX::TestSupport::VirtualPad;

namespace {

TEST(InputKeyTable, NinetyNineRowsGiveEveryIndexOnce)
{
    std::set<int> indices;
    int rows = 0;
    for (std::uint32_t vk = 0; vk < 0x100; ++vk) {
        int index = InputManager::KeyIndexOf(vk);
        if (index < 0) continue;
        ++rows;
        EXPECT_TRUE(indices.insert(index).second) << "index " << index << " twice";
    }
    EXPECT_EQ(rows, InputManager::KEY_COUNT);
    ASSERT_EQ(indices.size(), 99u);
    EXPECT_EQ(*indices.begin(), 0);
    EXPECT_EQ(*indices.rbegin(), 98);

    EXPECT_EQ(InputManager::KeyIndexOf(VK_DECIMAL), 73);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_DIVIDE), 72);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_MENU), KEY_ALT);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_F1 + 3), KEY_F4);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_MBUTTON), 2);
    EXPECT_EQ(InputManager::KeyIndexOf('0'), 23);
    EXPECT_EQ(InputManager::KeyIndexOf('9'), 32);
    EXPECT_EQ(InputManager::KeyIndexOf('A'), 33);
    EXPECT_EQ(InputManager::KeyIndexOf('Z'), 58);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_NUMPAD0 + 9), 68);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_SUBTRACT), 71);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_F12), 85);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_OEM_COMMA), KEY_OEM_COMMA);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_OEM_3), KEY_OEM_3);
    EXPECT_EQ(InputManager::KeyIndexOf(VK_OEM_7), 98);
    EXPECT_EQ(InputManager::KeyIndexOf('a'), 60);  // 0x61 is VK_NUMPAD1: letters come as capitals
    EXPECT_EQ(InputManager::KeyIndexOf(0x5800), -1);
}

TEST(InputKeys, TriggeredLastsOneFrameHeldLastsWhileDown)
{
    InputManager input;
    input.KeyDown(VK_ESCAPE);
    EXPECT_TRUE(InputManager::IsTriggered(KEY_ESCAPE));
    EXPECT_TRUE(InputManager::IsHeld(KEY_ESCAPE));
    input.Update();
    EXPECT_FALSE(InputManager::IsTriggered(KEY_ESCAPE));
    EXPECT_TRUE(InputManager::IsHeld(KEY_ESCAPE));
    input.KeyDown(VK_ESCAPE);  // auto-repeat of a held key is no new press
    EXPECT_FALSE(InputManager::IsTriggered(KEY_ESCAPE));
    input.KeyUp(VK_ESCAPE);
    EXPECT_FALSE(InputManager::IsHeld(KEY_ESCAPE));
    input.Update();
    EXPECT_EQ(InputManager::previous[KEY_ESCAPE], 0);
}

TEST(InputKeys, QuickTapInsideOnePumpCountsForOneFrame)
{
    // A tap shorter than a slow frame is still one press, released after it.
    const int w = KEY_A + ('W' - 'A');
    InputManager input;
    input.KeyDown('W');
    input.KeyUp('W');
    EXPECT_TRUE(InputManager::IsTriggered(w));
    input.Update();
    EXPECT_FALSE(InputManager::IsHeld(w));
    EXPECT_EQ(InputManager::previous[w], 1);
    input.Update();
    EXPECT_EQ(InputManager::previous[w], 0);

    // Pressed again before the frame ends: it stays down.
    input.KeyDown('W');
    input.KeyUp('W');
    input.KeyDown('W');
    input.Update();
    EXPECT_TRUE(InputManager::IsHeld(w));
    EXPECT_FALSE(InputManager::IsTriggered(w));
    input.KeyUp('W');  // a key seen down lets go at once
    EXPECT_FALSE(InputManager::IsHeld(w));
}

TEST(InputKeys, UnknownCodesChangeNothingAndANewManagerStartsClear)
{
    InputManager input;
    input.KeyDown(0xFF);
    input.KeyDown(0x100000);
    for (int i = 0; i < InputManager::KEY_COUNT; ++i) EXPECT_EQ(InputManager::current[i], 0);
    input.KeyDown(VK_LBUTTON);
    InputManager fresh;
    EXPECT_EQ(InputManager::current[KEY_LBUTTON], 0);
}

TEST(InputMouse, WheelKeepsTheSignedHighWordForOneFrame)
{
    InputManager input;
    input.OnMouseWheel(static_cast<std::uint64_t>(static_cast<std::uint16_t>(-240)) << 16);
    EXPECT_EQ(input.GetWheel(), -240);
    input.Update();
    EXPECT_EQ(input.GetWheel(), 0);
    input.OnMouseWheel(static_cast<std::uint64_t>(WHEEL_DELTA) << 16 | 0x0008);  // low word: buttons held
    EXPECT_EQ(input.GetWheel(), 120);
}

TEST(InputMouse, TypedCharactersAreFilteredAndLastOneFrame)
{
    InputManager input;
    const std::string accepted = "\b ()-./09:;>AZaz\\_";
    for (char c : accepted) {
        input.OnCharacter(static_cast<unsigned char>(c));
        EXPECT_TRUE(input.IsCharacterReady()) << int(c);
        EXPECT_EQ(input.GetTypedCharacter(), c);
    }
    input.Update();
    EXPECT_FALSE(input.IsCharacterReady());
    EXPECT_EQ(input.GetTypedCharacter(), 0);
    for (std::uint64_t c : {std::uint64_t('<'), std::uint64_t('!'), std::uint64_t('\r'), std::uint64_t('\t'),
                            std::uint64_t(0xE9), std::uint64_t(0x100 + 'a'), std::uint64_t('`')}) {
        input.OnCharacter(c);
        EXPECT_FALSE(input.IsCharacterReady()) << c;
    }
}

// The strokes of a frame as text: keys as "[index]", characters as themselves.
std::string StrokesOf(const InputManager& input)
{
    std::string text;
    for (const InputManager::Stroke& s : input.GetStrokes())
        text += s.IsCharacter() ? std::string(1, s.character) : "[" + std::to_string(s.keyIndex) + "]";
    return text;
}

TEST(InputTyping, EveryCharacterOfAFrameIsKeptInOrderWithTheKeysBetween)
{
    InputManager input;
    const std::string v = std::to_string(KEY_A + ('V' - 'A'));
    const std::string e = std::to_string(KEY_A + ('E' - 'A'));
    input.KeyDown(VK_OEM_3);
    input.KeyUp(VK_OEM_3);
    input.KeyDown(VK_SHIFT);  // a shifted letter
    input.KeyDown('V');
    input.OnCharacter('V');
    input.KeyUp('V');
    input.KeyUp(VK_SHIFT);
    input.KeyDown('E');
    input.OnCharacter('e');
    input.KeyDown('E');  // held: repeats type but do not go down again
    input.OnCharacter('e');
    input.OnCharacter('!');  // not a console character
    input.KeyDown(0xFF);     // outside the table: still a key between characters
    input.OnCharacter('L');
    EXPECT_EQ(StrokesOf(input), "[94][6][" + v + "]V[" + e + "]ee[-1]L");
    EXPECT_EQ(input.GetTypedCharacter(), 'L');
    EXPECT_EQ(input.GetUnclaimedText(), "VeeL");
    input.ClaimStroke(3);
    input.ClaimStroke(1000);
    EXPECT_EQ(input.GetUnclaimedText(), "eeL");

    input.Update();
    EXPECT_TRUE(input.GetStrokes().empty());
    EXPECT_EQ(input.GetUnclaimedText(), "");
    // A paste or a runaway repeat keeps the first STROKES_PER_FRAME.
    for (size_t i = 0; i < InputManager::STROKES_PER_FRAME + 50; ++i) input.OnCharacter('a' + static_cast<char>(i % 26));
    EXPECT_EQ(input.GetStrokes().size(), InputManager::STROKES_PER_FRAME);
    EXPECT_EQ(input.GetUnclaimedText().substr(0, 3), "abc");
}

TEST(InputMouse, MovesGiveDeltasUntilTheFrameEnds)
{
    InputManager input;
    input.OnMouseMove(MakeMouseLParam(100, 50));
    input.Update();
    input.OnMouseMove(MakeMouseLParam(110, 45));
    EXPECT_EQ(input.GetMouseX(), 110);
    EXPECT_EQ(input.GetMouseY(), 45);
    EXPECT_FLOAT_EQ(input.GetDeltaX(), 10.0f);
    EXPECT_FLOAT_EQ(input.GetDeltaY(), -5.0f);
    EXPECT_TRUE(input.HasMoved());
    input.Update();
    EXPECT_FLOAT_EQ(input.GetDeltaX(), 0.0f);
    EXPECT_EQ(input.GetPreviousMouseX(), 110);
    EXPECT_TRUE(input.HasMoved());   // it moved during this frame
    input.Update();
    EXPECT_FALSE(input.HasMoved());  // and rested through the next
}

TEST(InputCursor, CentreIsHalfAndEdgesReachPastTheUnitSquare)
{
    float x = 0, y = 0;
    InputManager::MapCursorPosition(400, 300, 800, 600, x, y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.5f);
    InputManager::MapCursorPosition(0, 0, 800, 600, x, y);
    EXPECT_NEAR(x, -0.1f, 1e-6f);
    EXPECT_NEAR(y, 1.1f, 1e-6f);
    InputManager::MapCursorPosition(800, 600, 800, 600, x, y);
    EXPECT_NEAR(x, 1.1f, 1e-6f);
    EXPECT_NEAR(y, -0.1f, 1e-6f);
    // Odd sizes halve as integers.
    InputManager::MapCursorPosition(400, 300, 801, 601, x, y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.5f);
    // A minimised window has no size: the centre, not a division by zero.
    InputManager::MapCursorPosition(10, 10, 0, 0, x, y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.5f);
}

TEST(InputCursor, NoWindowGivesTheCentre)
{
    SetCursorWindow(nullptr);
    InputManager input;
    float x = 0, y = 0;
    input.GetCursorPosition(x, y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.5f);
}

// ---------------------------------------------------------- with pad and window

class InputPadCursorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartPads()) << PadsError();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no display: " << SDL_GetError();
        m_window = SDL_CreateWindow("input-test", 100, 100, 320, 240, SDL_WINDOW_SHOWN);
        ASSERT_NE(m_window, nullptr) << SDL_GetError();
        for (int i = 0; i < 20; ++i) SDL_PumpEvents();
        SetCursorWindow(m_window);
    }
    void TearDown() override
    {
        SetCursorWindow(nullptr);
        if (m_window) SDL_DestroyWindow(m_window);
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        ShutdownPads();
    }
    void WarpTo(int x, int y)
    {
        WarpCursor(x, y);
        SDL_PumpEvents();
    }
    static void Cursor(int& x, int& y) { ASSERT_TRUE(GetCursorClientPosition(x, y)); }

    SDL_Window* m_window = nullptr;
};

TEST_F(InputPadCursorTest, CursorPositionFollowsTheSystemCursor)
{
    InputManager input;
    WarpTo(160, 120);
    float x = 0, y = 0;
    input.GetCursorPosition(x, y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.5f);
    WarpTo(0, 0);
    input.GetCursorPosition(x, y);
    EXPECT_NEAR(x, -0.1f, 1e-6f);
    EXPECT_NEAR(y, 1.1f, 1e-6f);
}

TEST_F(InputPadCursorTest, LeftStickMovesTheCursorAlongItsDominantAxis)
{
    InputManager input;
    input.OnMouseMove(MakeMouseLParam(100, 100));
    VirtualPad pad;
    ASSERT_TRUE(pad.Ok());
    WarpTo(100, 100);

    // Mouse messages no longer move the stored cursor.
    input.OnMouseMove(MakeMouseLParam(30, 40));
    EXPECT_EQ(input.GetMouseX(), 100);
    EXPECT_EQ(input.GetMouseY(), 100);

    int x = 0, y = 0;
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -20000);  // up
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 15000);
    VirtualPad::Pump();
    input.Update();
    EXPECT_EQ(input.GetMouseX(), 100);
    EXPECT_EQ(input.GetMouseY(), 95);
    Cursor(x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 95);

    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -15000);  // x now dominant: right
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    VirtualPad::Pump();
    input.Update();
    EXPECT_EQ(input.GetMouseX(), 105);
    EXPECT_EQ(input.GetMouseY(), 95);

    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);  // inside the threshold: still
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -7849);
    VirtualPad::Pump();
    input.Update();
    EXPECT_EQ(input.GetMouseX(), 105);
    EXPECT_FALSE(input.HasMoved());

    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -7850);
    VirtualPad::Pump();
    input.Update();
    EXPECT_EQ(input.GetMouseX(), 100);
    Cursor(x, y);
    EXPECT_EQ(x, 100);
}

TEST_F(InputPadCursorTest, PadCursorStopsAtTheWindowEdge)
{
    InputManager input;
    VirtualPad pad;
    WarpTo(2, 238);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    VirtualPad::Pump();
    input.Update();
    EXPECT_EQ(input.GetMouseX(), 0);  // not wrapped round to 65533
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);  // down
    VirtualPad::Pump();
    input.Update();
    EXPECT_EQ(input.GetMouseY(), 239);
}

TEST_F(InputPadCursorTest, PadAtRestLeavesTheSystemPointerWhereverItIs)
{
    InputManager input;
    VirtualPad pad;
    ASSERT_TRUE(pad.Ok());
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 7849);  // inside the threshold
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    VirtualPad::Pump();

    // Outside the window (another program's area): frame after frame the
    // pointer stays there, while the stored position keeps to the window.
    WarpTo(-60, 300);
    int x = 0, y = 0;
    Cursor(x, y);
    ASSERT_EQ(x, -60);
    for (int frame = 0; frame < 3; ++frame) {
        input.Update();
        Cursor(x, y);
        EXPECT_EQ(x, -60);
        EXPECT_EQ(y, 300);
    }
    EXPECT_EQ(input.GetMouseX(), 0);
    EXPECT_EQ(input.GetMouseY(), 239);

    // Inside, the stored position follows the mouse-moved pointer.
    WarpTo(50, 60);
    input.Update();
    EXPECT_EQ(input.GetMouseX(), 50);
    EXPECT_EQ(input.GetMouseY(), 60);

    // Once the stick moves it, the pointer moves from where it was: the
    // clamp holds the stored position only.
    WarpTo(-60, 300);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    VirtualPad::Pump();
    input.Update();
    Cursor(x, y);
    EXPECT_EQ(x, -55);
    EXPECT_EQ(y, 300);
    EXPECT_EQ(input.GetMouseX(), 0);
}

TEST_F(InputPadCursorTest, UnpluggingGivesTheCursorBackToTheMouse)
{
    InputManager input;
    auto pad = std::make_unique<VirtualPad>();
    input.OnMouseMove(MakeMouseLParam(30, 40));
    EXPECT_NE(input.GetMouseX(), 30);
    pad.reset();
    VirtualPad::Pump();
    input.OnMouseMove(MakeMouseLParam(30, 40));
    EXPECT_EQ(input.GetMouseX(), 30);
    EXPECT_EQ(input.GetMouseY(), 40);
}

} // namespace
