// The teleport power (CT_TELEPORT) on a crate: the robot that placed the
// crate swaps places with it on its active-power key, once the crate rests
// on something.
//
// Rules:
// - Armed is what the last physics step said: a crate that touched a
//   SWITCH, CUBE, CRATE, BARRIER, CRATESPAWNER, CRATESPAWNERTRIGGER, BRIDGE,
//   BRIDGETRIGGER or FALLINGPLATFORM is armed for the next update and shows
//   GO_TEXTURE; in mid-air it shows WAIT_TEXTURE and ignores the key.
// - The swap needs the placing robot alive; without it nothing happens (no
//   sound, no effect). A robot without a player component swaps all the
//   same, only no throw preview is redrawn.
// - Its spiral follows the crate until the power goes (Free); an effect the
//   full pool cannot give is left out.
// No fields in files: Read, Write and CopyFrom do nothing, two compare equal.
#pragma once
#include <string>

#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"
#include "engine/objects/TypeNames.h"

namespace QRX {

class TeleportPowerComponent : public Component
{
public:
    static constexpr Components TYPE = CT_TELEPORT;
    // The trigger action before a robot placed the crate.
    static constexpr int UNPLACED_TRIGGER_ACTION = 13;
    // Particles a frame of the spiral over the crate.
    static constexpr int SPIRAL_COUNT = 2;
    // Particles of each one-shot effect of a swap.
    static constexpr int SWAP_EFFECT_COUNT = 80;
    static constexpr const char* PLAIN_TEXTURE = "crate";
    static constexpr const char* WAIT_TEXTURE = "crate_teleportwait";
    static constexpr const char* GO_TEXTURE = "crate_teleportgo";
    static constexpr const char* TELEPORT_SOUND = "teleportation_new.mp3";

    TeleportPowerComponent();

    // Starts the spiral over the crate.
    void Init() override;
    // The spiral follows; an armed crate swaps on the trigger action; then
    // armed := touched since the last update, and the texture shows it.
    void Update() override;
    // Lets the spiral go.
    void Free() override;
    // Notes a touch of an object the crate can rest on; null is ignored.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

    // Records the robot that placed the crate and the action id that fires it.
    void Place(GameObject* player, int triggerAction);
    // Swaps the crate and its robot (one-shot effects at both places); false,
    // changing nothing, when the robot is gone.
    bool Teleport();

    // Whether touching an object of the type arms the crate.
    static bool IsRestingPlace(ObjectType type);

    bool m_IsArmed = false;
    bool m_IsTouched = false;  // since the last update
    GameObjectHandle m_Player;  // the robot that placed the crate
    int m_TriggerAction = UNPLACED_TRIGGER_ACTION;
    std::string m_PlainTexture = PLAIN_TEXTURE;  // what the crate shows without the power
    GameObject* m_Emitter = nullptr;  // the spiral (not owned)

private:
    bool IsTriggerPressed() const;
};

} // namespace QRX
