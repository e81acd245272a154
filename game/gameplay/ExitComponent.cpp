#include "game/gameplay/ExitComponent.h"

#include "engine/core/System.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/flow/ProfileManager.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/PlayerComponent.h"

namespace QRX {

ExitComponent::ExitComponent() : Component(CT_EXIT)
{
    AddSerializeVar("", "TimeTillNextLevel", &m_TimeTillNextLevel);
    AddEditorVar(&m_TimeTillNextLevel, "timeTillNextLevel", "float", EDITORVAR_DIRECT, true);
}

void ExitComponent::OnCollision(GameObject* other)
{
    if (!other) return;
    if (other->type == PLAYER) {
        if (!m_IsTriggered) Reach(other);
    } else if (other->type == CUBE) {
        if (PhysicsComponent* body = GetPhysicsComponent(owner)) body->velocity.y = CUBE_BOUNCE_VELOCITY;
    }
}

void ExitComponent::Reach(GameObject* robot)
{
    if (!m_IsVictoryPlayed) PlayEffect(VICTORY_SOUND);
    m_IsVictoryPlayed = true;

    System* system = System::PeekInstance();
    if (ProfileManager* profiles = system ? system->profileManager : nullptr) {
        if (Profile* current = profiles->GetCurrentProfile()) {
            ++current->levelsCompleted;
            profiles->SaveProfiles();
        }
    }
    m_IsTriggered = true;

    if (owner) CreateEmitter(owner->position + glm::vec3(0.0f, BURST_HEIGHT, 0.0f), PARTICLE_FLICKER, BURST_COUNT,
                             glm::vec3(0.0f), false);
    auto* player = robot->GetComponent<PlayerComponent>();
    if (player) player->StartSpawnEffect(false);
    if (owner) {
        owner->flags |= OBJ_SKIP_DRAW;
        if (CollisionComponent* collision = GetCollisionComponent(owner)) collision->active = false;
    }
    if (player && player->m_IsMainPlayer) m_IsMainPlayerReached = true;
}

void ExitComponent::Update()
{
    if (!m_IsTriggered) return;
    m_Timer += GameplayFrameStep();
    if (m_Timer <= m_TimeTillNextLevel) return;
    System* system = System::PeekInstance();
    GameStateManager* states = system ? system->gameStateManager : nullptr;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    if (!levels) return;
    // A level that is its own successor (a free load) starts again.
    const int row = FindLevelTableRow(states->GetCurrentState());
    if (row >= 0 && GetLevelTable()[row].nextStateId == states->GetCurrentState()) states->RequestReload();
    else levels->GoToNextLevel();
}

} // namespace QRX
