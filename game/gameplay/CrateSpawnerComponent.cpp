#include "game/gameplay/CrateSpawnerComponent.h"

#include <algorithm>
#include <cmath>

#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/CrateSpawnerTriggerComponent.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

CrateSpawnerComponent::CrateSpawnerComponent() : Component(CT_CRATESPAWNERCOMPONENT)
{
    AddSerializeVar("", "TriggerID", &m_TriggerID);
    AddSerializeVar("", "SpawnCooldown", &m_SpawnCooldown);
    AddSerializeVar("", "AmountOfCratesToSpawn", &m_AmountOfCratesToSpawn);
    AddSerializeVar("", "SpawnVelocity", &m_SpawnVelocity);
    AddSerializeVar("", "SpawnOffset", &m_SpawnOffset);
    AddSerializeVar("", "OneCrateAtATime", &m_IsOneCrateAtATime);
    AddSerializeVar("", "IsShake", &m_IsShake);
    AddSerializeVar("", "ShakeAmount", &m_ShakeAmount);
    AddSerializeVar("", "ShakeTime", &m_ShakeTime);

    AddEditorVar(&m_TriggerID, "m_TriggerID", "int", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnCooldown, "m_SpawnCooldown", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_AmountOfCratesToSpawn, "m_AmountOfCratesToSpawn", "int", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnVelocity, "m_SpawnVelocity", "Vec3", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnOffset, "m_SpawnOffset", "Vec3", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsOneCrateAtATime, "m_IsOneCrateAtATime", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsTriggerable, "m_IsTriggerable", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsShake, "isShake", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_ShakeUpwards, "shakeUpwards", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_ShakeAmount, "shakeAmount", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_ShakeTimer, "m_ShakeTimer", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_ShakeTime, "m_ShakeTime", "float", EDITORVAR_DIRECT, true);
}

void CrateSpawnerComponent::CopyFrom(const Component* other)
{
    CopySerializeVars(other);
    const auto* source = dynamic_cast<const CrateSpawnerComponent*>(other);
    if (!source) return;
    m_CooldownTimer = source->m_CooldownTimer;
    m_IsRequested = source->m_IsRequested;
    m_IsTriggerable = source->m_IsTriggerable;
    m_Spawned = source->m_Spawned;
}

void CrateSpawnerComponent::Init()
{
    if (owner) m_HomePosition = owner->position;
}

bool CrateSpawnerComponent::IsExhausted() const
{
    return m_AmountOfCratesToSpawn != UNLIMITED_CRATES && m_Spawned >= m_AmountOfCratesToSpawn;
}

void CrateSpawnerComponent::RelinkLastCrate()
{
    m_LastCrate = nullptr;
    ObjectManager* objects = Objects();
    if (!objects) return;
    const glm::vec3 drop = m_HomePosition + m_SpawnOffset;
    float nearest = DROP_SPOT_REACH;
    for (GameObject* crate : objects->GetActiveObjectsOfType(CRATE)) {
        if (crate->flags & OBJ_DESTROY) continue;
        const glm::vec3 apart = crate->position - drop;
        const float across = std::max(std::fabs(apart.x), std::fabs(apart.z));
        if (across >= nearest || apart.y > DROP_SPOT_REACH || apart.y < -DROP_SPOT_DEPTH) continue;
        nearest = across;
        m_LastCrate = crate;
    }
}

void CrateSpawnerComponent::ShakeStep(float d)
{
    owner->position.y += (m_ShakeUpwards ? 1.0f : -1.0f) * m_ShakeAmount * d;
    owner->flags &= ~OBJ_WORLD_VALID;
    m_ShakeUpwards = !m_ShakeUpwards;
}

bool CrateSpawnerComponent::SpawnCrate()
{
    ObjectManager* objects = Objects();
    GameObject* crate = objects ? objects->CreateInstance(CRATE, owner->position + m_SpawnOffset) : nullptr;
    if (!crate) return false;
    m_LastCrate = crate;
    if (PhysicsComponent* body = GetPhysicsComponent(crate)) body->velocity = m_SpawnVelocity;
    ++m_Spawned;
    return true;
}

void CrateSpawnerComponent::Update()
{
    if (!owner || IsExhausted()) return;
    const float d = GameplayFrameStep();

    if (m_IsTriggerable && !m_IsCooling && m_IsRequested) {
        if (m_IsShake) {
            m_ShakeTimer += d;
            if (m_ShakeTimer < m_ShakeTime) {
                ShakeStep(d);
                return;
            }
            owner->position = m_HomePosition;
            owner->flags &= ~OBJ_WORLD_VALID;
            m_ShakeUpwards = true;
            m_ShakeTimer = 0.0f;
        }
        m_IsRequested = false;
        m_IsCooling = true;
        SpawnCrate();
    }

    if (m_IsCooling && m_IsTriggerable) {
        m_IsRequested = false;
        m_CooldownTimer += d;
        if (m_CooldownTimer > m_SpawnCooldown) {
            m_IsCooling = false;
            m_CooldownTimer = 0.0f;
        }
    }

    if (m_IsOneCrateAtATime) {
        if (m_LastCrate.Refresh()) {
            m_CooldownTimer = 0.0f;
            m_IsTriggerable = false;
            return;
        }
        m_IsTriggerable = true;
    }
}

void CrateSpawnerComponent::FindTriggers()
{
    ObjectManager* objects = Objects();
    if (!owner || !objects) return;
    for (GameObject* object : objects->GetObjectsWithComponent(CT_CRATESPAWNERTRIGGERCOMPONENT)) {
        auto* trigger =
            object->GetComponent<CrateSpawnerTriggerComponent>();
        if (trigger && trigger->m_TriggerID == m_TriggerID) trigger->m_Spawner = owner;
    }
}

} // namespace QRX
