#include "game/gameplay/TurretBullet.h"

#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/MotionCommon.h"

namespace QRX {

TurretBullet::TurretBullet() : Component(CT_TURRETBULLET) {}

void TurretBullet::Update()
{
    if (!owner) return;
    m_Direction = UnitOrZero(m_Direction);
    if (PhysicsComponent* body = GetPhysicsComponent(owner)) body->velocity = m_Direction * m_Speed;
}

void TurretBullet::OnCollision(GameObject* other)
{
    if (owner && other) owner->flags |= OBJ_DESTROY;
}

} // namespace QRX
