// The conveyor belt (CT_CONVEYORBELT): pushes every body that touches it
// along its direction and, when asked, toward its centre line.
//
// Rules:
// - Every contact of every step with an object that has a body adds
//   BeltSpeed x direction to the body's velocity, so a body resting on the
//   belt speeds up until friction and drag balance the push (the belt
//   speed is a push per step, not the speed the body reaches).
// - The direction is normalised in place at each contact. A zero (or not
//   finite) direction becomes and stays zero: it pushes nothing.
// - With MoveToCenter, a body off the belt's centre line (rel = belt
//   position - body position, along = rel . direction, not 0) also gets
//   (rel - direction x along) x CENTRING_FACTOR, and CONVEYOR_SOUND plays.
//   A body with along exactly 0 gets neither.
// - Contacts with no other object, or one without a body, do nothing.
//
// In files: "BeltSpeed", "BeltMovementDirection", "MoveToCenter".
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class ConveyorBeltComponent : public Component
{
public:
    static constexpr Components TYPE = CT_CONVEYORBELT;
    static constexpr const char* CONVEYOR_SOUND = "conveyorbelt.mp3";
    // Share of the offset from the centre line added to a body per contact.
    static constexpr float CENTRING_FACTOR = 0.1f;

    ConveyorBeltComponent();

    // The push (see the rules).
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    float m_BeltSpeed = 0.0f;
    glm::vec3 m_BeltMovementDirection{0.0f};
    bool m_IsMoveToCenter = false;
};

} // namespace QRX
