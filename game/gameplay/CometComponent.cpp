#include "game/gameplay/CometComponent.h"

#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/MotionCommon.h"

namespace QRX {

const glm::vec3 CometComponent::DEFAULT_DIRECTION(0.0f, -1.0f, 0.0f);

CometComponent::CometComponent() : Component(CT_COMET)
{
    AddSerializeVar("", "Dir", &m_Direction);
    AddSerializeVar("", "Speed", &m_Speed);
    AddSerializeVar("", "LifeTime", &m_LifeTime);

    AddEditorVar(&m_Direction, "dir", "Vec3", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_Speed, "speed", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_LifeTime, "lifeTime", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_Age, "lifeTimeTimer", "float", EDITORVAR_DIRECT, true);
}

glm::vec3 CometComponent::Heading(const glm::vec3& direction) { return UnitOr(direction, DEFAULT_DIRECTION); }

void CometComponent::Init()
{
    if (!owner) return;
    if (!m_Plume) m_Plume = CreateEmitter(owner->position, PLUME_PATTERN, PLUME_COUNT, glm::vec3(0.0f), true);
    m_Direction = Heading(m_Direction);
}

void CometComponent::Update()
{
    if (!owner) return;
    MoveObject(m_Plume, owner->position);
    if (PhysicsComponent* body = GetPhysicsComponent(owner)) body->velocity = m_Direction * m_Speed;
    m_Age += GameplayFrameStep();
    if (m_Age > m_LifeTime) owner->flags |= OBJ_DESTROY;
}

void CometComponent::OnCollision(GameObject* other)
{
    if (!owner || !other || (owner->flags & OBJ_DESTROY)) return;
    CreateEmitter(owner->position, BURST_PATTERN, BURST_COUNT, glm::vec3(0.0f), false);
    owner->flags |= OBJ_DESTROY;
}

void CometComponent::Free() { ReleaseCompanion(m_Plume); }

} // namespace QRX
