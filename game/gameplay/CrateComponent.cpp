#include "game/gameplay/CrateComponent.h"

#include "engine/objects/GameObject.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/WallComponent.h"

namespace QRX {

CrateComponent::CrateComponent() : Component(CT_CRATE) {}

void CrateComponent::Update()
{
    if (!owner) return;
    if (PhysicsComponent* body = GetPhysicsComponent(owner)) body->inverseMass = CRATE_INVERSE_MASS;
    if (owner->position.y <= CRATE_FALL_Y) owner->flags |= OBJ_DESTROY;
}

void CrateComponent::OnCollision(GameObject* other)
{
    if (!owner || !other || other->type != WALL) return;
    const auto* wall = other->GetComponent<const WallComponent>();
    if (!wall || !wall->m_IsApplyDownwardForce) return;
    if (GravityForceGenerator* gravity = GetGravityGenerator(owner)) gravity->gravity.y = FULL_GRAVITY_Y;
    if (PhysicsComponent* body = GetPhysicsComponent(owner)) body->velocity.y = WALL_PUSH_VELOCITY_Y;
}

} // namespace QRX
