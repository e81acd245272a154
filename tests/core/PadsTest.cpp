// The pad layer and the Controller record, driven by SDL's virtual joysticks.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/core/Controller.h"
#include "engine/platform/Clock.h"
#include "engine/platform/Pads.h"
#include "support/VirtualPad.h"

using namespace QRX;
using namespace QRX::Platform;
using QRX::TestSupport::VirtualPad;

namespace {

class PadsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A clock in milliseconds that moves only when the test says so.
        SetPerformanceCounterSource([this] { return m_now; }, [] { return std::uint64_t(1000); });
        ASSERT_TRUE(StartPads()) << PadsError();
    }
    void TearDown() override
    {
        ShutdownPads();
        SetPerformanceCounterSource(nullptr, nullptr);
    }

    // Every keystroke waiting on a pad, oldest first.
    static std::vector<XINPUT_KEYSTROKE> Drain(std::uint32_t user)
    {
        std::vector<XINPUT_KEYSTROKE> out;
        XINPUT_KEYSTROKE k;
        while (XInputGetKeystroke(user, XINPUT_FLAG_GAMEPAD, &k) == ERROR_SUCCESS) out.push_back(k);
        return out;
    }

    std::uint64_t m_now = 1000;
};

TEST_F(PadsTest, NothingPluggedIn)
{
    XINPUT_STATE s;
    s.Gamepad.sThumbLX = 5;
    EXPECT_EQ(XInputGetState(0, &s), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(s.Gamepad.sThumbLX, 0);  // zeroed
    XINPUT_KEYSTROKE k;
    EXPECT_EQ(XInputGetKeystroke(1, XINPUT_FLAG_GAMEPAD, &k), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(XInputGetState(2, &s), ERROR_BAD_ARGUMENTS);
    EXPECT_EQ(XInputGetState(0, nullptr), ERROR_BAD_ARGUMENTS);
}

TEST_F(PadsTest, SlotsStayWithTheirPads)
{
    auto first = std::make_unique<VirtualPad>();
    auto second = std::make_unique<VirtualPad>();
    ASSERT_TRUE(first->Ok() && second->Ok());
    VirtualPad::Pump();
    XINPUT_STATE s;
    ASSERT_EQ(XInputGetState(0, &s), ERROR_SUCCESS);
    ASSERT_EQ(XInputGetState(1, &s), ERROR_SUCCESS);

    // Tell the pads apart by a held button.
    second->Button(SDL_CONTROLLER_BUTTON_B, true);
    VirtualPad::Pump();
    XInputGetState(1, &s);
    EXPECT_EQ(s.Gamepad.wButtons, XINPUT_GAMEPAD_B);

    // Unplugging the first frees slot 0 only; the second stays at 1.
    first.reset();
    VirtualPad::Pump();
    EXPECT_EQ(XInputGetState(0, &s), ERROR_DEVICE_NOT_CONNECTED);
    ASSERT_EQ(XInputGetState(1, &s), ERROR_SUCCESS);
    EXPECT_EQ(s.Gamepad.wButtons, XINPUT_GAMEPAD_B);

    // A new pad takes the free slot 0.
    VirtualPad third;
    third.Button(SDL_CONTROLLER_BUTTON_X, true);
    VirtualPad::Pump();
    ASSERT_EQ(XInputGetState(0, &s), ERROR_SUCCESS);
    EXPECT_EQ(s.Gamepad.wButtons, XINPUT_GAMEPAD_X);
}

TEST_F(PadsTest, ThirdPadWaitsForAFreeSlot)
{
    auto a = std::make_unique<VirtualPad>();
    VirtualPad b, c;
    c.Button(SDL_CONTROLLER_BUTTON_Y, true);
    VirtualPad::Pump();
    XINPUT_STATE s;
    ASSERT_EQ(XInputGetState(0, &s), ERROR_SUCCESS);
    EXPECT_EQ(s.Gamepad.wButtons, 0);
    a.reset();
    VirtualPad::Pump();
    ASSERT_EQ(XInputGetState(0, &s), ERROR_SUCCESS);
    EXPECT_EQ(s.Gamepad.wButtons, XINPUT_GAMEPAD_Y);
}

TEST_F(PadsTest, StatesReadTheXInputWay)
{
    VirtualPad pad;
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);  // SDL: fully up
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, 32767);  // SDL: fully down
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, 1234);
    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    pad.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    VirtualPad::Pump();
    XINPUT_STATE s;
    ASSERT_EQ(XInputGetState(0, &s), ERROR_SUCCESS);
    EXPECT_EQ(s.Gamepad.sThumbLY, 32767);  // negated and clamped
    EXPECT_EQ(s.Gamepad.sThumbRY, -32767);
    EXPECT_EQ(s.Gamepad.sThumbLX, -32768);
    EXPECT_EQ(s.Gamepad.sThumbRX, 1234);
    EXPECT_EQ(s.Gamepad.bLeftTrigger, 255);
    EXPECT_EQ(s.Gamepad.bRightTrigger, 0);
    EXPECT_EQ(s.Gamepad.wButtons,
              XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_LEFT_SHOULDER | XINPUT_GAMEPAD_DPAD_LEFT);

    const std::uint32_t packet = s.dwPacketNumber;
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    VirtualPad::Pump();
    XInputGetState(0, &s);
    EXPECT_NE(s.dwPacketNumber, packet);
}

TEST_F(PadsTest, ButtonEdgesBecomeKeystrokesInOrder)
{
    VirtualPad pad;
    VirtualPad::Pump();
    EXPECT_TRUE(Drain(0).empty());
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    VirtualPad::Pump();
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    VirtualPad::Pump();

    XINPUT_KEYSTROKE untouched;
    untouched.VirtualKey = 0x1234;
    std::vector<XINPUT_KEYSTROKE> keys = Drain(0);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].VirtualKey, VK_PAD_A);
    EXPECT_EQ(keys[0].Flags, XINPUT_KEYSTROKE_KEYDOWN);
    EXPECT_EQ(keys[1].VirtualKey, VK_PAD_A);
    EXPECT_EQ(keys[1].Flags, XINPUT_KEYSTROKE_KEYUP);
    EXPECT_EQ(keys[2].VirtualKey, VK_PAD_START);
    EXPECT_EQ(keys[2].UserIndex, 0);
    EXPECT_EQ(XInputGetKeystroke(0, XINPUT_FLAG_GAMEPAD, &untouched), ERROR_EMPTY);
    EXPECT_EQ(untouched.VirtualKey, 0x1234);
}

TEST_F(PadsTest, HeldButtonsRepeatAfterTheDelay)
{
    VirtualPad pad;
    pad.Button(SDL_CONTROLLER_BUTTON_B, true);
    VirtualPad::Pump();
    ASSERT_EQ(Drain(0).size(), 1u);
    m_now += PAD_REPEAT_DELAY_MS - 1;
    EXPECT_TRUE(Drain(0).empty());
    m_now += 1;
    std::vector<XINPUT_KEYSTROKE> keys = Drain(0);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].VirtualKey, VK_PAD_B);
    EXPECT_EQ(keys[0].Flags, XINPUT_KEYSTROKE_KEYDOWN | XINPUT_KEYSTROKE_REPEAT);
    m_now += PAD_REPEAT_INTERVAL_MS / 2;
    EXPECT_TRUE(Drain(0).empty());
    m_now += PAD_REPEAT_INTERVAL_MS;
    EXPECT_EQ(Drain(0).size(), 1u);

    pad.Button(SDL_CONTROLLER_BUTTON_B, false);
    VirtualPad::Pump();
    keys = Drain(0);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].Flags, XINPUT_KEYSTROKE_KEYUP);
    m_now += 10 * PAD_REPEAT_DELAY_MS;
    EXPECT_TRUE(Drain(0).empty());
}

TEST_F(PadsTest, StickDirectionsAndTriggersGiveKeystrokes)
{
    VirtualPad pad;
    VirtualPad::Pump();
    // Inside the left dead zone: nothing.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 7000);
    VirtualPad::Pump();
    EXPECT_TRUE(Drain(0).empty());
    // Up (SDL y negative), then swung round to the right.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -30000);
    VirtualPad::Pump();
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 30000);
    VirtualPad::Pump();
    // Right stick down-left; left trigger past its threshold.
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, -20000);
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, 20000);
    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    VirtualPad::Pump();

    std::vector<std::pair<int, int>> got;
    for (const XINPUT_KEYSTROKE& k : Drain(0)) got.push_back({k.VirtualKey, k.Flags});
    const int down = XINPUT_KEYSTROKE_KEYDOWN, up = XINPUT_KEYSTROKE_KEYUP;
    // The order of one pump follows SDL's axis order; check membership and sequence per stick.
    auto index = [&](int vk, int flags) {
        for (size_t i = 0; i < got.size(); ++i)
            if (got[i].first == vk && got[i].second == flags) return int(i);
        return -1;
    };
    ASSERT_GE(index(VK_PAD_LTHUMB_UP, down), 0);
    ASSERT_GE(index(VK_PAD_LTHUMB_UP, up), 0);
    ASSERT_GE(index(VK_PAD_LTHUMB_RIGHT, down), 0);
    EXPECT_LT(index(VK_PAD_LTHUMB_UP, down), index(VK_PAD_LTHUMB_UP, up));
    EXPECT_LT(index(VK_PAD_LTHUMB_UP, up), index(VK_PAD_LTHUMB_RIGHT, down));
    EXPECT_GE(index(VK_PAD_RTHUMB_DOWNLEFT, down), 0);
    EXPECT_GE(index(VK_PAD_LTRIGGER, down), 0);

    // Releasing the trigger and centring the sticks lets every key up.
    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, 0);
    VirtualPad::Pump();
    got.clear();
    for (const XINPUT_KEYSTROKE& k : Drain(0)) got.push_back({k.VirtualKey, k.Flags});
    EXPECT_GE(index(VK_PAD_LTRIGGER, up), 0);
    EXPECT_GE(index(VK_PAD_LTHUMB_RIGHT, up), 0);
    EXPECT_GE(index(VK_PAD_RTHUMB_DOWNLEFT, up), 0);
    // The axes centre one after the other, so the right stick may pass
    // through another direction on the way; nothing stays down.
    m_now += 2 * PAD_REPEAT_DELAY_MS;
    EXPECT_TRUE(Drain(0).empty());
}

TEST_F(PadsTest, ABurstOfPressesIsBounded)
{
    VirtualPad pad;
    for (unsigned i = 0; i < PAD_KEYSTROKE_QUEUE_SIZE; ++i) {
        pad.Button(SDL_CONTROLLER_BUTTON_X, true);
        VirtualPad::Pump();
        pad.Button(SDL_CONTROLLER_BUTTON_X, false);
        VirtualPad::Pump();
    }
    EXPECT_EQ(Drain(0).size(), PAD_KEYSTROKE_QUEUE_SIZE);
}

// ------------------------------------------------------------------ Controller

TEST(ControllerDeadZone, BothAxesInsideTheSquareAreZeroed)
{
    Controller pad(0);
    pad.m_state.Gamepad.sThumbLX = 7848;
    pad.m_state.Gamepad.sThumbLY = -7848;
    pad.m_state.Gamepad.sThumbRX = 8688;
    pad.m_state.Gamepad.sThumbRY = 9000;
    pad.ApplyThumbDeadZone();
    EXPECT_EQ(pad.m_state.Gamepad.sThumbLX, 0);
    EXPECT_EQ(pad.m_state.Gamepad.sThumbLY, 0);
    EXPECT_EQ(pad.m_state.Gamepad.sThumbRX, 8688);  // one axis outside keeps both
    EXPECT_EQ(pad.m_state.Gamepad.sThumbRY, 9000);

    pad.m_state.Gamepad.sThumbLX = 7849;
    pad.m_state.Gamepad.sThumbLY = 0;
    pad.m_state.Gamepad.sThumbRX = -8688;
    pad.m_state.Gamepad.sThumbRY = -32768;
    pad.ApplyThumbDeadZone();
    EXPECT_EQ(pad.m_state.Gamepad.sThumbLX, 7849);
    EXPECT_EQ(pad.m_state.Gamepad.sThumbRY, -32768);

    pad.m_state.Gamepad.sThumbRX = -8688;
    pad.m_state.Gamepad.sThumbRY = 8688;
    pad.ApplyThumbDeadZone();
    EXPECT_EQ(pad.m_state.Gamepad.sThumbRX, 0);
    EXPECT_EQ(pad.m_state.Gamepad.sThumbRY, 0);
    ShutdownPads();
}

TEST_F(PadsTest, ControllerTakesOneKeystrokePerFrameAndForgetsIt)
{
    VirtualPad vpad;
    Controller pad(0);
    vpad.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    VirtualPad::Pump();
    vpad.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
    VirtualPad::Pump();
    vpad.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    VirtualPad::Pump();

    pad.TakeKeystroke();  // frame 1: down
    EXPECT_EQ(pad.m_keystroke.VirtualKey, VK_PAD_LSHOULDER);
    EXPECT_EQ(pad.m_keystroke.Flags, XINPUT_KEYSTROKE_KEYDOWN);
    EXPECT_TRUE(pad.m_leftShoulderHeld);
    pad.TakeKeystroke();  // frame 2: up
    EXPECT_EQ(pad.m_keystroke.Flags, XINPUT_KEYSTROKE_KEYUP);
    EXPECT_FALSE(pad.m_leftShoulderHeld);
    pad.TakeKeystroke();  // frame 3: the second down
    EXPECT_EQ(pad.m_keystroke.Flags, XINPUT_KEYSTROKE_KEYDOWN);
    EXPECT_TRUE(pad.m_leftShoulderHeld);
    pad.TakeKeystroke();  // frame 4: nothing new, so no stale press
    EXPECT_EQ(pad.m_keystroke.VirtualKey, 0);
    EXPECT_EQ(pad.m_keystroke.Flags, 0);
    EXPECT_TRUE(pad.m_leftShoulderHeld);

    // A repeat keeps the shoulder held; it is neither down nor up exactly.
    m_now += PAD_REPEAT_DELAY_MS;
    pad.TakeKeystroke();
    EXPECT_EQ(pad.m_keystroke.Flags, XINPUT_KEYSTROKE_KEYDOWN | XINPUT_KEYSTROKE_REPEAT);
    EXPECT_TRUE(pad.m_leftShoulderHeld);

    // Unplugged while held: no key-up ever comes, the flag still clears.
    vpad.Unplug();
    VirtualPad::Pump();
    pad.TakeKeystroke();
    EXPECT_FALSE(pad.m_leftShoulderHeld);
    EXPECT_FALSE(pad.Refresh());
}

} // namespace
