// The turret's bullet (CT_TURRETBULLET): flies straight along its direction
// at its speed and goes at its first contact.
//
// Rules:
// - Every update normalises the direction and sets the body's velocity to
//   direction x speed, whatever the step did to it; a direction of no length
//   (or not finite) becomes zero, so the bullet stands still, never NaN.
// - Any contact with an object marks the bullet for destruction (a null
//   contact does nothing).
// - No fields in files.
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class TurretBullet : public Component
{
public:
    static constexpr Components TYPE = CT_TURRETBULLET;
    static constexpr float DEFAULT_SPEED = 5.0f;

    TurretBullet();

    void Update() override;
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    glm::vec3 m_Direction{0.0f};
    float m_Speed = DEFAULT_SPEED;
};

} // namespace QRX
