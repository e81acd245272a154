#include "game/flow/MenuRobotAnimation.h"

#include "engine/graphics/GUIComponent.h"
#include "engine/objects/GameObject.h"
#include "game/flow/StateCommon.h"

namespace QRX {

namespace {

GUIComponent* OwnerGui(GameObject* owner)
{
    return owner ? owner->GetComponent<GUIComponent>() : nullptr;
}

} // namespace

MenuRobotAnimation::MenuRobotAnimation() : Component(CT_MENUROBOTANIMATION)
{
    AddSerializeVar("", "SwapTime", &m_SwapTime);
}

void MenuRobotAnimation::Init()
{
    if (GUIComponent* gui = OwnerGui(owner)) gui->m_textureId = m_FirstFrame;
}

void MenuRobotAnimation::Update()
{
    m_Timer += static_cast<float>(CappedFrameStep());
    if (m_Timer <= m_SwapTime) return;
    m_Timer = 0.0f;
    if (GUIComponent* gui = OwnerGui(owner))
        gui->m_textureId = gui->m_textureId == m_FirstFrame ? m_SecondFrame : m_FirstFrame;
}

} // namespace QRX
