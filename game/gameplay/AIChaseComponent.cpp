#include "game/gameplay/AIChaseComponent.h"

namespace QRX {

AIChaseComponent::AIChaseComponent() : Component(CT_AICHASE) {}

void AIChaseComponent::Init()
{
    m_Chase.SetOwner(this);
    m_Chase.Reset();
}

void AIChaseComponent::Update() { m_Chase.Update(); }

void AIChaseComponent::CopyFrom(const Component* other)
{
    const AIChaseComponent* chase = dynamic_cast<const AIChaseComponent*>(other);
    if (!chase || chase == this) return;
    m_AIType = chase->m_AIType;
}

} // namespace QRX
