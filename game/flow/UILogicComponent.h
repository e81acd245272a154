// The logic of a user-interface element (CT_UILOGIC).
//
// It turns a flat user-interface object into an element that follows the
// mouse: each frame it runs four small state machines (hover, selection, left
// click, right click) and picks the texture its owner's GUI component draws.
// It decides nothing: the menu state, the level buttons and the robot's power
// icons read its states and UI name every frame and act on them.
//
// Every machine goes 0 idle -> 1 begun (one frame) -> 2 holding -> 3 ended
// (one frame) -> 0. With UseMouse set the machines follow the pointer and the
// buttons (pad 0's A counts as the left button); with it clear code drives the
// element: it writes selection 1 to show the Clicked texture and 3 to return
// to the Default one, and Update finishes each step.
//
// Rules:
// - The hit test works in pixels from the window centre, y up: the element's
//   rectangle is centred on the owner's x, y with its x, y scale as size; the
//   edges count as over.
// - The transitions of a frame are taken from the states at its start; a state
//   set to 1 in a frame moves to 2 in the next.
// - An owner without a GUI component gets no texture; without an owner, a
//   window or an input manager the element reads as not pointed at.
//
// XML: "UIName", "IsButton" (an integer), "Default", "Hover", "Clicked"
// (texture ids) and "UseMouse". An empty "Default", "Hover" or "Clicked" is
// reported only once "IsButton" has been read as non-zero, so buttons list
// "IsButton" first. Write queues the fields that differ from the master's; a
// cleared name or texture is written as an empty element, which reads back
// as the empty string (with its warning), never as the master's value.
#pragma once
#include <string>

#include "engine/objects/Component.h"

namespace QRX {

// The values of the four state machines.
constexpr int UI_STATE_IDLE = 0;
constexpr int UI_STATE_BEGUN = 1;
constexpr int UI_STATE_HOLDING = 2;
constexpr int UI_STATE_ENDED = 3;

// Sounds every button plays as the pointer enters it and as it is clicked.
constexpr const char* UI_HOVER_SOUND = "mouse_hover.mp3";
constexpr const char* UI_CLICK_SOUND = "mouse_click.mp3";

class UILogicComponent : public Component
{
public:
    static constexpr Components TYPE = CT_UILOGIC;
    UILogicComponent();
    ~UILogicComponent() override = default;

    // Hands the current texture to the owner's GUI component, when it has one.
    void Init() override;
    // One frame: with UseMouse, pad 0's A is fed to the input manager as the
    // left mouse button and the mouse machines run; without it, selection 1
    // becomes 2 (Clicked texture) and 3 becomes 0 (Default texture). Then
    // the owner's GUI component gets the current texture.
    void Update() override;
    // Applies the element and its following siblings by name (see above);
    // unknown names are skipped; an empty element empties a name or texture
    // and keeps IsButton and UseMouse. Null reads nothing.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    // Nothing when equal to the master (or without a file manager); otherwise
    // "Component" with "Type" CT_UILOGIC and every field that differs:
    // "UIName", "IsButton", "Default", "Hover", "Clicked", "UseMouse".
    void Write(const Component* master) override;
    // True for null; false for another class; otherwise whether UI name,
    // IsButton, the three textures and UseMouse are equal.
    bool IsEqual(const Component* other) const override;
    // Copies every field, states and current texture included; nothing from
    // another class.
    void CopyFrom(const Component* other) override;

    std::string GetTextureDefault() const { return m_TextureDefault; }
    std::string GetTextureHover() const { return m_TextureHover; }
    std::string GetTextureClicked() const { return m_TextureClicked; }

    // Whether the mouse is over the owner's rectangle (see the rules above).
    bool IsMouseOver() const;
    // The hit test itself, for a client point (pixels from the top left) of a
    // window of the size given and an element at position with scale.
    static bool IsPointOver(int mouseX, int mouseY, int windowWidth, int windowHeight, float positionX,
                            float positionY, float scaleX, float scaleY);
    // One step of the four mouse machines, then the button texture.
    void UpdateMouseStates();

    std::string m_UIName = "name";
    std::string m_Label = "Label";  // copied with the component only
    float m_Value1 = 0.0f;          // copied with the component only
    float m_Value2 = 0.0f;          // copied with the component only
    int m_HoverState = UI_STATE_IDLE;
    int m_SelectState = UI_STATE_IDLE;
    int m_LeftClickState = UI_STATE_IDLE;
    int m_RightClickState = UI_STATE_IDLE;
    bool m_IsSticky = false;  // a press elsewhere keeps the selection
    int m_IsButton = 0;       // non-zero: the texture follows the mouse states
    std::string m_TextureDefault;
    std::string m_TextureHover;
    std::string m_TextureClicked;
    std::string m_CurrentTexture;  // what the GUI component is handed
    bool m_UseMouse = true;

private:
    // Feeds a press or release of pad 0's A to the input manager as the left
    // mouse button; nothing while the pad is unplugged.
    static void FeedPadButton();
    void ApplyTexture();
};

} // namespace QRX
