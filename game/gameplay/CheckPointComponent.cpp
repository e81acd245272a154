#include "game/gameplay/CheckPointComponent.h"

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/objects/GameObject.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

const glm::vec3 EFFECT_UP(0.0f, 1.0f, 0.0f);

} // namespace

int CheckPointComponent::s_Look = CheckPointComponent::LOOK_IDLE;

CheckPointComponent::CheckPointComponent() : Component(CT_CHECKPOINT) {}

void CheckPointComponent::Init()
{
    if (!owner) return;
    m_Emitter = CreateEmitter(owner->position, PARTICLE_FOUNTAIN, EFFECT_COUNT, EFFECT_UP, true);
}

void CheckPointComponent::OnCollision(GameObject* other)
{
    if (!other || !owner || other->type != PLAYER || m_Activated) return;
    m_Activated = true;
    System* system = System::PeekInstance();
    if (system && system->checkpointStore) {
        CheckpointActivation activation;
        activation.playerPosition = other->position;
        system->checkpointStore->Save(activation);
    }
    s_Look = LOOK_ACTIVATED;
    if (m_Emitter) {
        SetEmitter(m_Emitter, PARTICLE_FOUNTAIN_GREEN, EFFECT_COUNT, EFFECT_UP, true);
        m_Emitter->position = owner->position;
        m_Emitter->flags &= ~OBJ_WORLD_VALID;
    }
}

void CheckPointComponent::Update()
{
    if (!owner) return;
    owner->flags |= OBJ_SKIP_DRAW;

    // The own emitter fires once per look change and then removes its
    // object (which is this checkpoint): only data that wants that gives one.
    if (GetParticleEmitter(owner)) {
        int pattern = 0;
        if (s_Look == LOOK_IDLE) {
            s_Look = LOOK_IDLE_SHOWN;
            pattern = PARTICLE_FOUNTAIN;
        } else if (s_Look == LOOK_ACTIVATED) {
            s_Look = LOOK_ACTIVATED_SHOWN;
            pattern = PARTICLE_FOUNTAIN_GREEN;
        }
        if (pattern != 0) SetEmitter(owner, pattern, EFFECT_COUNT, glm::vec3(0.0f), false);
    }

    System* system = System::PeekInstance();
    GameObject* player = system ? system->playerOne : nullptr;
    if (player && (player->flags & OBJ_ALIVE) && s_Look == LOOK_ACTIVATED_SHOWN &&
        player->position.y < LOOK_RESTORE_Y) {
        QRX_LOG_INFO("The robot fell out of the level at %s: back to the checkpoint",
                     PositionText(player->position).c_str());
        if (system->checkpointStore) system->checkpointStore->Restore();
        s_Look = LOOK_IDLE;
    }
}

void CheckPointComponent::Free() { ReleaseCompanion(m_Emitter); }

} // namespace QRX
