#include "engine/graphics/TextComponent.h"

#include <tinyxml2.h>

#include <cstring>
#include <locale>
#include <sstream>

#include "engine/core/Conversions.h"
#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

namespace {

// Reads "r g b a"; a value that is missing or not a number keeps its
// previous value, and so do the ones after it.
void ReadColor(const char* text, glm::vec4& color)
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    for (int i = 0; i < 4; ++i) {
        float value = 0.0f;
        if (!(in >> value)) break;
        color[i] = value;
    }
}

std::string ColorToString(const glm::vec4& color)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    WriteVec4(out, color);
    return out.str();
}

} // namespace

TextComponent::TextComponent() : Component(CT_TEXT) {}

void TextComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* name = e->Name();
        const char* text = ElementText(e);
        if (std::strcmp(name, "drawMe") == 0) {
            if (text) m_drawMe = std::strcmp(text, "true") == 0;
            else QRX_LOG_WARNING("Draw me section is empty!");
        } else if (std::strcmp(name, "Text") == 0) {
            if (text) m_text = text;
        } else if (std::strcmp(name, "Color") == 0) {
            if (text) ReadColor(text, m_color);
        } else if (std::strcmp(name, "FontIdentifier") == 0) {
            if (text) m_fontId = text;
        } else if (std::strcmp(name, "PosX") == 0) {
            if (text) m_posX = FileManager::ConvertToFloat(text);
            else QRX_LOG_WARNING("X-Pos section is empty!");
        } else if (std::strcmp(name, "PosY") == 0) {
            if (text) m_posY = FileManager::ConvertToFloat(text);
            else QRX_LOG_WARNING("Y-Pos section is empty!");
        }
    }
}

void TextComponent::Write(const Component* master)
{
    const TextComponent* m = dynamic_cast<const TextComponent*>(master);
    System* system = System::PeekInstance();
    FileManager* files = system ? system->fileManager : nullptr;
    if (!m || !files || IsEqual(m)) return;

    files->WriteSibling("Component");
    files->WriteChild("Type");
    files->WriteValue(ComponentsToString(CT_TEXT));
    files->WriteSibling("drawMe");
    files->WriteValue(BoolToString(m_drawMe));
    // Offsets laid out with a box are written in the box's file layout.
    float x = m_posX, y = m_posY;
    if (const auto* box = owner ? owner->GetComponent<GUIComponent>() : nullptr) box->ToFileTextOffsets(x, y);
    if (x != m->m_posX) {
        files->WriteSibling("PosX");
        files->WriteValue(FileManager::FloatToString(x));
    }
    if (y != m->m_posY) {
        files->WriteSibling("PosY");
        files->WriteValue(FileManager::FloatToString(y));
    }
    if (m_fontId != m->m_fontId) {
        files->WriteSibling("FontIdentifier");
        files->WriteValue(m_fontId);
    }
    files->WriteSibling("Text");
    files->WriteValue(m_text);
    if (m_color != m->m_color) {
        files->WriteSibling("Color");
        files->WriteValue(ColorToString(m_color));
    }
    files->WriteReturn();
}

bool TextComponent::IsEqual(const Component* other) const
{
    if (!other) return true;
    const TextComponent* t = dynamic_cast<const TextComponent*>(other);
    return t && t->m_text == m_text;
}

void TextComponent::CopyFrom(const Component* other)
{
    const TextComponent* t = dynamic_cast<const TextComponent*>(other);
    if (!t) return;
    m_text = t->m_text;
    m_posX = t->m_posX;
    m_posY = t->m_posY;
    m_fontId = t->m_fontId;
    m_drawMe = t->m_drawMe;
    m_color = t->m_color;
}

void TextComponent::Render() const
{
    if (!owner || !(owner->flags & OBJ_ACTIVE)) return;
    System* system = System::PeekInstance();
    if (!system) return;
    // Only the current state's text shows, not a paused state's underneath.
    const int current = system->objectManager ? system->objectManager->CurrentStateId() : 0;
    if (owner->stateId != current) return;
    if (!system->fontManager) return;
    const float x = owner->position.x + m_posX, y = owner->position.y + m_posY;
    if (InLayout()) system->fontManager->AddLayoutText(m_text, x, y, m_fontId, m_color);
    else system->fontManager->AddText(FontManager::POSITION_CENTRE, m_text, x, y, m_fontId, m_color);
}

bool TextComponent::InLayout() const { return owner && owner->GetComponent<GUIComponent>(); }

float TextComponent::Width(const std::string& text) const
{
    const System* system = System::PeekInstance();
    const FontManager* fonts = system ? system->fontManager : nullptr;
    return fonts ? fonts->TextWidth(m_fontId, text, InLayout()) : -1.0f;
}

} // namespace QRX
