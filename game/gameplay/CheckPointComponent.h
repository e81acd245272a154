// The checkpoint (CT_CHECKPOINT): an invisible object that saves the level
// into the checkpoint store when the robot first touches it.
//
// Rules:
// - The first contact with a PLAYER saves once (with the robot's position);
//   any later contact, and contacts with anything else, change nothing.
// - The checkpoint is never drawn (skip-draw set every update).
// - The look is one value shared by every checkpoint of the program: 0 idle,
//   1 idle shown, 2 just activated, 3 activated shown. Only a checkpoint
//   whose own object carries an emitter moves it from 0 to 1 and from 2 to 3
//   (placing a one-shot effect); at 3 a main robot below LOOK_RESTORE_Y makes
//   the checkpoint restore and the look return to 0. Without an emitter of
//   its own the look stays 2 and the level's fall check restores instead.
// - Init makes a fountain effect at the checkpoint; activation turns it
//   green; Free marks it for destruction. A full pool leaves it out.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class CheckPointComponent : public Component
{
public:
    static constexpr Components TYPE = CT_CHECKPOINT;
    static constexpr int LOOK_IDLE = 0;
    static constexpr int LOOK_IDLE_SHOWN = 1;
    static constexpr int LOOK_ACTIVATED = 2;
    static constexpr int LOOK_ACTIVATED_SHOWN = 3;
    // The effect's particles per frame and the way they leave.
    static constexpr int EFFECT_COUNT = 20;
    // A robot below this height makes an activated, shown checkpoint restore.
    static constexpr float LOOK_RESTORE_Y = -4.5f;

    CheckPointComponent();

    // Makes the checkpoint's effect object (a fountain) at the checkpoint.
    void Init() override;
    // Skip-draw, the look steps, the restore on a fall (see the rules).
    void Update() override;
    // Marks the effect object for destruction.
    void Free() override;
    // The first PLAYER contact saves the level; null and others are ignored.
    void OnCollision(GameObject* other) override;
    // No fields in files.
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

    // The look shared by every checkpoint.
    static int GetLook() { return s_Look; }
    static void SetLook(int look) { s_Look = look; }

    bool m_Activated = false;
    GameObject* m_Emitter = nullptr;  // the effect object; not owned

private:
    static int s_Look;
};

} // namespace QRX
