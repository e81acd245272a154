#include "game/gameplay/GameplayCommon.h"

#include <cstdio>

#include "engine/core/AudioManager.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/flow/StateCommon.h"

namespace QRX {

float GameplayFrameStep() { return static_cast<float>(CappedFrameStep()); }

ObjectManager* Objects()
{
    System* system = System::PeekInstance();
    return system ? system->objectManager : nullptr;
}

GraphicsComponent* GetGraphicsComponent(const GameObject* object)
{
    return object ? object->GetComponent<GraphicsComponent>() : nullptr;
}

ParticleEmitter* GetParticleEmitter(const GameObject* object)
{
    return object ? object->GetComponent<ParticleEmitter>() : nullptr;
}

GravityForceGenerator* GetGravityGenerator(const GameObject* object)
{
    PhysicsComponent* body = GetPhysicsComponent(object);
    return body ? dynamic_cast<GravityForceGenerator*>(body->GetForceGenerator(FG_GRAVITY)) : nullptr;
}

void SetEmitter(GameObject* emitterObject, int pattern, int count, const glm::vec3& direction, bool active)
{
    ParticleEmitter* emitter = GetParticleEmitter(emitterObject);
    if (!emitter) return;
    emitter->m_pattern = pattern;
    emitter->m_count = count;
    emitter->m_direction = direction;
    emitter->m_active = active;
}

GameObject* CreateEmitter(const glm::vec3& position, int pattern, int count, const glm::vec3& direction,
                          bool active)
{
    ObjectManager* objects = Objects();
    GameObject* emitterObject = objects ? objects->CreateInstance(PARTICLEEMITTER, position) : nullptr;
    if (emitterObject) SetEmitter(emitterObject, pattern, count, direction, active);
    return emitterObject;
}

void SetShown(GameObject* object, bool shown)
{
    if (!object) return;
    if (shown) {
        object->flags |= OBJ_ACTIVE;
        object->flags &= ~OBJ_SKIP_DRAW;
    } else {
        object->flags &= ~OBJ_ACTIVE;
        object->flags |= OBJ_SKIP_DRAW;
    }
}

void SetTexture(GameObject* object, const std::string& textureId)
{
    if (GraphicsComponent* graphics = GetGraphicsComponent(object)) graphics->SetTextureName(textureId);
}

void ReleaseCompanion(GameObject*& companion)
{
    if (companion) companion->flags |= OBJ_DESTROY;
    companion = nullptr;
}

void PlayEffect(const std::string& name)
{
    System* system = System::PeekInstance();
    if (system && system->audioManager) system->audioManager->PlaySound(name);
}

std::string PositionText(const glm::vec3& position)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%.2f, %.2f, %.2f)", position.x, position.y, position.z);
    return text;
}

} // namespace QRX
