#include "game/gameplay/MotionCommon.h"

#include <cmath>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

glm::vec3 UnitOrZero(const glm::vec3& v)
{
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return glm::vec3(0.0f);
    const float length = glm::length(v);
    if (!(length > 0.0f) || !std::isfinite(length)) return glm::vec3(0.0f);
    return v / length;
}

glm::vec3 UnitOr(const glm::vec3& v, const glm::vec3& fallback)
{
    const glm::vec3 unit = UnitOrZero(v);
    return unit == glm::vec3(0.0f) ? fallback : unit;
}

void MoveObject(GameObject* object, const glm::vec3& position)
{
    if (!object) return;
    object->position = position;
    object->flags &= ~OBJ_WORLD_VALID;
}

void DropBody(GameObject* object)
{
    PhysicsComponent* body = GetPhysicsComponent(object);
    if (!body) return;
    body->flags &= ~BODY_CAN_SLEEP;
    if (GravityForceGenerator* gravity = GetGravityGenerator(object)) gravity->gravity.y = FULL_GRAVITY_Y;
}

Map* CurrentLevelMap()
{
    System* system = System::PeekInstance();
    GameStateManager* states = system ? system->gameStateManager : nullptr;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    return levels ? levels->GetMap() : nullptr;
}

} // namespace QRX
