// A line of text attached to a game object (CT_TEXT).
//
// Each frame the renderer's text pass calls Render on every text component
// whose draw flag is set; Render queues the line with the font manager in
// position mode 0 (pixels from the window centre, y up) at the owner's x and y
// plus the component's offsets, but only while the owner is active and
// belongs to the current game state, so a paused state's text stays hidden.
// On an object with a GUI component the line is part of the interface's
// layout: the window's rescaling multiplies the offsets by the factors it
// applies to the position, and the line is drawn in the layout's letters
// (FontManager::AddLayoutText), which grow and shrink by the same scale, so
// the whole line, start, middle and end, keeps its place at every size;
// Write gives the offsets back in the box's file layout.
//
// XML: "drawMe" ("true" sets the flag, anything else clears it), "Text",
// "Color" (red green blue alpha), "FontIdentifier", "PosX", "PosY". Two text
// components are equal when their texts are; Write (against the master)
// writes nothing for equal texts and otherwise always "drawMe" and "Text",
// with offsets, font and colour only where they differ.
#pragma once
#include <string>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class TextComponent : public Component
{
public:
    static constexpr Components TYPE = CT_TEXT;
    static constexpr const char* DEFAULT_FONT_ID = "default";

    TextComponent();
    ~TextComponent() override = default;

    // Applies the element and its following siblings; a later element of a
    // name overrides an earlier one, unknown names are skipped.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    // Queues the component on the System's file manager (see above).
    void Write(const Component* master) override;
    // True for null, else when the other is a text component with the same text.
    bool IsEqual(const Component* other) const override;
    // Copies text, offsets, font, draw flag and colour of another text component.
    void CopyFrom(const Component* other) override;

    // Queues the line with the System's font manager when the owner is active
    // and belongs to the current state; nothing without an owner.
    void Render() const;
    // True on an object with a GUI component: the line follows the layout.
    bool InLayout() const;
    // The width in pixels of a text in this line's font and letters; -1
    // without the font.
    float Width(const std::string& text) const;

    std::string m_text;
    bool m_drawMe = false;
    glm::vec4 m_color{1.0f, 1.0f, 1.0f, 1.0f};
    float m_posX = 0.0f;  // pixels added to the owner's position, in its layout
    float m_posY = 0.0f;
    std::string m_fontId = DEFAULT_FONT_ID;
};

} // namespace QRX
