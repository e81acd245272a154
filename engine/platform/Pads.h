// Game pads in the XInput form, served by SDL game controllers.
//
// Two pads, user indices 0 and 1. A controller that is plugged in takes the
// first free slot; unplugging one frees only its own slot, so the other pad
// keeps its index. States read as XInput gives them: sticks -32768..32767 with
// y positive upwards, triggers 0..255.
//
// Keystrokes (press, release and repeat of the buttons, of the two triggers
// and of the eight directions of each stick) are queued as SDL reports the
// changes, which happens while the window's message pump runs. A keystroke
// held longer than PAD_REPEAT_DELAY_MS repeats every PAD_REPEAT_INTERVAL_MS
// with the flags KEYDOWN | REPEAT. Each pad's queue holds at most
// PAD_KEYSTROKE_QUEUE_SIZE keystrokes; further ones are dropped until it drains.
//
// The layer starts itself on first use (or through StartPads) and accepts pad
// events while the window is in the background. Single thread only.
#pragma once
#include <cstdint>

namespace QRX {
namespace Platform {

struct XINPUT_GAMEPAD
{
    std::uint16_t wButtons = 0;
    std::uint8_t bLeftTrigger = 0;
    std::uint8_t bRightTrigger = 0;
    std::int16_t sThumbLX = 0;
    std::int16_t sThumbLY = 0;
    std::int16_t sThumbRX = 0;
    std::int16_t sThumbRY = 0;
};

struct XINPUT_STATE
{
    std::uint32_t dwPacketNumber = 0;  // changes whenever the pad's state may have changed
    XINPUT_GAMEPAD Gamepad;
};

struct XINPUT_KEYSTROKE
{
    std::uint16_t VirtualKey = 0;  // a VK_PAD_ code
    std::uint16_t Unicode = 0;     // always 0 for pads
    std::uint16_t Flags = 0;       // XINPUT_KEYSTROKE_ bits
    std::uint8_t UserIndex = 0;
    std::uint8_t HidCode = 0;
};

// wButtons bits.
constexpr std::uint16_t XINPUT_GAMEPAD_DPAD_UP = 0x0001;
constexpr std::uint16_t XINPUT_GAMEPAD_DPAD_DOWN = 0x0002;
constexpr std::uint16_t XINPUT_GAMEPAD_DPAD_LEFT = 0x0004;
constexpr std::uint16_t XINPUT_GAMEPAD_DPAD_RIGHT = 0x0008;
constexpr std::uint16_t XINPUT_GAMEPAD_START = 0x0010;
constexpr std::uint16_t XINPUT_GAMEPAD_BACK = 0x0020;
constexpr std::uint16_t XINPUT_GAMEPAD_LEFT_THUMB = 0x0040;
constexpr std::uint16_t XINPUT_GAMEPAD_RIGHT_THUMB = 0x0080;
constexpr std::uint16_t XINPUT_GAMEPAD_LEFT_SHOULDER = 0x0100;
constexpr std::uint16_t XINPUT_GAMEPAD_RIGHT_SHOULDER = 0x0200;
constexpr std::uint16_t XINPUT_GAMEPAD_A = 0x1000;
constexpr std::uint16_t XINPUT_GAMEPAD_B = 0x2000;
constexpr std::uint16_t XINPUT_GAMEPAD_X = 0x4000;
constexpr std::uint16_t XINPUT_GAMEPAD_Y = 0x8000;

// Stick dead zones and the trigger threshold, on the XInput scales.
constexpr int XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE = 7849;
constexpr int XINPUT_GAMEPAD_RIGHT_THUMB_DEADZONE = 8689;
constexpr int XINPUT_GAMEPAD_TRIGGER_THRESHOLD = 30;

// Keystroke codes.
constexpr std::uint16_t VK_PAD_A = 0x5800;
constexpr std::uint16_t VK_PAD_B = 0x5801;
constexpr std::uint16_t VK_PAD_X = 0x5802;
constexpr std::uint16_t VK_PAD_Y = 0x5803;
constexpr std::uint16_t VK_PAD_RSHOULDER = 0x5804;
constexpr std::uint16_t VK_PAD_LSHOULDER = 0x5805;
constexpr std::uint16_t VK_PAD_LTRIGGER = 0x5806;
constexpr std::uint16_t VK_PAD_RTRIGGER = 0x5807;
constexpr std::uint16_t VK_PAD_DPAD_UP = 0x5810;
constexpr std::uint16_t VK_PAD_DPAD_DOWN = 0x5811;
constexpr std::uint16_t VK_PAD_DPAD_LEFT = 0x5812;
constexpr std::uint16_t VK_PAD_DPAD_RIGHT = 0x5813;
constexpr std::uint16_t VK_PAD_START = 0x5814;
constexpr std::uint16_t VK_PAD_BACK = 0x5815;
constexpr std::uint16_t VK_PAD_LTHUMB_PRESS = 0x5816;
constexpr std::uint16_t VK_PAD_RTHUMB_PRESS = 0x5817;
constexpr std::uint16_t VK_PAD_LTHUMB_UP = 0x5820;
constexpr std::uint16_t VK_PAD_LTHUMB_DOWN = 0x5821;
constexpr std::uint16_t VK_PAD_LTHUMB_RIGHT = 0x5822;
constexpr std::uint16_t VK_PAD_LTHUMB_LEFT = 0x5823;
constexpr std::uint16_t VK_PAD_LTHUMB_UPLEFT = 0x5824;
constexpr std::uint16_t VK_PAD_LTHUMB_UPRIGHT = 0x5825;
constexpr std::uint16_t VK_PAD_LTHUMB_DOWNRIGHT = 0x5826;
constexpr std::uint16_t VK_PAD_LTHUMB_DOWNLEFT = 0x5827;
constexpr std::uint16_t VK_PAD_RTHUMB_UP = 0x5830;
constexpr std::uint16_t VK_PAD_RTHUMB_DOWN = 0x5831;
constexpr std::uint16_t VK_PAD_RTHUMB_RIGHT = 0x5832;
constexpr std::uint16_t VK_PAD_RTHUMB_LEFT = 0x5833;
constexpr std::uint16_t VK_PAD_RTHUMB_UPLEFT = 0x5834;
constexpr std::uint16_t VK_PAD_RTHUMB_UPRIGHT = 0x5835;
constexpr std::uint16_t VK_PAD_RTHUMB_DOWNRIGHT = 0x5836;
constexpr std::uint16_t VK_PAD_RTHUMB_DOWNLEFT = 0x5837;

// Keystroke flags.
constexpr std::uint16_t XINPUT_KEYSTROKE_KEYDOWN = 0x0001;
constexpr std::uint16_t XINPUT_KEYSTROKE_KEYUP = 0x0002;
constexpr std::uint16_t XINPUT_KEYSTROKE_REPEAT = 0x0004;

// The reserved argument of XInputGetKeystroke.
constexpr std::uint32_t XINPUT_FLAG_GAMEPAD = 0x00000001;

// Results.
constexpr std::uint32_t ERROR_SUCCESS = 0;
constexpr std::uint32_t ERROR_BAD_ARGUMENTS = 160;
constexpr std::uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr std::uint32_t ERROR_EMPTY = 4313;

constexpr std::uint32_t PAD_COUNT = 2;
constexpr unsigned PAD_REPEAT_DELAY_MS = 400;
constexpr unsigned PAD_REPEAT_INTERVAL_MS = 100;
constexpr unsigned PAD_KEYSTROKE_QUEUE_SIZE = 64;

// The state of pad userIndex into *state (zeroed first). ERROR_SUCCESS when
// the pad is connected, ERROR_DEVICE_NOT_CONNECTED when not (or when pads are
// unavailable), ERROR_BAD_ARGUMENTS for an index >= PAD_COUNT or a null record.
std::uint32_t XInputGetState(std::uint32_t userIndex, XINPUT_STATE* state);

// Takes the oldest queued keystroke of pad userIndex into *keystroke.
// ERROR_SUCCESS when one was taken; ERROR_EMPTY when none is waiting (the
// record is left untouched); ERROR_DEVICE_NOT_CONNECTED; ERROR_BAD_ARGUMENTS.
std::uint32_t XInputGetKeystroke(std::uint32_t userIndex, std::uint32_t reserved, XINPUT_KEYSTROKE* keystroke);

// Starts the layer (game-controller support, background events). True when
// pads can be used; false with PadsError() telling why. Repeated calls are free.
bool StartPads();
// Why the pads are unavailable; empty while they work.
const char* PadsError();
// Closes every pad and stops the layer; the next call starts it again.
void ShutdownPads();

} // namespace Platform
} // namespace QRX
