#include "engine/core/Controller.h"

#include "engine/core/Logger.h"

namespace QRX {

using namespace Platform;

Controller::Controller(std::uint32_t userIndex) : m_userIndex(userIndex)
{
    if (!StartPads()) QRX_LOG_WARNING("Game pad %u unavailable: %s", userIndex, PadsError());
}

bool Controller::Refresh()
{
    m_state = XINPUT_STATE();
    return XInputGetState(m_userIndex, &m_state) == ERROR_SUCCESS;
}

void Controller::TakeKeystroke()
{
    const std::uint32_t result = XInputGetKeystroke(m_userIndex, XINPUT_FLAG_GAMEPAD, &m_keystroke);
    if (result != ERROR_SUCCESS) {
        m_keystroke = XINPUT_KEYSTROKE();
        // An unplugged pad sends no key-up: its shoulder is no longer held.
        if (result == ERROR_DEVICE_NOT_CONNECTED) m_leftShoulderHeld = false;
        return;
    }
    if (m_keystroke.VirtualKey == VK_PAD_LSHOULDER) {
        if (m_keystroke.Flags == XINPUT_KEYSTROKE_KEYDOWN) m_leftShoulderHeld = true;
        else if (m_keystroke.Flags == XINPUT_KEYSTROKE_KEYUP) m_leftShoulderHeld = false;
    }
}

void Controller::ApplyThumbDeadZone()
{
    XINPUT_GAMEPAD& pad = m_state.Gamepad;
    auto inside = [](std::int16_t v, int zone) { return v > -zone && v < zone; };
    if (inside(pad.sThumbLX, LEFT_THUMB_DEADZONE) && inside(pad.sThumbLY, LEFT_THUMB_DEADZONE))
        pad.sThumbLX = pad.sThumbLY = 0;
    if (inside(pad.sThumbRX, RIGHT_THUMB_DEADZONE) && inside(pad.sThumbRY, RIGHT_THUMB_DEADZONE))
        pad.sThumbRX = pad.sThumbRY = 0;
}

} // namespace QRX
