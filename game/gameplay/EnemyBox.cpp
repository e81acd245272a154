#include "game/gameplay/EnemyBox.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Logger.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/AIComponent.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

EnemyBox::EnemyBox() : Component(CT_ENEMYBOX) {}

void EnemyBox::OnCollision(GameObject* other)
{
    if (!owner || !other || (owner->flags & OBJ_DESTROY)) return;
    owner->flags |= OBJ_DESTROY;
    if (other->type != CUBE) return;
    // A box falling fast in a long frame is found deep in the block; its
    // enemy stands where the box would rest, on the top, not inside.
    glm::vec3 at = owner->position;
    const glm::vec3 half = other->scale * 0.5f;
    const bool overTop = std::fabs(at.x - other->position.x) < half.x && std::fabs(at.z - other->position.z) < half.z;
    if (overTop) at.y = std::max(at.y, other->position.y + half.y + owner->scale.y * 0.5f);
    MakeEnemy(at);
}

void EnemyBox::MakeEnemy(const glm::vec3& at)
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    GameObject* enemy = objects->CreateInstance(ENEMY, at);
    if (!enemy) {
        QRX_LOG_WARNING("An enemy box could not make its enemy");
        return;
    }
    auto* ai = enemy->GetComponent<AIComponent>();
    if (!ai) {
        QRX_LOG_WARNING("The enemy of an enemy box has no AI component: it gets no patrol and no time limit");
        return;
    }
    PatrolAI& patrol = ai->GetPatrol();
    patrol.AppendWaypoint(at + glm::vec3(SQUARE_SIDE, 0.0f, 0.0f));
    patrol.AppendWaypoint(at + glm::vec3(SQUARE_SIDE, 0.0f, -SQUARE_SIDE));
    patrol.AppendWaypoint(at + glm::vec3(0.0f, 0.0f, -SQUARE_SIDE));
    patrol.AppendWaypoint(at);
    ai->SetLifeLimit(ENEMY_LIFE_SECONDS);
    ai->SetTimed(true);
}

} // namespace QRX
