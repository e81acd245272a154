#include "game/gameplay/ConveyorBeltComponent.h"

#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/MotionCommon.h"

namespace QRX {

ConveyorBeltComponent::ConveyorBeltComponent() : Component(CT_CONVEYORBELT)
{
    AddSerializeVar("", "BeltSpeed", &m_BeltSpeed);
    AddSerializeVar("", "BeltMovementDirection", &m_BeltMovementDirection);
    AddSerializeVar("", "MoveToCenter", &m_IsMoveToCenter);

    AddEditorVar(&m_BeltSpeed, "m_BeltSpeed", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_BeltMovementDirection, "m_BeltMovementDirection", "Vec3", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsMoveToCenter, "m_IsMoveToCenter", "bool", EDITORVAR_DIRECT, true);
}

void ConveyorBeltComponent::OnCollision(GameObject* other)
{
    PhysicsComponent* body = GetPhysicsComponent(other);
    if (!owner || !body) return;

    // A zero direction would normalise into NaN and spread through the
    // body's contacts: it stays zero and pushes nothing.
    m_BeltMovementDirection = UnitOrZero(m_BeltMovementDirection);
    const glm::vec3& direction = m_BeltMovementDirection;
    body->velocity += m_BeltSpeed * direction;

    if (!m_IsMoveToCenter) return;
    const glm::vec3 rel = owner->position - other->position;
    const float along = glm::dot(rel, direction);
    if (along == 0.0f) return;
    body->velocity += (rel - direction * along) * CENTRING_FACTOR;
    PlayEffect(CONVEYOR_SOUND);
}

} // namespace QRX
