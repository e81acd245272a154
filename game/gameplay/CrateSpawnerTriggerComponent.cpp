#include "game/gameplay/CrateSpawnerTriggerComponent.h"

#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

CrateSpawnerComponent* SpawnerOf(const GameObject* spawner)
{
    return spawner ? spawner->GetComponent<CrateSpawnerComponent>()
                   : nullptr;
}


} // namespace

CrateSpawnerTriggerComponent::CrateSpawnerTriggerComponent() : Component(CT_CRATESPAWNERTRIGGERCOMPONENT)
{
    AddSerializeVar("", "TriggerID", &m_TriggerID);
    AddEditorVar(&m_TriggerID, "m_TriggerID", "int", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsTriggered, "m_IsTriggered", "bool", EDITORVAR_DIRECT, true);
}

void CrateSpawnerTriggerComponent::CopyFrom(const Component* other)
{
    CopySerializeVars(other);
    const auto* source = dynamic_cast<const CrateSpawnerTriggerComponent*>(other);
    if (!source) return;
    m_IsTriggered = source->m_IsTriggered;
    m_Spawner = source->m_Spawner;
}

std::string CrateSpawnerTriggerComponent::FrameTexture(int frame)
{
    return std::string(TEXTURE_PREFIX) + std::to_string(frame + 1);
}

void CrateSpawnerTriggerComponent::Init()
{
    ObjectManager* objects = Objects();
    if (!owner || !objects) return;
    m_Hologram = objects->CreateInstance(CRATEHOLOGRAM, owner->position + glm::vec3(0.0f, HOLOGRAM_HEIGHT, 0.0f));
    if (!m_Hologram) return;
    m_Hologram->scale = glm::vec3(HOLOGRAM_SCALE);
    SetShown(m_Hologram, false);
}

void CrateSpawnerTriggerComponent::OnCollision(GameObject* other)
{
    if (other && (other->type == PLAYER || other->type == CRATE)) m_IsTriggered = true;
}

void CrateSpawnerTriggerComponent::UpdateHologram(float d, bool spawnerShowing)
{
    if (!m_Hologram) return;
    m_Hologram->position = owner->position + glm::vec3(0.0f, HOLOGRAM_HEIGHT, 0.0f);
    m_HologramAngles.x += HOLOGRAM_SPIN * d;
    m_HologramAngles.z += HOLOGRAM_SPIN * d;
    m_Hologram->rotation = GameObject::EulerDegreesToQuat(m_HologramAngles);
    m_Hologram->flags &= ~OBJ_WORLD_VALID;
    if (m_Spawner) SetShown(m_Hologram, spawnerShowing);
}

void CrateSpawnerTriggerComponent::UpdateTexture(float d, bool spawnerReady, bool pressed)
{
    if (m_Spawner && !spawnerReady) {
        m_Frame = 0;
        m_FrameTimer = 0.0f;
    } else {
        m_FrameTimer += d;
        if (m_FrameTimer > m_FrameTime) {
            m_Frame = m_FrameCount > 0 ? (m_Frame + 1) % m_FrameCount : 0;
            m_FrameTimer = 0.0f;
        }
    }
    SetTexture(owner, pressed ? std::string(PRESSED_TEXTURE) : FrameTexture(m_Frame));
}

void CrateSpawnerTriggerComponent::Update()
{
    if (!owner) return;
    const float d = GameplayFrameStep();
    CrateSpawnerComponent* spawner = SpawnerOf(m_Spawner);
    const bool ready = spawner && spawner->m_IsTriggerable;
    const bool showing = ready && !spawner->m_IsCooling;

    UpdateHologram(d, showing);

    const bool pressed = m_IsTriggered;
    if (pressed) {
        m_IsTriggered = false;
        if (ready) spawner->m_IsRequested = true;
    }

    UpdateTexture(d, ready, pressed);
}

void CrateSpawnerTriggerComponent::Free() { ReleaseCompanion(m_Hologram); }

} // namespace QRX
