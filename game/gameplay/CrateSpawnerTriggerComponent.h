// The crate spawner trigger (CT_CRATESPAWNERTRIGGERCOMPONENT): a floor pad
// that the robot or a crate presses to ask its spawner for a crate.
//
// Rules:
// - A contact with a PLAYER or a CRATE presses it; the next update forgets
//   the press and, when the linked spawner is ready, requests a crate.
// - A spinning crate hologram floats HOLOGRAM_HEIGHT above the pad; it is
//   hidden (inactive, not drawn) while the linked spawner is not ready or is
//   cooling, and shown otherwise. Init makes it, Free marks it for
//   destruction; a full pool leaves it out.
// - The pad's look, set every update and kept until the next: pressed (the
//   press this update forgets), ready spawner or not, PRESSED_TEXTURE, the
//   pad lit azure to its edges with its whole ring white. Free, a dark pad
//   whose lit cyan segment goes round the ring: "crate_spawnertrigger1" to
//   "...4", one frame every FRAME_TIME seconds (exceeded strictly), the
//   frames running on under a press. While the linked spawner is not ready
//   the ring stands on its first frame with the timer at 0, and starts from
//   there when the spawner is ready again.
//
// In files: "TriggerID". The spawner link is made by the spawner's
// FindTriggers when the level starts.
#pragma once
#include <string>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class CrateSpawnerTriggerComponent : public Component
{
public:
    static constexpr Components TYPE = CT_CRATESPAWNERTRIGGERCOMPONENT;
    static constexpr float HOLOGRAM_HEIGHT = 1.5f;
    static constexpr float HOLOGRAM_SCALE = 0.8f;
    // Degrees a second the hologram turns about x and about z.
    static constexpr float HOLOGRAM_SPIN = 15.0f;
    static constexpr int FRAME_COUNT = 4;
    static constexpr float FRAME_TIME = 1.0f;
    static constexpr const char* TEXTURE_PREFIX = "crate_spawnertrigger";
    static constexpr const char* PRESSED_TEXTURE = "crate_spawnertrigger_pressed";

    CrateSpawnerTriggerComponent();

    // Makes the hologram, hidden.
    void Init() override;
    // Hologram, request and texture steps (see the rules).
    void Update() override;
    // Marks the hologram for destruction.
    void Free() override;
    // A PLAYER or CRATE presses the pad; null and others are ignored.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    // The file fields, then pressed and the spawner link of another trigger.
    void CopyFrom(const Component* other) override;

    // The texture of an animation frame (0 gives "crate_spawnertrigger1").
    static std::string FrameTexture(int frame);

    int m_TriggerID = 0;
    bool m_IsTriggered = false;          // pressed since the last update
    GameObject* m_Spawner = nullptr;     // the linked spawner; not owned
    GameObject* m_Hologram = nullptr;    // the companion hologram; not owned
    int m_Frame = 0;
    int m_FrameCount = FRAME_COUNT;
    float m_FrameTime = FRAME_TIME;
    float m_FrameTimer = 0.0f;
    glm::vec3 m_HologramAngles{0.0f};    // degrees about x, y and z

private:
    void UpdateHologram(float d, bool spawnerShowing);
    void UpdateTexture(float d, bool spawnerReady, bool pressed);
};

} // namespace QRX
