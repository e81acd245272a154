#include "game/gameplay/CrateComponent.h"

#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"

namespace QRX {

CrateComponent::CrateComponent() : Component(CT_CRATE) {}

void CrateComponent::Update()
{
    if (!owner) return;
    if (PhysicsComponent* body = GetPhysicsComponent(owner)) body->inverseMass = CRATE_INVERSE_MASS;
    if (owner->position.y <= CRATE_FALL_Y) owner->flags |= OBJ_DESTROY;
}

} // namespace QRX
