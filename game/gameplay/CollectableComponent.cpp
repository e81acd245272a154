#include "game/gameplay/CollectableComponent.h"

#include "engine/objects/GameObject.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

CollectableComponent::CollectableComponent() : Component(CT_COLLECTABLE)
{
    AddEditorVar(&m_IsCollected, "m_IsCollected", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_CollectAnimationTime, "m_CollectAnimationTime", "float", EDITORVAR_DIRECT, true);
}

void CollectableComponent::OnCollision(GameObject* other)
{
    if (other && other->GetComponent(CT_PLAYER)) m_IsCollected = true;
}

void CollectableComponent::Update()
{
    if (!owner || !m_IsCollected) return;
    const float d = GameplayFrameStep();
    m_Elapsed += d;
    if (m_Elapsed <= m_CollectAnimationTime) {
        owner->position.y += RISE_SPEED * d;
        owner->flags &= ~OBJ_WORLD_VALID;
    } else {
        owner->flags |= OBJ_DESTROY;
    }
}

} // namespace QRX
