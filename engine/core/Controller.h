// One game pad of a player (user index 0 or 1), owned by the System.
//
// The record keeps the pad's state as last read, the keystroke taken this
// frame and whether the left shoulder is held. The frame loop calls
// TakeKeystroke and ApplyThumbDeadZone once per frame after the input
// manager's Update; the action queries refresh the state when they need it.
#pragma once
#include <cstdint>

#include "engine/platform/Pads.h"

namespace QRX {

class Controller
{
public:
    // Stick magnitudes inside which both axes of a stick read 0.
    static constexpr int LEFT_THUMB_DEADZONE = Platform::XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE;
    static constexpr int RIGHT_THUMB_DEADZONE = Platform::XINPUT_GAMEPAD_RIGHT_THUMB_DEADZONE;

    // A pad of user index 0 or 1, shoulder flag cleared. Logs a WARNING when
    // the platform has no pad support (the pad then reads as disconnected).
    explicit Controller(std::uint32_t userIndex);

    // Zeroes the state and reads it afresh. True when the pad is connected.
    bool Refresh();

    // Takes one queued keystroke into m_keystroke (cleared when none waits, so
    // a press answers for one frame only) and follows the left shoulder: set
    // on its key-down, cleared on its key-up or when the pad is unplugged.
    void TakeKeystroke();

    // Zeroes both axes of a stick whose axes both lie strictly inside its dead
    // zone (left 7849, right 8689); a stick outside keeps both axes.
    void ApplyThumbDeadZone();

    Platform::XINPUT_STATE m_state;
    Platform::XINPUT_KEYSTROKE m_keystroke;
    std::uint32_t m_userIndex;
    bool m_leftShoulderHeld = false;
};

} // namespace QRX
