#include "game/gameplay/ExplodeComponent.h"

#include <cmath>

#include "engine/core/AudioManager.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

const glm::vec3 STRAIGHT_UP(0.0f, 1.0f, 0.0f);

bool IsBreakable(ObjectType type) { return type == CRATE || type == BARRIER; }

bool IsPushable(ObjectType type) { return IsBreakable(type) || type == HOVERINGPLATFORM; }

// The main player while it is in play, or null.
GameObject* LiveMainPlayer()
{
    System* system = System::PeekInstance();
    GameObject* player = system ? system->playerOne : nullptr;
    return player && (player->flags & OBJ_ALIVE) && player->type == PLAYER ? player : nullptr;
}

} // namespace

ExplodeComponent::ExplodeComponent() : Component(CT_EXPLODE) {}

void ExplodeComponent::Init()
{
    if (!owner || m_Emitter) return;
    m_Emitter = CreateEmitter(owner->position, PARTICLE_SPARK, SPARK_COUNT, glm::vec3(0.0f), true);
}

void ExplodeComponent::Update()
{
    if (!owner) return;
    if (m_Emitter) {
        m_Emitter->position = owner->position;
        m_Emitter->flags &= ~OBJ_WORLD_VALID;
    }
    if (GraphicsComponent* graphics = GetGraphicsComponent(owner)) graphics->SetTextureName(CRATE_TEXTURE);
}

void ExplodeComponent::Free() { ReleaseCompanion(m_Emitter); }

bool ExplodeComponent::IsSetOffBy(ObjectType type)
{
    return type != PLAYER && type != CONVEYORBELT && type != FORCEFIELD && type != CRATEFORCEFIELD;
}

glm::vec3 ExplodeComponent::PushDirection(const glm::vec3& centre, const glm::vec3& position)
{
    const glm::vec3 offset = position - centre;
    const float length = glm::length(offset);
    if (!(length > 0.0f) || !std::isfinite(length)) return STRAIGHT_UP;
    return offset / length;
}

void ExplodeComponent::OnCollision(GameObject* other)
{
    if (m_HasExploded || !owner || !other || !IsSetOffBy(other->type)) return;
    const glm::vec3 centre = owner->position;
    Blast(centre);

    m_HasExploded = true;
    owner->flags |= OBJ_DESTROY;
    if (IsBreakable(other->type)) other->flags |= OBJ_DESTROY;
    CreateEmitter(centre, PARTICLE_BURST, BLAST_COUNT, glm::vec3(0.0f), false);

    System* system = System::PeekInstance();
    GameObject* listener = LiveMainPlayer();
    if (listener && system->audioManager) system->audioManager->PlaySoundAt(EXPLOSION_SOUND, centre, listener->position);
    if (system && system->camera) system->camera->StartShake();
}

void ExplodeComponent::Blast(const glm::vec3& centre)
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    const float destroySquared = m_DestroyRadius * m_DestroyRadius;
    const float pushSquared = m_PushRadius * m_PushRadius;
    // A copy: the debris effects are made while walking.
    const GameObjectGroup around = objects->GetActiveObjectsWithComponent(CT_COLLISION);
    for (GameObject* object : around) {
        if (object == owner || !IsPushable(object->type)) continue;
        const glm::vec3 offset = object->position - centre;
        const float distanceSquared = glm::dot(offset, offset);
        const glm::vec3 direction = PushDirection(centre, object->position);
        if (IsBreakable(object->type) && distanceSquared <= destroySquared) {
            object->flags |= OBJ_DESTROY;
            CreateEmitter(object->position, PARTICLE_SMOKE, DEBRIS_COUNT, direction, false);
        }
        if (!(distanceSquared <= pushSquared)) continue;
        PhysicsComponent* body = GetPhysicsComponent(object);
        if (!body) continue;
        glm::vec3 push = direction * m_PushStrength;
        push.y = body->velocity.y;
        body->flags |= BODY_AWAKE;
        body->forceAccum += push;
    }
}

} // namespace QRX
