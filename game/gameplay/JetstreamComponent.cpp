#include "game/gameplay/JetstreamComponent.h"

#include "engine/objects/GameObject.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/MotionCommon.h"

namespace QRX {

JetstreamComponent::JetstreamComponent() : Component(CT_JETSTREAM) {}

void JetstreamComponent::Init()
{
    if (!owner || m_Emitter) return;
    m_Emitter = CreateEmitter(owner->position, PLUME_PATTERN, PLUME_COUNT, glm::vec3(0.0f), true);
}

void JetstreamComponent::Update()
{
    if (owner) MoveObject(m_Emitter, owner->position);
}

void JetstreamComponent::Free() { ReleaseCompanion(m_Emitter); }

} // namespace QRX
