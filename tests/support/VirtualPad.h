// A game pad made of SDL's virtual joysticks, for pad tests without hardware.
//
// Start the pad layer (Platform::StartPads) before making one. Changes become
// visible to the game at the next Pump, as a real pad's would at the next
// message pump. Destroying the pad unplugs it.
#pragma once
#include <SDL.h>

namespace QRX {
namespace TestSupport {

class VirtualPad
{
public:
    // Plugs in a virtual game controller with both triggers released and lets
    // the pad layer take it into a slot.
    VirtualPad();
    ~VirtualPad();
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool Ok() const { return m_joystick != nullptr; }
    void Button(SDL_GameControllerButton button, bool down);
    // An axis in SDL's terms: sticks -32768..32767 with y down, triggers
    // -32768 (released) .. 32767 on the raw virtual axis.
    void Axis(SDL_GameControllerAxis axis, int value);
    void Unplug();

    // Runs SDL's event pump and empties its queue, as the window's pump would.
    static void Pump();

private:
    SDL_Joystick* m_joystick = nullptr;
    SDL_JoystickID m_instance = -1;
};

} // namespace TestSupport
} // namespace QRX
