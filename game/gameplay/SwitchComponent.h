// The floor switch (CT_SWITCH): pressed by the robot or by a crate lying on
// it; doors with the switch's Id open while it is pressed.
//
// Rules:
// - A contact with a PLAYER or a CRATE presses it for the next update.
//   Components update before the physics step, so an update sees the
//   contacts of the previous step.
// - Each update shows the state those contacts give and keeps it until the
//   next update (IsShownPressed): pressed, "switch_green", the plate lit
//   green to its edges round a bright green button (the edges show round a
//   crate lying on it); free, "switch_red", a dark red button on a dark
//   plate. Doors read the shown state, so a door updated before or after
//   its switch sees the same thing.
// - The activation sound plays on the update the switch turns green, the
//   deactivation sound on the update it turns red; however many bodies
//   touch it, a switch that stays pressed stays silent. A fresh switch is
//   red and silent.
//
// In files: "Id".
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class SwitchComponent : public Component
{
public:
    static constexpr Components TYPE = CT_SWITCH;
    static constexpr const char* PRESSED_TEXTURE = "switch_green";
    static constexpr const char* RELEASED_TEXTURE = "switch_red";
    static constexpr const char* ACTIVATE_SOUND = "switch_activate_new.mp3";
    static constexpr const char* DEACTIVATE_SOUND = "switch_deactivate_new.mp3";
    // The release count of a switch that has never been pressed: past the
    // update that plays the deactivation sound.
    static constexpr int RESTING_RELEASE_COUNT = 2;

    SwitchComponent();

    // Shows the state of the last step's contacts (see the rules), then
    // forgets them.
    void Update() override;
    // A PLAYER or CRATE presses the switch; null and others are ignored.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    // The file fields and the pressed flag of another switch.
    void CopyFrom(const Component* other) override;

    // Whether the switch showed itself pressed at its last update.
    bool IsShownPressed() const { return m_PressCount > 0; }

    unsigned m_Id = 0;
    bool m_IsPressed = false;   // touched since the last update
    int m_PressCount = 0;       // updates shown pressed in a row
    int m_ReleaseCount = RESTING_RELEASE_COUNT;  // updates shown released in a row
};

} // namespace QRX
