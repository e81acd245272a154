#include "game/gameplay/SwitchComponent.h"

#include <limits>

#include "engine/objects/GameObject.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

// Counts updates in a row without running past the int range.
void CountUp(int& count)
{
    if (count < std::numeric_limits<int>::max()) ++count;
}

} // namespace

SwitchComponent::SwitchComponent() : Component(CT_SWITCH)
{
    AddSerializeVar("", "Id", &m_Id);
    AddEditorVar(&m_Id, "m_setId", "unsigned", EDITORVAR_DIRECT, true);
}

void SwitchComponent::CopyFrom(const Component* other)
{
    CopySerializeVars(other);
    if (const auto* source = dynamic_cast<const SwitchComponent*>(other)) m_IsPressed = source->m_IsPressed;
}

void SwitchComponent::OnCollision(GameObject* other)
{
    if (other && (other->type == CRATE || other->type == PLAYER)) m_IsPressed = true;
}

void SwitchComponent::Update()
{
    SetTexture(owner, m_IsPressed ? PRESSED_TEXTURE : RELEASED_TEXTURE);
    if (m_IsPressed) {
        CountUp(m_PressCount);
        if (m_PressCount == 1) {
            m_ReleaseCount = 0;
            PlayEffect(ACTIVATE_SOUND);
        }
    } else {
        CountUp(m_ReleaseCount);
        if (m_ReleaseCount == 1) {
            m_PressCount = 0;
            PlayEffect(DEACTIVATE_SOUND);
        }
    }
    m_IsPressed = false;
}

} // namespace QRX
