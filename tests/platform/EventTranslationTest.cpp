#include <gtest/gtest.h>

#include <SDL.h>

#include <csignal>
#include <vector>

#include "engine/platform/EventTranslation.h"
#include "engine/platform/MessagePump.h"
#include "engine/platform/VirtualKeys.h"

using namespace QRX::Platform;

namespace {

constexpr std::uint32_t WINDOW = 7;
constexpr std::uint32_t OLD_WINDOW = 3;

std::vector<WindowMessage> Translate(const SDL_Event& e, std::uint32_t windowId = WINDOW)
{
    std::vector<WindowMessage> out;
    TranslateEvent(e, windowId, out);
    return out;
}

SDL_Event Key(Uint32 type, SDL_Scancode sc, Uint16 mod = KMOD_NONE, std::uint32_t window = WINDOW)
{
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.windowID = window;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = sc;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event Button(Uint32 type, Uint8 button, int x, int y)
{
    SDL_Event e{};
    e.type = type;
    e.button.type = type;
    e.button.windowID = WINDOW;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Wheel(int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL)
{
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = WINDOW;
    e.wheel.y = y;
    e.wheel.direction = direction;
    return e;
}

SDL_Event WindowEvent(Uint8 what, std::uint32_t window = WINDOW)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.type = SDL_WINDOWEVENT;
    e.window.windowID = window;
    e.window.event = what;
    return e;
}

SDL_Event Text(const char* utf8)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.type = SDL_TEXTINPUT;
    e.text.windowID = WINDOW;
    SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
    return e;
}

TEST(VirtualKeys, DigitRowRunsOneToNineThenZero)
{
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_1, false), std::uint32_t('1'));
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_5, false), std::uint32_t('5'));
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_9, false), std::uint32_t('9'));
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_0, false), std::uint32_t('0'));
}

TEST(VirtualKeys, LettersAndFunctionKeys)
{
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_A, false), std::uint32_t('A'));
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_W, false), std::uint32_t('W'));
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_Z, false), std::uint32_t('Z'));
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_F1, false), VK_F1);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_F4, false), VK_F1 + 3);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_F12, false), VK_F12);
}

TEST(VirtualKeys, LeftAndRightModifiersShareOneKey)
{
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_LSHIFT, false), VK_SHIFT);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_RSHIFT, false), VK_SHIFT);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_LCTRL, false), VK_CONTROL);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_RCTRL, false), VK_CONTROL);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_LALT, false), VK_MENU);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_RALT, false), VK_MENU);
}

TEST(VirtualKeys, KeypadFollowsNumLock)
{
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_1, true), VK_NUMPAD0 + 1);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_9, true), VK_NUMPAD9);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_0, true), VK_NUMPAD0);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_PERIOD, true), VK_DECIMAL);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_8, false), VK_UP);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_0, false), VK_INSERT);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_PERIOD, false), VK_DELETE);
    // Operators do not depend on Num Lock.
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_DIVIDE, false), VK_DIVIDE);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_MULTIPLY, true), VK_MULTIPLY);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_MINUS, true), VK_SUBTRACT);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_PLUS, true), VK_ADD);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_ENTER, true), VK_RETURN);
}

TEST(VirtualKeys, PunctuationAndNavigation)
{
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_GRAVE, false), VK_OEM_3);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_SEMICOLON, false), VK_OEM_1);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_EQUALS, false), VK_OEM_PLUS);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_COMMA, false), VK_OEM_COMMA);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_MINUS, false), VK_OEM_MINUS);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_PERIOD, false), VK_OEM_PERIOD);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_SLASH, false), VK_OEM_2);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_LEFTBRACKET, false), VK_OEM_4);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_BACKSLASH, false), VK_OEM_5);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_RIGHTBRACKET, false), VK_OEM_6);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_APOSTROPHE, false), VK_OEM_7);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_PAGEUP, false), VK_PRIOR);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_PAGEDOWN, false), VK_NEXT);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_RETURN, false), VK_RETURN);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_ESCAPE, false), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_UNKNOWN, false), 0u);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_F13, false), 0u);
}

TEST(EventTranslation, KeysBecomeKeyMessagesAndAltMakesSystemKeys)
{
    auto down = Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_W));
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].message, WM_KEYDOWN);
    EXPECT_EQ(down[0].wParam, std::uint64_t('W'));
    auto up = Translate(Key(SDL_KEYUP, SDL_SCANCODE_W));
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, WM_KEYUP);

    auto alt = Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_LALT));
    ASSERT_EQ(alt.size(), 1u);
    EXPECT_EQ(alt[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(alt[0].wParam, VK_MENU);
    auto f4 = Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_F4, KMOD_LALT));
    ASSERT_EQ(f4.size(), 1u);
    EXPECT_EQ(f4[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(f4[0].wParam, VK_F1 + 3);
    auto f4up = Translate(Key(SDL_KEYUP, SDL_SCANCODE_F4, KMOD_LALT));
    ASSERT_EQ(f4up.size(), 1u);
    EXPECT_EQ(f4up[0].message, WM_SYSKEYUP);

    EXPECT_TRUE(Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_F13)).empty());
}

TEST(EventTranslation, BackspaceAddsItsCharacter)
{
    auto msgs = Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE));
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].message, WM_KEYDOWN);
    EXPECT_EQ(msgs[0].wParam, VK_BACK);
    EXPECT_EQ(msgs[1].message, WM_CHAR);
    EXPECT_EQ(msgs[1].wParam, 8u);
    // Releasing it types nothing.
    EXPECT_EQ(Translate(Key(SDL_KEYUP, SDL_SCANCODE_BACKSPACE)).size(), 1u);
}

TEST(EventTranslation, TextBecomesOneCharacterEach)
{
    auto msgs = Translate(Text("a(\xC3\xA9"));  // "a(é"
    ASSERT_EQ(msgs.size(), 3u);
    EXPECT_EQ(msgs[0].message, WM_CHAR);
    EXPECT_EQ(msgs[0].wParam, std::uint64_t('a'));
    EXPECT_EQ(msgs[1].wParam, std::uint64_t('('));
    EXPECT_EQ(msgs[2].wParam, 0xE9u);
}

TEST(EventTranslation, MalformedTextIsReplacedNotOverrun)
{
    EXPECT_EQ(DecodeUtf8("\xE2\x82"), std::vector<std::uint32_t>({0xFFFD}));
    EXPECT_EQ(DecodeUtf8("\xFFx"), std::vector<std::uint32_t>({0xFFFD, 'x'}));
    EXPECT_EQ(DecodeUtf8("\xE2\x82\xAC"), std::vector<std::uint32_t>({0x20AC}));
    EXPECT_TRUE(DecodeUtf8("").empty());
    EXPECT_TRUE(DecodeUtf8(nullptr).empty());
}

TEST(EventTranslation, MouseButtonsOneTwoThreeAreLeftMiddleRight)
{
    auto left = Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(MouseX(left[0].lParam), 10);
    EXPECT_EQ(MouseY(left[0].lParam), 20);
    EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONDOWN, 2, 0, 0))[0].message, WM_MBUTTONDOWN);
    EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONDOWN, 3, 0, 0))[0].message, WM_RBUTTONDOWN);
    EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONUP, 1, 0, 0))[0].message, WM_LBUTTONUP);
    EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONUP, 2, 0, 0))[0].message, WM_MBUTTONUP);
    EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONUP, 3, 0, 0))[0].message, WM_RBUTTONUP);
    EXPECT_TRUE(Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 0, 0)).empty());
}

TEST(EventTranslation, MotionCarriesPositionAndHeldButtons)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = WINDOW;
    e.motion.x = 640;
    e.motion.y = 1000;
    e.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;
    auto msgs = Translate(e);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(MouseX(msgs[0].lParam), 640);
    EXPECT_EQ(MouseY(msgs[0].lParam), 1000);
    EXPECT_EQ(msgs[0].wParam, std::uint64_t(MK_LBUTTON | MK_RBUTTON));
}

TEST(EventTranslation, WheelNotchesAreSignedMultiplesOf120)
{
    auto upMsgs = Translate(Wheel(1));
    ASSERT_EQ(upMsgs.size(), 1u);
    EXPECT_EQ(upMsgs[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(WheelDelta(upMsgs[0].wParam), 120);
    EXPECT_EQ(WheelDelta(Translate(Wheel(-2))[0].wParam), -240);
    // A flipped wheel reports the other way round.
    EXPECT_EQ(WheelDelta(Translate(Wheel(1, SDL_MOUSEWHEEL_FLIPPED))[0].wParam), -120);
    // A huge burst stays within the 16-bit word.
    EXPECT_EQ(WheelDelta(Translate(Wheel(1000))[0].wParam), 32767);
    EXPECT_EQ(WheelDelta(Translate(Wheel(-1000))[0].wParam), -32768);
    EXPECT_TRUE(Translate(Wheel(0)).empty());
}

TEST(EventTranslation, FocusAndCloseMessages)
{
    auto lost = Translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].message, WM_KILLFOCUS);
    auto gained = Translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    ASSERT_EQ(gained.size(), 1u);
    EXPECT_EQ(gained[0].message, WM_ACTIVATE);
    EXPECT_EQ(LowWord(gained[0].wParam), WA_ACTIVE);
    auto close = Translate(WindowEvent(SDL_WINDOWEVENT_CLOSE));
    ASSERT_EQ(close.size(), 1u);
    EXPECT_EQ(close[0].message, WM_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    auto q = Translate(quit);
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].message, WM_CLOSE);
    EXPECT_EQ(q[0].wParam, CLOSE_BY_QUIT_EVENT);
    EXPECT_TRUE(Translate(WindowEvent(SDL_WINDOWEVENT_MOVED)).empty());
}

TEST(EventTranslation, EventsOfAnotherWindowAreDropped)
{
    EXPECT_TRUE(Translate(WindowEvent(SDL_WINDOWEVENT_CLOSE, OLD_WINDOW)).empty());
    EXPECT_TRUE(Translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST, OLD_WINDOW)).empty());
    EXPECT_TRUE(Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_NONE, OLD_WINDOW)).empty());
    // A quit names no window and always counts.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(Translate(quit, WINDOW).size(), 1u);
}

// SIGTERM reaches the game as a quit event, hence as WM_CLOSE.
TEST(MessagePump, TerminationSignalBecomesClose)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    std::vector<WindowMessage> out;
    while (PollWindowMessages(WINDOW, out)) {
    }
    std::raise(SIGTERM);
    bool closed = false;
    while (PollWindowMessages(WINDOW, out))
        for (const WindowMessage& m : out) closed = closed || m.message == WM_CLOSE;
    EXPECT_TRUE(closed);
    struct sigaction hangUp {};  // SIGHUP too (the terminal closed), unless the tests run under nohup
    closed = sigaction(SIGHUP, nullptr, &hangUp) != 0 || hangUp.sa_handler == SIG_IGN || std::raise(SIGHUP) != 0;
    while (PollWindowMessages(WINDOW, out))
        for (const WindowMessage& m : out) closed = closed || m.message == WM_CLOSE;
    EXPECT_TRUE(closed);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST(MessagePump, EmptyWithoutEvents)
{
    std::vector<WindowMessage> out(3);
    EXPECT_FALSE(PollWindowMessages(WINDOW, out));
    EXPECT_TRUE(out.empty());
}

} // namespace
