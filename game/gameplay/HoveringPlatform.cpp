#include "game/gameplay/HoveringPlatform.h"

#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/MotionCommon.h"

namespace QRX {

HoveringPlatform::HoveringPlatform() : Component(CT_HOVERINGPLATFORM) {}

glm::vec3 HoveringPlatform::JetPosition() const { return owner->position + glm::vec3(0.0f, JET_OFFSET_Y, 0.0f); }

void HoveringPlatform::Init()
{
    if (!owner) return;
    m_HoverHeight = owner->position.y;
    if (!m_Jetstream) {
        ObjectManager* objects = Objects();
        m_Jetstream = objects ? objects->CreateInstance(JETSTREAM, JetPosition()) : nullptr;
    }
    if (PhysicsComponent* body = GetPhysicsComponent(owner)) body->flags &= ~BODY_CAN_SLEEP;
}

void HoveringPlatform::Update()
{
    if (!owner) return;
    if (owner->position.y != m_HoverHeight) {
        owner->position.y = m_HoverHeight;
        owner->flags &= ~OBJ_WORLD_VALID;
    }
    MoveObject(m_Jetstream, JetPosition());
    if (PhysicsComponent* body = GetPhysicsComponent(owner)) body->velocity.y = 0.0f;
}

void HoveringPlatform::Free() { ReleaseCompanion(m_Jetstream); }

} // namespace QRX
