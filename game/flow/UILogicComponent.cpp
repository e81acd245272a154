#include "game/flow/UILogicComponent.h"

#include <tinyxml2.h>

#include <cstring>

#include "engine/core/Controller.h"
#include "engine/core/Conversions.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/platform/Pads.h"
#include "engine/platform/VirtualKeys.h"

namespace QRX {

namespace {

// One step of a machine that only ends when told to: 1 -> 2, 2 -> 3 when
// ending, 3 -> 0.
int Advance(int state, bool ending)
{
    switch (state) {
    case UI_STATE_BEGUN: return UI_STATE_HOLDING;
    case UI_STATE_HOLDING: return ending ? UI_STATE_ENDED : UI_STATE_HOLDING;
    case UI_STATE_ENDED: return UI_STATE_IDLE;
    default: return state;
    }
}

bool Released(int keyIndex) { return InputManager::current[keyIndex] == 0 && InputManager::previous[keyIndex] == 1; }

// The text of an element, or null (with the warning) when it has none.
const char* TextOrWarn(const tinyxml2::XMLElement* element, bool warn, const char* warning)
{
    const char* text = ElementText(element);
    if (!text && warn) QRX_LOG_WARNING("%s", warning);
    return text;
}

// The text of a string field's element: Write stores a cleared field as an
// element without text, so that is the empty string (with the warning).
std::string StringOrWarn(const tinyxml2::XMLElement* element, bool warn, const char* warning)
{
    const char* text = TextOrWarn(element, warn, warning);
    return text ? text : "";
}

} // namespace

UILogicComponent::UILogicComponent() : Component(CT_UILOGIC) {}

void UILogicComponent::Init() { ApplyTexture(); }

void UILogicComponent::Update()
{
    if (m_UseMouse) {
        FeedPadButton();
        UpdateMouseStates();
    } else if (m_SelectState == UI_STATE_BEGUN) {
        m_SelectState = UI_STATE_HOLDING;
        m_CurrentTexture = m_TextureClicked;
    } else if (m_SelectState == UI_STATE_ENDED) {
        m_SelectState = UI_STATE_IDLE;
        m_CurrentTexture = m_TextureDefault;
    }
    ApplyTexture();
}

void UILogicComponent::FeedPadButton()
{
    System* system = System::GetInstance();
    Controller* pad = system->pad0;
    InputManager* input = system->inputManager;
    if (!pad || !input) return;
    // The keystroke was taken at the end of the last frame; the state is read
    // afresh so an unplugged pad's last press is not replayed.
    Platform::XINPUT_STATE state{};
    if (Platform::XInputGetState(pad->m_userIndex, &state) != Platform::ERROR_SUCCESS) return;
    const Platform::XINPUT_KEYSTROKE& stroke = pad->m_keystroke;
    if (stroke.VirtualKey != Platform::VK_PAD_A) return;
    if (stroke.Flags == Platform::XINPUT_KEYSTROKE_KEYDOWN) input->KeyDown(Platform::VK_LBUTTON);
    else if (stroke.Flags == Platform::XINPUT_KEYSTROKE_KEYUP) input->KeyUp(Platform::VK_LBUTTON);
}

bool UILogicComponent::IsPointOver(int mouseX, int mouseY, int windowWidth, int windowHeight, float positionX,
                                   float positionY, float scaleX, float scaleY)
{
    // Whole-pixel halving, as the window's centre is counted in whole pixels.
    const float px = static_cast<float>(mouseX - windowWidth / 2);
    const float py = static_cast<float>(windowHeight / 2 - mouseY);
    const float halfX = 0.5f * scaleX;
    const float halfY = 0.5f * scaleY;
    return px >= positionX - halfX && px <= positionX + halfX && py >= positionY - halfY && py <= positionY + halfY;
}

bool UILogicComponent::IsMouseOver() const
{
    System* system = System::GetInstance();
    if (!owner || !system->window || !system->inputManager) return false;
    const InputManager& input = *system->inputManager;
    return IsPointOver(input.GetMouseX(), input.GetMouseY(), system->window->GetWidth(),
                       system->window->GetHeight(), owner->position.x, owner->position.y, owner->scale.x,
                       owner->scale.y);
}

void UILogicComponent::UpdateMouseStates()
{
    const bool over = IsMouseOver();
    const bool leftPressed = InputManager::IsTriggered(KEY_LBUTTON);
    const bool rightPressed = InputManager::IsTriggered(KEY_RBUTTON);

    m_HoverState = Advance(m_HoverState, !over);
    m_SelectState = Advance(m_SelectState, !over && leftPressed && !m_IsSticky);
    m_LeftClickState = Advance(m_LeftClickState, Released(KEY_LBUTTON));
    m_RightClickState = Advance(m_RightClickState, Released(KEY_RBUTTON));

    if (over) {
        if (leftPressed) {
            m_LeftClickState = UI_STATE_BEGUN;
            m_SelectState = UI_STATE_BEGUN;
        }
        if (rightPressed) m_RightClickState = UI_STATE_BEGUN;
        if (m_HoverState == UI_STATE_IDLE) m_HoverState = UI_STATE_BEGUN;
    }

    if (m_IsButton == 0) return;
    if (m_HoverState != UI_STATE_IDLE) m_CurrentTexture = m_TextureHover;
    else if (m_LeftClickState == UI_STATE_BEGUN) m_CurrentTexture = m_TextureClicked;
    else m_CurrentTexture = m_TextureDefault;
}

void UILogicComponent::ApplyTexture()
{
    if (!owner) return;
    if (auto* gui = owner->GetComponent<GUIComponent>()) gui->m_textureId = m_CurrentTexture;
}

void UILogicComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* name = e->Name();
        const bool button = m_IsButton != 0;
        if (std::strcmp(name, "UIName") == 0) {
            m_UIName = StringOrWarn(e, true, "Name data section is empty!");
        } else if (std::strcmp(name, "IsButton") == 0) {
            if (const char* text = TextOrWarn(e, true, "IsButton data section is empty!"))
                m_IsButton = FileManager::ConvertToInt(text);
        } else if (std::strcmp(name, "Default") == 0) {
            m_TextureDefault = StringOrWarn(e, button, "TextureDefault for button data section is empty!");
            m_CurrentTexture = m_TextureDefault;
        } else if (std::strcmp(name, "Hover") == 0) {
            m_TextureHover = StringOrWarn(e, button, "TextureHover for button data section is empty!");
        } else if (std::strcmp(name, "Clicked") == 0) {
            m_TextureClicked = StringOrWarn(e, button, "TextureClicked for button data section is empty!");
        } else if (std::strcmp(name, "UseMouse") == 0) {
            if (const char* text = ElementText(e)) m_UseMouse = StringToBool(text);
        }
    }
}

void UILogicComponent::Write(const Component* master)
{
    const UILogicComponent* m = dynamic_cast<const UILogicComponent*>(master);
    FileManager* files = System::GetInstance()->fileManager;
    if (!m || !files || IsEqual(m)) return;

    files->WriteSibling("Component");
    files->WriteChild("Type");
    files->WriteValue(FileManager::ComponentsToString(CT_UILOGIC));
    auto field = [files](const char* name, const std::string& value) {
        files->WriteSibling(name);
        files->WriteValue(value);
    };
    if (m_UIName != m->m_UIName) field("UIName", m_UIName);
    if (m_IsButton != m->m_IsButton) field("IsButton", UIntToString(static_cast<unsigned>(m_IsButton)));
    if (m_TextureDefault != m->m_TextureDefault) field("Default", m_TextureDefault);
    if (m_TextureHover != m->m_TextureHover) field("Hover", m_TextureHover);
    if (m_TextureClicked != m->m_TextureClicked) field("Clicked", m_TextureClicked);
    if (m_UseMouse != m->m_UseMouse) field("UseMouse", BoolToString(m_UseMouse));
    files->WriteReturn();
}

bool UILogicComponent::IsEqual(const Component* other) const
{
    if (!other) return true;
    const UILogicComponent* o = dynamic_cast<const UILogicComponent*>(other);
    // IsButton counts too: a change of it alone must reach the file.
    return o && o->m_UIName == m_UIName && o->m_IsButton == m_IsButton && o->m_TextureDefault == m_TextureDefault &&
           o->m_TextureClicked == m_TextureClicked && o->m_TextureHover == m_TextureHover &&
           o->m_UseMouse == m_UseMouse;
}

void UILogicComponent::CopyFrom(const Component* other)
{
    const UILogicComponent* o = dynamic_cast<const UILogicComponent*>(other);
    if (!o) return;
    m_UIName = o->m_UIName;
    m_Label = o->m_Label;
    m_Value1 = o->m_Value1;
    m_Value2 = o->m_Value2;
    m_HoverState = o->m_HoverState;
    m_SelectState = o->m_SelectState;
    m_LeftClickState = o->m_LeftClickState;
    m_RightClickState = o->m_RightClickState;
    m_IsSticky = o->m_IsSticky;
    m_IsButton = o->m_IsButton;
    m_TextureDefault = o->m_TextureDefault;
    m_TextureHover = o->m_TextureHover;
    m_TextureClicked = o->m_TextureClicked;
    m_CurrentTexture = o->m_CurrentTexture;
    m_UseMouse = o->m_UseMouse;
}

} // namespace QRX
