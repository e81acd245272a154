#include "game/flow/TutorialPopupComponent.h"

#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/StateCommon.h"

namespace QRX {

TutorialPopupComponent::TutorialPopupComponent() : Component(CT_TUTORIALPOPUP)
{
    AddSerializeVar("", "IsDisplayed", &m_IsDisplayed);
    AddSerializeVar("", "TutorialTextureID", &m_TutorialTextureID);
    AddSerializeVar("", "DisplayTime", &m_DisplayTime);
    AddEditorVar(&m_IsDisplayed, "m_IsDisplayed", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsUpdateOnCollision, "m_IsUpdateOnCollision", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_TutorialTextureID, "m_TutorialTextureID", "std::string", EDITORVAR_STRING, true);
    AddEditorVar(&m_DisplayTime, "m_DisplayTime", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_DisplayTimeTimer, "m_DisplayTimeTimer", "float", EDITORVAR_DIRECT, true);
}

void TutorialPopupComponent::Init()
{
    m_IsShown = m_IsDisplayed;
    if (m_IsShown) ShowPopup();
}

void TutorialPopupComponent::Update()
{
    if (!m_IsShown || m_DisplayTime < 0.0f) return;
    m_DisplayTimeTimer += static_cast<float>(CappedFrameStep());
    if (m_DisplayTimeTimer >= m_DisplayTime) RemovePopupAndTrigger();
}

void TutorialPopupComponent::OnCollision(GameObject* other)
{
    if (!other || other->type != PLAYER || !m_IsUpdateOnCollision) return;
    m_IsUpdateOnCollision = false;
    m_IsShown = !m_IsShown;
    if (m_IsShown) ShowPopup();
    else RemovePopupAndTrigger();
}

GameObject* TutorialPopupComponent::GetPopup() { return m_Popup.Refresh() ? m_Popup.object : nullptr; }

void TutorialPopupComponent::ShowPopup()
{
    if (GetPopup()) return;
    System* system = System::GetInstance();
    if (!system->objectManager) return;
    GameObject* popup = system->objectManager->CreateInstance(
        SPRITE, glm::vec3(TUTORIAL_POPUP_X, TUTORIAL_POPUP_Y, TUTORIAL_POPUP_Z));
    if (!popup) return;
    popup->scale.x = TUTORIAL_POPUP_WIDTH;
    popup->scale.y = TUTORIAL_POPUP_HEIGHT;
    popup->flags &= ~OBJ_WORLD_VALID;
    if (auto* gui = popup->GetComponent<GUIComponent>()) {
        gui->m_textureId = m_TutorialTextureID;
        gui->m_opacity = 1.0f;
    }
    m_Popup = popup;
    // Copied: removing asks nothing of the manager, but the list is its own.
    const GameObjectGroup triggers = system->objectManager->GetObjectsWithComponent(CT_TUTORIALPOPUP);
    for (GameObject* trigger : triggers) {
        auto* other = trigger->GetComponent<TutorialPopupComponent>();
        if (other && other != this && other->GetPopup()) other->RemovePopupAndTrigger();
    }
    if (system->window) system->window->RescaleUIObjects();
}

void TutorialPopupComponent::RemovePopupAndTrigger()
{
    if (GameObject* popup = GetPopup()) popup->flags |= OBJ_DESTROY;
    m_Popup = nullptr;
    if (owner) owner->flags |= OBJ_DESTROY;
}

} // namespace QRX
