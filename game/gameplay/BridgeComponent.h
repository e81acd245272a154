// The bridge (CT_BRIDGE): grows or shrinks along an axis by scaling itself
// while one end stays in place, as its bridge triggers are pressed or not.
//
// Positions along the axis are signed (dot products with the unit axis), so
// a bridge behaves the same on either side of the origin. The axis is
// ExtendAxis normalised, its sign ignored ("1 0 0" and "-1 0 0" are the
// same); PositiveDirection picks the end that moves: the +axis end when set,
// else the -axis end. A zero (or not finite) axis never moves the bridge.
//
// Rules:
// - Init records the retracted shape: the owner's scale and position, or,
//   with ReverseGrowShrink (the file holds the extended shape), that shape
//   less ExtensionAmount along the axis, centred so the fixed end stays.
// - Triggers set the active flag every update (FindTriggers links them once,
//   when the level's objects exist). The bridge grows while active differs
//   from ReverseGrowShrink and shrinks otherwise.
// - Before each movement the bridge waits until its delay timer reaches
//   DelayTime (d, the capped frame time, a update; DelayTime 0 moves on the
//   first update). It then moves ExtendSpeed x d a update along the axis, the
//   moving end's position changing by that and the centre by half of it,
//   until it is within LIMIT_TOLERANCE of its limit: the extended length is
//   the retracted one + ExtensionAmount, the retracted one its own; the last
//   step ends exactly at the limit and never changes the scale across the
//   axis. At the limit it stops and waits again.
// - "bridge_extend.mp3" plays when a movement starts, unless it is already
//   playing; a bridge that is already at its limit stays silent.
// - A CRATE the main player carries that touches a bridge is put down (the
//   hook it shares with doors).
//
// In files: "ExtendSpeed", "ExtendAxis", "ExtensionAmount",
// "PositiveDirection", "ReverseGrowShrink", "DelayTime", "TriggerID".
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class BridgeComponent : public Component
{
public:
    static constexpr Components TYPE = CT_BRIDGE;
    static constexpr const char* MOVE_SOUND = "bridge_extend.mp3";
    // A bridge closer than this to its limit (along the axis) has arrived.
    static constexpr float LIMIT_TOLERANCE = 0.001f;

    BridgeComponent();

    // Records the retracted scale and centre (see the rules).
    void Init() override;
    // One wait or movement step (see the rules).
    void Update() override;
    // The shared door and bridge hook.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    // Links every bridge trigger with this bridge's TriggerID to this
    // bridge's owner. Nothing without an owner or an object manager.
    void FindTriggers();

    // The unit axis the bridge moves along (components >= 0); false, with
    // the axis zero, when ExtendAxis has no direction.
    bool GetAxis(glm::vec3& axis) const;

    float m_ExtendSpeed = 0.0f;        // scale change per second along the axis
    glm::vec3 m_ExtendAxis{0.0f};
    float m_ExtensionAmount = 0.0f;    // extended length - retracted length
    bool m_IsPositiveDirection = true;
    bool m_IsActive = false;           // set every update by the linked triggers
    bool m_IsReverseGrowShrink = false;
    glm::vec3 m_BaseScale{1.0f};       // scale of the retracted bridge
    glm::vec3 m_Anchor{0.0f};          // centre of the retracted bridge
    unsigned m_TriggerID = 0;
    float m_DelayTime = 0.0f;          // seconds to wait before each movement
    float m_DelayTimer = 0.0f;
    bool m_IsExtending = false;        // moving: the scale is changing

private:
    // One step toward the extended (grow) or retracted shape; false when the
    // bridge was already there.
    bool Move(const glm::vec3& axis, float d, bool grow);
};

} // namespace QRX
