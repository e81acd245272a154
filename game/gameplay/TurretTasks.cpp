#include "game/gameplay/TurretTasks.h"

#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/AIStateManager.h"
#include "game/gameplay/EnemyTaskCommon.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/Turret.h"
#include "game/gameplay/TurretBullet.h"

namespace QRX {

using BehaviorTree::Status;

namespace {

Status Result(bool success) { return success ? Status::Success : Status::Failure; }

} // namespace

void TurretTask::Initialize()
{
    m_Turret = TaskOwner<Turret>(*this, "turret");
    m_Timer = 0.0f;
}

bool TurretTask::Tick(float interval)
{
    m_Timer += GameplayFrameStep();
    return TimerFires(m_Timer, interval);
}

Status BT_FireBulletAtPlayer::Update()
{
    if (!m_Turret || !m_Turret->owner) return Status::Failure;
    if (!Tick(m_Turret->m_FiringSpeed)) return Status::Failure;
    GameObject* player = AIStateManager::MainPlayer();
    ObjectManager* objects = Objects();
    if (!player || !objects) return Status::Success;
    const glm::vec3 muzzle = m_Turret->owner->position + glm::vec3(0.0f, MUZZLE_HEIGHT, 0.0f);
    GameObject* bullet = objects->CreateInstance(TURRETBULLET, muzzle);
    auto* flight = bullet ? bullet->GetComponent<TurretBullet>() : nullptr;
    if (flight) {
        flight->m_Speed = BULLET_SPEED;
        flight->m_Direction = player->position - muzzle;
    }
    return Status::Success;
}

Status BT_PlayerInRange::Update()
{
    if (!m_Turret || !m_Turret->owner) return Status::Failure;
    GameObject* turret = m_Turret->owner;
    const GameObject* player = AIStateManager::MainPlayer();
    const bool inRange = player && glm::distance(turret->position, player->position) <= m_Turret->m_ActivationRange;
    SetObjectTexture(turret, inRange ? IN_RANGE_TEXTURE : OUT_OF_RANGE_TEXTURE);
    return Result(inRange);
}

Status BT_TurretCheckAggro::Update() { return Result(m_Turret && m_Turret->IsAggressive()); }

Status BT_TurretCheckDefence::Update() { return Result(m_Turret && m_Turret->IsDefending()); }

Status BT_TurretDeath::Update() { return Result(m_Turret && m_Turret->m_IsDestroy); }

Status BT_TurretDropExplodingBox::Update()
{
    if (!m_Turret || !m_Turret->owner) return Status::Failure;
    if (!Tick(m_Turret->m_DropExplodingBoxTime)) return Status::Failure;
    const glm::vec3 at = m_Turret->owner->position;
    DropExplodingCrate(at + glm::vec3(0.0f, 0.0f, -SIDE_OFFSET));
    DropExplodingCrate(at + glm::vec3(0.0f, 0.0f, SIDE_OFFSET));
    return Status::Success;
}

Status BT_TurretSpawnBarrier::Update()
{
    if (!m_Turret || !m_Turret->owner) return Status::Failure;
    if (!Tick(m_Turret->m_SpawnBarrierTime) || m_Turret->GetBarrier()) return Status::Success;
    ObjectManager* objects = Objects();
    GameObject* turret = m_Turret->owner;
    GameObject* barrier = objects ? objects->CreateInstance(BARRIER, turret->position) : nullptr;
    if (!barrier) return Status::Success;
    barrier->scale = turret->scale + glm::vec3(BARRIER_MARGIN, 0.0f, BARRIER_MARGIN);
    barrier->flags &= ~OBJ_WORLD_VALID;
    m_Turret->SetBarrier(barrier);
    return Status::Success;
}

Status BT_TurretSuicide::Update()
{
    if (!m_Turret || !m_Turret->owner) return Status::Failure;
    GameObject* turret = m_Turret->owner;
    // One burst, however often the tree reaches here before the turret goes.
    if (turret->flags & OBJ_DESTROY) return Status::Success;
    turret->flags |= OBJ_DESTROY;
    CreateEmitter(turret->position, BURST_PATTERN, BURST_COUNT, glm::vec3(0.0f), false);
    return Status::Success;
}

void AddTurretTasks(BehaviorTree::BehaviorRegistry& registry)
{
    registry.insert({QRX_BEHAVIOR_ENTRY(BT_FireBulletAtPlayer),
                     QRX_BEHAVIOR_ENTRY(BT_PlayerInRange),
                     QRX_BEHAVIOR_ENTRY(BT_TurretCheckAggro),
                     QRX_BEHAVIOR_ENTRY(BT_TurretCheckDefence),
                     QRX_BEHAVIOR_ENTRY(BT_TurretDeath),
                     QRX_BEHAVIOR_ENTRY(BT_TurretDropExplodingBox),
                     QRX_BEHAVIOR_ENTRY(BT_TurretPushBack),
                     QRX_BEHAVIOR_ENTRY(BT_TurretSpawnBarrier),
                     QRX_BEHAVIOR_ENTRY(BT_TurretSuicide)});
}

} // namespace QRX
