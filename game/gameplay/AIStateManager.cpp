#include "game/gameplay/AIStateManager.h"

#include <cmath>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/GridPathSearch.h"

namespace QRX {

GameObject* AIStateManager::MainPlayer()
{
    System* system = System::PeekInstance();
    GameObject* player = system ? system->playerOne : nullptr;
    // The slot can outlive its object: a freed slot is no longer a robot.
    if (!player || !(player->flags & OBJ_ALIVE) || player->type != PLAYER) return nullptr;
    return player;
}

void AIStateManager::SetWalkVelocity(PhysicsComponent* body, const glm::vec3& direction, float speed)
{
    if (!body) return;
    const float length = glm::length(direction);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        StopWalking(body);
        return;
    }
    body->velocity.x = direction.x / length * speed;
    body->velocity.z = direction.z / length * speed;
}

void AIStateManager::StopWalking(PhysicsComponent* body)
{
    if (!body) return;
    body->velocity.x = 0.0f;
    body->velocity.z = 0.0f;
}

bool AIStateManager::PlanPath(GridPathSearch& search, const glm::vec3& from, const glm::vec3& to,
                              std::vector<glm::vec3>& path)
{
    search.SetEndpoints(GridPathSearch::ToCell(from.x), GridPathSearch::ToCell(from.y),
                        GridPathSearch::ToCell(from.z), GridPathSearch::ToCell(to.x), GridPathSearch::ToCell(to.y),
                        GridPathSearch::ToCell(to.z));
    if (!search.Search()) return false;
    path = search.GetPath();
    return true;
}

void AIStateManager::RunStates()
{
    if (m_CurrentState != m_RequestedState) {
        OnExit();
        ChangeState();
        OnStart();
    }
    if (m_CurrentState != m_RequestedState) return;
    OnUpdate();
}

} // namespace QRX
