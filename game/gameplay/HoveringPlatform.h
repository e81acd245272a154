// The hovering platform (CT_HOVERINGPLATFORM): a body that floats where it
// is put, with a jet stream under it.
//
// Rules:
// - Init makes the companion JETSTREAM object JET_OFFSET below the
//   platform, once (a full pool leaves it out), and clears the body's
//   BODY_CAN_SLEEP so the platform always answers pushes.
// - Every update moves the companion to the platform + JET_OFFSET and sets
//   the body's vertical velocity to 0: speed gained downward in the last
//   step (a landing crate, a robot) is dropped, so it neither sinks nor
//   rises; a sideways push still moves it.
// - Every update also puts the platform back at the height it had at Init:
//   a robot standing on it is pushed out of it every step, and that push
//   moves the platform a hair too, which would add up to a visible sinking
//   and leave a step up to the floor blocks around it.
// - Free marks the companion for destruction (its own plume goes with it)
//   and forgets it.
// No fields in files.
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class HoveringPlatform : public Component
{
public:
    static constexpr Components TYPE = CT_HOVERINGPLATFORM;
    // Where the jet stream sits relative to the platform.
    static constexpr float JET_OFFSET_Y = -1.0f;

    HoveringPlatform();

    void Init() override;
    void Update() override;
    void Free() override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    GameObject* m_Jetstream = nullptr;  // the companion JETSTREAM; not owned
    float m_HoverHeight = 0.0f;          // the platform's y at Init

private:
    glm::vec3 JetPosition() const;
};

} // namespace QRX
