#include "game/gameplay/TeleportPowerComponent.h"

#include <utility>

#include "engine/core/InputInterpreter.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/objects/GameObject.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/PlayerComponent.h"

namespace QRX {

TeleportPowerComponent::TeleportPowerComponent() : Component(CT_TELEPORT) {}

void TeleportPowerComponent::Init()
{
    if (!owner || m_Emitter) return;
    m_Emitter = CreateEmitter(owner->position, PARTICLE_SPIRAL, SPIRAL_COUNT, glm::vec3(0.0f), true);
    if (ParticleEmitter* emitter = GetParticleEmitter(m_Emitter)) emitter->m_phase = 0.0f;
}

void TeleportPowerComponent::Update()
{
    if (!owner) return;
    if (m_Emitter) {
        m_Emitter->position = owner->position;
        m_Emitter->flags &= ~OBJ_WORLD_VALID;
    }
    if (m_IsArmed && IsTriggerPressed() && Teleport()) PlayEffect(TELEPORT_SOUND);
    m_IsArmed = m_IsTouched;
    if (GraphicsComponent* graphics = GetGraphicsComponent(owner))
        graphics->SetTextureName(m_IsArmed ? GO_TEXTURE : WAIT_TEXTURE);
    m_IsTouched = false;
}

void TeleportPowerComponent::Free() { ReleaseCompanion(m_Emitter); }

bool TeleportPowerComponent::IsRestingPlace(ObjectType type)
{
    switch (type) {
    case SWITCH:
    case CUBE:
    case CRATE:
    case BARRIER:
    case CRATESPAWNER:
    case CRATESPAWNERTRIGGER:
    case BRIDGE:
    case BRIDGETRIGGER:
    case FALLINGPLATFORM: return true;
    default: return false;
    }
}

void TeleportPowerComponent::OnCollision(GameObject* other)
{
    if (other && IsRestingPlace(other->type)) m_IsTouched = true;
}

void TeleportPowerComponent::Place(GameObject* player, int triggerAction)
{
    m_Player = player;
    m_TriggerAction = triggerAction;
}

bool TeleportPowerComponent::IsTriggerPressed() const
{
    System* system = System::PeekInstance();
    InputInterpreter* input = system ? system->inputInterpreter : nullptr;
    if (!input || m_TriggerAction < 0 || m_TriggerAction >= input->GetBindingCount()) return false;
    return input->GetBinding(m_TriggerAction).IsTriggered(m_TriggerAction);
}

bool TeleportPowerComponent::Teleport()
{
    if (!owner || !m_Player.Refresh()) return false;
    GameObject* player = m_Player.object;
    CreateEmitter(player->position, PARTICLE_IMPLODE, SWAP_EFFECT_COUNT, glm::vec3(0.0f), false);
    CreateEmitter(owner->position, PARTICLE_RING, SWAP_EFFECT_COUNT, glm::vec3(0.0f), false);
    std::swap(player->position, owner->position);
    player->flags &= ~OBJ_WORLD_VALID;
    owner->flags &= ~OBJ_WORLD_VALID;
    if (auto* robot = player->GetComponent<PlayerComponent>()) robot->m_IsPreviewDirty = true;
    return true;
}

} // namespace QRX
