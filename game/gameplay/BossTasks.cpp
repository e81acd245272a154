#include "game/gameplay/BossTasks.h"

#include "engine/core/Random.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/AIStateManager.h"
#include "game/gameplay/BossComponent.h"
#include "game/gameplay/EnemyTaskCommon.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

using BehaviorTree::Status;

namespace {

constexpr const char* PHASE_ONE_CAPTION = "Phase 1";
constexpr const char* PHASE_TWO_CAPTION = "Phase 2";
constexpr const char* PHASE_THREE_CAPTION = "Phase 3";

Status Result(bool success) { return success ? Status::Success : Status::Failure; }

// Every axis of b strictly larger than the same axis of a.
bool StrictlyLarger(const glm::vec3& b, const glm::vec3& a) { return b.x > a.x && b.y > a.y && b.z > a.z; }

} // namespace

void BossTask::Initialize() { m_Boss = TaskOwner<BossComponent>(*this, "boss"); }

void BossSwitchTask::Initialize()
{
    BossTask::Initialize();
    m_SwitchPositions.clear();
    ObjectManager* objects = Objects();
    if (!objects) return;
    for (GameObject* object : objects->GetActiveObjectsWithComponent(CT_SWITCH))
        m_SwitchPositions.push_back(object->position);
}

void BT_BossDropAIInLine::Initialize()
{
    BossTask::Initialize();
    m_HasFloor = false;
    m_FloorPosition = glm::vec3(0.0f);
    m_FloorScale = glm::vec3(0.0f);
    ObjectManager* objects = Objects();
    if (!objects) return;
    for (GameObject* cube : objects->GetActiveObjectsOfType(CUBE)) {
        if (!StrictlyLarger(cube->scale, m_FloorScale)) continue;
        m_HasFloor = true;
        m_FloorPosition = cube->position;
        m_FloorScale = cube->scale;
    }
}

Status BT_BossDropAIInLine::Update()
{
    if (!m_Boss) return Status::Failure;
    if (!TimerFires(m_Boss->m_EnemyDropTimer, m_Boss->m_EnemyDropInterval)) return Status::Failure;
    ObjectManager* objects = Objects();
    if (!m_HasFloor || !objects) return Status::Success;
    const float x = RandomOffset(TruncateToInt(m_FloorScale.x) / 2);
    const float z = RandomOffset(TruncateToInt(m_FloorScale.z) / 2);
    objects->CreateInstance(ENEMYBOX, m_FloorPosition + glm::vec3(x, DROP_HEIGHT, z));
    return Status::Success;
}

Status BT_BossDropBoxOnPlayer::Update()
{
    if (!m_Boss) return Status::Failure;
    if (!TimerFires(m_Boss->m_BoxOnPlayerTimer, m_Boss->m_BoxOnPlayerInterval)) return Status::Failure;
    GameObject* player = AIStateManager::MainPlayer();
    if (!player) return Status::Success;
    const float x = RandomOffset(m_Boss->m_BoxOnPlayerSpread);
    const float z = RandomOffset(m_Boss->m_BoxOnPlayerSpread);
    DropExplodingCrate(player->position + glm::vec3(x, DROP_HEIGHT, z));
    return Status::Success;
}

Status BT_BossDropBoxOnSwitch::Update()
{
    if (!m_Boss) return Status::Failure;
    if (!TimerFires(m_Boss->m_BoxOnSwitchTimer, m_Boss->m_BoxOnSwitchInterval)) return Status::Failure;
    if (m_SwitchPositions.empty()) return Status::Success;
    const float x = RandomOffset(m_Boss->m_BoxOnSwitchSpread);
    const float z = RandomOffset(m_Boss->m_BoxOnSwitchSpread);
    const size_t index = static_cast<size_t>(Random()) % m_SwitchPositions.size();
    DropExplodingCrate(m_SwitchPositions[index] + glm::vec3(x, DROP_HEIGHT, z));
    return Status::Success;
}

Status BT_BossIsNotResetSwitches::Update() { return Result(m_Boss && !m_Boss->m_IsVulnerable); }

Status BT_BossIsResetSwitches::Update() { return Result(m_Boss && m_Boss->m_IsResetRequested); }

Status BT_BossResetSwitches::Update()
{
    if (!m_Boss) return Status::Failure;
    for (const glm::vec3& at : m_SwitchPositions) {
        DropExplodingCrate(at + glm::vec3(0.0f, DROP_HEIGHT, 0.0f));
        m_Boss->m_IsResetRequested = false;
    }
    return Status::Success;
}

Status BT_BossSpawnTurret::Update()
{
    if (!m_Boss) return Status::Failure;
    SetObjectTexture(m_Boss->owner, SPAWN_TEXTURE);
    return Status::Success;
}

Status BT_BossStage1Check::Update()
{
    if (!m_Boss || !m_Boss->InPhaseOne()) return Status::Failure;
    BossComponent::ShowCaption(PHASE_ONE_CAPTION);
    return Status::Success;
}

Status BT_BossStage2Check::Update()
{
    if (!m_Boss || !m_Boss->InPhaseTwo()) return Status::Failure;
    BossComponent::ShowCaption(PHASE_TWO_CAPTION);
    return Status::Success;
}

Status BT_BossStage3Check::Update()
{
    if (!m_Boss || !m_Boss->InPhaseThree()) return Status::Failure;
    BossComponent::ShowCaption(PHASE_THREE_CAPTION);
    return Status::Success;
}

void AddBossTasks(BehaviorTree::BehaviorRegistry& registry)
{
    registry.insert({QRX_BEHAVIOR_ENTRY(BT_BossDropAIInLine),
                     QRX_BEHAVIOR_ENTRY(BT_BossDropBoxOnFloor),
                     QRX_BEHAVIOR_ENTRY(BT_BossDropBoxOnPlayer),
                     QRX_BEHAVIOR_ENTRY(BT_BossDropBoxOnSwitch),
                     QRX_BEHAVIOR_ENTRY(BT_BossIsNotResetSwitches),
                     QRX_BEHAVIOR_ENTRY(BT_BossIsResetSwitches),
                     QRX_BEHAVIOR_ENTRY(BT_BossResetSwitches),
                     QRX_BEHAVIOR_ENTRY(BT_BossSpawnTurret),
                     QRX_BEHAVIOR_ENTRY(BT_BossStage1Check),
                     QRX_BEHAVIOR_ENTRY(BT_BossStage2Check),
                     QRX_BEHAVIOR_ENTRY(BT_BossStage3Check)});
}

} // namespace QRX
