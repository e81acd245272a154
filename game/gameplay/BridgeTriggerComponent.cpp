#include "game/gameplay/BridgeTriggerComponent.h"

#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

BridgeTriggerComponent::BridgeTriggerComponent() : Component(CT_BRIDGETRIGGER)
{
    AddSerializeVar("", "TriggerID", &m_TriggerID);
    AddEditorVar(&m_TriggerID, "id", "unsigned", EDITORVAR_DIRECT, true);
}

void BridgeTriggerComponent::Init()
{
    ObjectManager* objects = Objects();
    if (!owner || !objects) return;
    const glm::vec3 above = owner->position + glm::vec3(0.0f, HOLOGRAM_HEIGHT, 0.0f);
    m_Hologram = objects->CreateInstance(BRIDGETRIGGERHOLOGRAM, above);
    if (!m_Hologram) return;
    m_Hologram->scale = glm::vec3(HOLOGRAM_SCALE_ACROSS, HOLOGRAM_SCALE_UP, HOLOGRAM_SCALE_ACROSS);
    m_Hologram->flags &= ~OBJ_WORLD_VALID;
}

void BridgeTriggerComponent::OnCollision(GameObject* other)
{
    if (other && (other->type == PLAYER || other->type == CRATE)) m_IsPressed = true;
}

std::vector<BridgeComponent*> BridgeTriggerComponent::GetBridges()
{
    std::vector<BridgeComponent*> found;
    for (GameObjectHandle& handle : m_Bridges) {
        if (!handle.Refresh()) continue;
        if (auto* bridge = handle.object->GetComponent<BridgeComponent>())
            found.push_back(bridge);
    }
    return found;
}

void BridgeTriggerComponent::Update()
{
    const float d = GameplayFrameStep();
    if (m_Hologram) {
        m_HologramAngles.x += HOLOGRAM_SPIN * d;
        m_HologramAngles.z += HOLOGRAM_SPIN * d;
        m_Hologram->rotation = GameObject::EulerDegreesToQuat(m_HologramAngles);
        m_Hologram->flags &= ~OBJ_WORLD_VALID;
    }
    for (BridgeComponent* bridge : GetBridges()) {
        bridge->m_IsActive = m_IsPressed;
        if (m_Hologram) SetShown(m_Hologram, !m_IsPressed);
    }
    SetTexture(owner, m_IsPressed ? PRESSED_TEXTURE : FREE_TEXTURE);
    m_IsPressed = false;
}

void BridgeTriggerComponent::Free() { ReleaseCompanion(m_Hologram); }

} // namespace QRX
