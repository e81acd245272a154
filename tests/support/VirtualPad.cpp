#include "support/VirtualPad.h"

#include "engine/platform/Pads.h"

namespace QRX {
namespace TestSupport {

VirtualPad::VirtualPad()
{
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
    if (index < 0) return;
    m_joystick = SDL_JoystickOpen(index);
    if (!m_joystick) return;
    m_instance = SDL_JoystickInstanceID(m_joystick);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    // The game notices a new pad on its next frame's query; its values
    // arrive with the pump after that.
    Pump();
    Platform::XINPUT_STATE state;
    for (std::uint32_t user = 0; user < Platform::PAD_COUNT; ++user) Platform::XInputGetState(user, &state);
    Pump();
}

VirtualPad::~VirtualPad()
{
    Unplug();
}

void VirtualPad::Button(SDL_GameControllerButton button, bool down)
{
    if (m_joystick) SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
}

void VirtualPad::Axis(SDL_GameControllerAxis axis, int value)
{
    if (m_joystick) SDL_JoystickSetVirtualAxis(m_joystick, axis, static_cast<Sint16>(value));
}

void VirtualPad::Unplug()
{
    if (!m_joystick) return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == m_instance) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
    SDL_JoystickClose(m_joystick);
    m_joystick = nullptr;
}

void VirtualPad::Pump()
{
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

} // namespace TestSupport
} // namespace QRX
