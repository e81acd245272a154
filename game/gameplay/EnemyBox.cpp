#include "game/gameplay/EnemyBox.h"

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
    if (other->type == CUBE) MakeEnemy(owner->position);
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
