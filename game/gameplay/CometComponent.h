// The comet (CT_COMET): flies in a straight line at a fixed speed trailing
// a plume, and bursts on its first contact or when its lifetime is over.
//
// Rules:
// - Init makes the plume (a PARTICLEEMITTER object, active, PLUME_PATTERN,
//   PLUME_COUNT a frame, no direction) at the comet, once (a full pool
//   leaves it out), then normalises the direction; a direction without one
//   (zero, not finite) becomes DEFAULT_DIRECTION.
// - Every update: the plume moves to the comet; the body's velocity becomes
//   direction x speed (whatever the step did to it); the age grows by the
//   capped frame time, and an age above the lifetime marks the comet for
//   destruction (a lifetime of 0 ends it on its first update).
// - The first contact with any object makes a one-shot burst (inactive
//   emitter, BURST_PATTERN, BURST_COUNT) at the comet and marks the comet;
//   a marked comet ignores every later contact, so one step's several
//   contacts make one burst.
// - Free marks the plume for destruction and forgets it.
//
// In files: "Dir", "Speed", "LifeTime".
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class CometComponent : public Component
{
public:
    static constexpr Components TYPE = CT_COMET;
    static constexpr int PLUME_PATTERN = 12;
    static constexpr int PLUME_COUNT = 20;
    static constexpr int BURST_PATTERN = 0;
    static constexpr int BURST_COUNT = 400;
    static constexpr float DEFAULT_SPEED = 5.0f;
    static const glm::vec3 DEFAULT_DIRECTION;  // straight down

    CometComponent();

    void Init() override;
    void Update() override;
    void Free() override;
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    // The unit vector of a direction, DEFAULT_DIRECTION when it has none.
    static glm::vec3 Heading(const glm::vec3& direction);

    GameObject* m_Plume = nullptr;  // not owned
    glm::vec3 m_Direction{0.0f, -1.0f, 0.0f};  // DEFAULT_DIRECTION
    float m_Speed = DEFAULT_SPEED;
    float m_LifeTime = 0.0f;
    float m_Age = 0.0f;
};

} // namespace QRX
