// The bridge trigger (CT_BRIDGETRIGGER): a floor pad that the robot or a
// crate presses to move the bridges with its TriggerID.
//
// Rules:
// - A contact with a PLAYER or a CRATE presses it for the next update.
// - Each update sets every linked bridge's active flag to whether the pad
//   was pressed, then forgets the press. Where two triggers share a bridge,
//   the one updated last decides.
// - Each update shows the press on the pad itself, linked or not, until the
//   next update: pressed, PRESSED_TEXTURE, the pad lit amber to its edges
//   with a white two-way arrow; free, FREE_TEXTURE, a dark pad with a dull
//   amber frame and arrow. Neither looks like the bridge's planks.
// - A hologram floats HOLOGRAM_HEIGHT above the pad, turning about x and z
//   at HOLOGRAM_SPIN degrees a second; with linked bridges it is shown while
//   the pad is not pressed and hidden (inactive, not drawn) while it is.
//   Init makes it, Free marks it for destruction; a full pool leaves it out.
//
// In files: "TriggerID". The bridges link themselves with
// BridgeComponent::FindTriggers when the level starts.
#pragma once
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"

namespace QRX {

class BridgeComponent;

class BridgeTriggerComponent : public Component
{
public:
    static constexpr Components TYPE = CT_BRIDGETRIGGER;
    static constexpr float HOLOGRAM_HEIGHT = 1.5f;
    static constexpr float HOLOGRAM_SCALE_ACROSS = 0.5f;  // x and z
    static constexpr float HOLOGRAM_SCALE_UP = 0.8f;      // y
    // Degrees a second the hologram turns about x and about z.
    static constexpr float HOLOGRAM_SPIN = 15.0f;
    static constexpr const char* FREE_TEXTURE = "bridgetrigger";
    static constexpr const char* PRESSED_TEXTURE = "bridgetrigger_pressed";

    BridgeTriggerComponent();

    // Makes the hologram over the pad.
    void Init() override;
    // Hologram, bridge and look steps (see the rules).
    void Update() override;
    // Marks the hologram for destruction.
    void Free() override;
    // A PLAYER or CRATE presses the pad; null and others are ignored.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    // The linked bridges that are still in play.
    std::vector<BridgeComponent*> GetBridges();

    unsigned m_TriggerID = 0;
    bool m_IsPressed = false;                 // touched since the last update
    std::vector<GameObjectHandle> m_Bridges;  // the linked bridge objects
    GameObject* m_Hologram = nullptr;         // the companion hologram; not owned
    glm::vec3 m_HologramAngles{0.0f};         // degrees about x, y and z
};

} // namespace QRX
