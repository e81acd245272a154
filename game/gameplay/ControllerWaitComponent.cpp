#include "game/gameplay/ControllerWaitComponent.h"

#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/Pads.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

const glm::vec4 TEXT_COLOUR(1.0f, 1.0f, 1.0f, 1.0f);

bool PadConnected(std::uint32_t userIndex)
{
    Platform::XINPUT_STATE state{};
    return Platform::XInputGetState(userIndex, &state) == Platform::ERROR_SUCCESS;
}

} // namespace

bool ControllerWaitComponent::s_TwoPlayerLevel = false;

ControllerWaitComponent::ControllerWaitComponent() : Component(CT_CONTROLLERWAIT)
{
    AddSerializeVar("", "IsOnlyInMultiplayerLevel", &m_IsOnlyInMultiplayerLevel);
    AddEditorVar(&m_IsOnlyInMultiplayerLevel, "isOnlyInMultiplayerLevel", "bool", EDITORVAR_DIRECT, true);
}

void ControllerWaitComponent::Update()
{
    m_IsActiveThisFrame = !m_IsOnlyInMultiplayerLevel || s_TwoPlayerLevel;
    if (!m_IsActiveThisFrame) return;
    const bool padOne = PadConnected(0);
    const bool padTwo = PadConnected(1);
    QueueMessage(padOne, padTwo);
    const bool shown = padOne && padTwo;
    ShowButtons(CT_BUTTONNEXTLEVEL, shown);
    ShowButtons(CT_BUTTONPREVIOUSLEVEL, shown);
    m_IsActiveThisFrame = false;
}

void ControllerWaitComponent::QueueMessage(bool padOne, bool padTwo)
{
    const char* text = nullptr;
    if (!padOne && !padTwo) text = NO_PADS_TEXT;
    else if (!padTwo) text = NO_PAD_TWO_TEXT;
    else if (!padOne) text = NO_PAD_ONE_TEXT;
    System* system = System::PeekInstance();
    if (!text || !system || !system->window || !system->fontManager) return;
    const float width = static_cast<float>(system->window->GetWidth());
    const float height = static_cast<float>(system->window->GetHeight());
    const float x = TEXT_CENTRE_FRACTION * width - TEXT_LEFT_SHIFT_FRACTION * width;
    system->fontManager->AddText(FontManager::POSITION_TOP_LEFT, text, x, height - TEXT_BOTTOM_MARGIN, TEXT_FONT,
                                 TEXT_COLOUR);
}

void ControllerWaitComponent::ShowButtons(Components buttonType, bool shown)
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    // Hidden buttons are inactive, so only the query over every object finds
    // them again.
    for (GameObject* button : objects->GetObjectsWithComponent(buttonType)) {
        if (shown) {
            button->flags &= ~OBJ_SKIP_DRAW;
            button->flags |= OBJ_ACTIVE;
        } else {
            button->flags |= OBJ_SKIP_DRAW;
            button->flags &= ~OBJ_ACTIVE;
        }
    }
}

} // namespace QRX
