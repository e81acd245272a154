// Keyboard, mouse and pad events through the real window's message pump, as
// SDL queues them, down to the key states and keystroke queues.
#include <gtest/gtest.h>

#include <SDL.h>

#include "engine/core/Controller.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/platform/Mouse.h"
#include "engine/platform/Pads.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"
#include "support/VirtualPad.h"

using namespace QRX;

namespace {

class InputWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        s->inputManager = new InputManager();
        s->window = new Window();
        ASSERT_TRUE(s->window->Initialize()) << "is DISPLAY set to an Xvfb server?";
        s->window->PumpMessages();  // whatever the window's creation queued
    }
    void TearDown() override
    {
        System* s = System::GetInstance();
        if (s->window) s->window->KillWindow(true);
        TestSupport::ReleaseSystem();
        Platform::ShutdownPads();
    }

    Window& W() { return *System::GetInstance()->window; }
    InputManager& Input() { return *System::GetInstance()->inputManager; }

    void Key(SDL_Scancode scancode, bool down, Uint16 mod = KMOD_NONE)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = W().GetWindowId();
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        e.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void Button(Uint8 button, bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = W().GetWindowId();
        e.button.button = button;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = 10;
        e.button.y = 20;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // The message pump of one frame.
    void Frame()
    {
        W().PumpMessages();
    }

    TestSupport::ScopedTempHome m_home;
};

TEST_F(InputWindowTest, DigitRowAndKeypadReachTheirKeys)
{
    // The digit row: SDL numbers 1..9 then 0.
    Key(SDL_SCANCODE_1, true);
    Key(SDL_SCANCODE_0, true);
    Key(SDL_SCANCODE_9, true);
    // The keypad with Num Lock on, likewise 1..9 then 0.
    Key(SDL_SCANCODE_KP_1, true, KMOD_NUM);
    Key(SDL_SCANCODE_KP_0, true, KMOD_NUM);
    Key(SDL_SCANCODE_KP_PERIOD, true, KMOD_NUM);
    Key(SDL_SCANCODE_KP_DIVIDE, true, KMOD_NUM);
    Frame();
    EXPECT_EQ(InputManager::current[KEY_0 + 1], 1);
    EXPECT_EQ(InputManager::current[KEY_0], 1);
    EXPECT_EQ(InputManager::current[KEY_0 + 9], 1);
    EXPECT_EQ(InputManager::current[KEY_NUMPAD0 + 1], 1);
    EXPECT_EQ(InputManager::current[KEY_NUMPAD0], 1);
    EXPECT_EQ(InputManager::current[KEY_DECIMAL], 1);
    EXPECT_EQ(InputManager::current[KEY_DIVIDE], 1);
    int down = 0;
    for (int i = 0; i < InputManager::KEY_COUNT; ++i) down += InputManager::current[i];
    EXPECT_EQ(down, 7);
}

TEST_F(InputWindowTest, MouseButtonsOneTwoThreeAreLeftMiddleRight)
{
    Button(SDL_BUTTON_LEFT, true);
    Frame();
    EXPECT_EQ(InputManager::current[KEY_LBUTTON], 1);
    Button(SDL_BUTTON_MIDDLE, true);
    Frame();
    EXPECT_EQ(InputManager::current[KEY_MBUTTON], 1);
    EXPECT_EQ(InputManager::current[KEY_RBUTTON], 0);
    Input().Update();
    Button(SDL_BUTTON_RIGHT, true);
    Button(SDL_BUTTON_LEFT, false);
    Frame();
    EXPECT_EQ(InputManager::current[KEY_RBUTTON], 1);
    EXPECT_EQ(InputManager::current[KEY_LBUTTON], 0);
}

TEST_F(InputWindowTest, APressReleasedInsideOnePumpCountsForThatFrame)
{
    Key(SDL_SCANCODE_W, true);
    Key(SDL_SCANCODE_W, false);
    Button(SDL_BUTTON_LEFT, true);
    Button(SDL_BUTTON_LEFT, false);
    Frame();
    EXPECT_TRUE(InputManager::IsTriggered(KEY_A + ('W' - 'A')));
    EXPECT_TRUE(InputManager::IsTriggered(KEY_LBUTTON));
    Input().Update();
    Frame();
    EXPECT_FALSE(InputManager::IsHeld(KEY_A + ('W' - 'A')));
    EXPECT_FALSE(InputManager::IsHeld(KEY_LBUTTON));
    Input().Update();

    Key(SDL_SCANCODE_W, true);
    Frame();
    EXPECT_TRUE(InputManager::IsTriggered(KEY_A + ('W' - 'A')));
    Input().Update();
    Frame();
    EXPECT_FALSE(InputManager::IsTriggered(KEY_A + ('W' - 'A')));
    EXPECT_TRUE(InputManager::IsHeld(KEY_A + ('W' - 'A')));
}

TEST_F(InputWindowTest, WheelTextAndMotion)
{
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = W().GetWindowId();
    wheel.wheel.y = -2;
    ASSERT_EQ(SDL_PushEvent(&wheel), 1);
    Frame();
    EXPECT_EQ(Input().GetWheel(), -240);
    Input().Update();
    EXPECT_EQ(Input().GetWheel(), 0);

    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = W().GetWindowId();
    SDL_strlcpy(text.text.text, "q", sizeof(text.text.text));
    ASSERT_EQ(SDL_PushEvent(&text), 1);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = W().GetWindowId();
    motion.motion.x = 123;
    motion.motion.y = 45;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);
    Frame();
    EXPECT_TRUE(Input().IsCharacterReady());
    EXPECT_EQ(Input().GetTypedCharacter(), 'q');
    EXPECT_EQ(Input().GetMouseX(), 123);
    EXPECT_EQ(Input().GetMouseY(), 45);
}

TEST_F(InputWindowTest, TheGameWindowIsTheCursorsReference)
{
    int w = 0, h = 0;
    ASSERT_TRUE(Platform::GetCursorWindowSize(w, h));
    EXPECT_EQ(w, W().GetWidth());
    EXPECT_EQ(h, W().GetHeight());
    Platform::WarpCursor(w / 2, h / 2);
    Frame();
    float x = 0, y = 0;
    Input().GetCursorPosition(x, y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.5f);
}

TEST_F(InputWindowTest, PadKeystrokesAreQueuedByTheWindowsPump)
{
    Controller pad(0);
    TestSupport::VirtualPad vpad;
    ASSERT_TRUE(vpad.Ok());
    vpad.Button(SDL_CONTROLLER_BUTTON_A, true);
    Frame();
    pad.TakeKeystroke();
    EXPECT_EQ(pad.m_keystroke.VirtualKey, Platform::VK_PAD_A);
    EXPECT_EQ(pad.m_keystroke.Flags, Platform::XINPUT_KEYSTROKE_KEYDOWN);
}

} // namespace
