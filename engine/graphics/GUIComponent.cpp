#include "engine/graphics/GUIComponent.h"

#include <tinyxml2.h>

#include <cstring>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/TextComponent.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"

namespace QRX {

namespace {

// Where FitToWindow keeps each value it scales.
constexpr size_t WIDTH_INDEX = 2, TEXT_X_INDEX = 4;

} // namespace

GUIComponent::GUIComponent() : Component(CT_GUI) {}

void GUIComponent::SetOwnTextureName(const std::string& id)
{
    m_ownTextureId = id;
    m_textureId = id;
}

void GUIComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    System* system = System::PeekInstance();
    if (system && system->meshManager) system->meshManager->LoadMesh(m_meshId);

    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* name = e->Name();
        if (std::strcmp(name, "Texture") == 0) {
            // The child's own name ("TextureId") is not checked.
            const tinyxml2::XMLElement* child = e->FirstChildElement();
            if (!child) {
                QRX_LOG_WARNING("Texture data section is empty!");
                continue;
            }
            const char* id = ElementText(child);
            if (!id) continue;
            SetOwnTextureName(id);
            if (system && system->textureManager) system->textureManager->LoadTexture(m_textureId);
        } else if (std::strcmp(name, "Opacity") == 0) {
            if (const char* text = ElementText(e)) m_opacity = FileManager::ConvertToFloat(text);
        }
    }
    m_layoutWidth = LAYOUT_WIDTH;
    m_layoutHeight = LAYOUT_HEIGHT;
    m_fitted = false;
}

void GUIComponent::Write(const Component* master)
{
    const GUIComponent* m = dynamic_cast<const GUIComponent*>(master);
    System* system = System::PeekInstance();
    FileManager* files = system ? system->fileManager : nullptr;
    if (!m || !files || IsEqual(m)) return;

    files->WriteSibling("Component");
    files->WriteChild("Type");
    files->WriteValue(ComponentsToString(CT_GUI));
    if (m_ownTextureId != m->m_ownTextureId) {
        files->WriteSibling("Texture");
        files->WriteChild("TextureId");
        files->WriteValue(m_ownTextureId);
        files->WriteReturn();
    }
    if (m_opacity != m->m_opacity) {
        files->WriteSibling("Opacity");
        files->WriteValue(FileManager::FloatToString(m_opacity));
    }
    files->WriteReturn();
}

bool GUIComponent::IsEqual(const Component* other) const
{
    if (!other) return true;
    const GUIComponent* g = dynamic_cast<const GUIComponent*>(other);
    return g && g->m_ownTextureId == m_ownTextureId && g->m_opacity == m_opacity;
}

void GUIComponent::CopyFrom(const Component* other)
{
    const GUIComponent* g = dynamic_cast<const GUIComponent*>(other);
    if (!g) return;
    m_opacity = g->m_opacity;
    m_textureId = g->m_textureId;
    m_ownTextureId = g->m_ownTextureId;
    m_meshId = g->m_meshId;
    m_layoutWidth = g->m_layoutWidth;
    m_layoutHeight = g->m_layoutHeight;
    m_filePlace = g->m_filePlace;
    m_fittedPlace = g->m_fittedPlace;
    m_fitted = g->m_fitted;
}

bool GUIComponent::FitToWindow(int width, int height)
{
    if (!owner || m_layoutWidth == 0.0f || m_layoutHeight == 0.0f) return false;
    auto* text = owner->GetComponent<TextComponent>();
    const LayoutValues before = {owner->position.x, owner->position.y, owner->scale.x, owner->scale.y,
                                 text ? text->m_posX : 0.0f, text ? text->m_posY : 0.0f};
    LayoutValues file;
    for (size_t i = 0; i < file.size(); ++i) file[i] = FileValue(i, before[i]);
    const float sx = static_cast<float>(width) / m_layoutWidth, sy = static_cast<float>(height) / m_layoutHeight;
    if (!Window::RescaleUIObject(owner->position, owner->scale, m_layoutWidth, m_layoutHeight, width, height))
        return false;
    owner->flags &= ~OBJ_WORLD_VALID;
    // The line keeps its place within the box: offsets in fixed pixels would
    // leave it outside a smaller box.
    if (text) {
        text->m_posX *= sx;
        text->m_posY *= sy;
    }
    m_filePlace = file;
    m_fittedPlace = {owner->position.x, owner->position.y, owner->scale.x, owner->scale.y,
                     text ? text->m_posX : 0.0f, text ? text->m_posY : 0.0f};
    m_fitted = true;
    return true;
}

float GUIComponent::FileValue(size_t index, float now) const
{
    if (m_fitted && now == m_fittedPlace[index]) return m_filePlace[index];
    const bool across = index % 2 == 0;
    const double layout = across ? LAYOUT_WIDTH : LAYOUT_HEIGHT, current = across ? m_layoutWidth : m_layoutHeight;
    // In double, multiplied before divided: a whole value stays whole.
    return static_cast<float>(static_cast<double>(now) * layout / current);
}

void GUIComponent::ToFilePlace(glm::vec3& position, glm::vec3& scale) const
{
    if (m_layoutWidth == 0.0f || m_layoutHeight == 0.0f) return;
    position.x = FileValue(0, position.x);
    position.y = FileValue(1, position.y);
    scale.x = FileValue(WIDTH_INDEX, scale.x);
    scale.y = FileValue(3, scale.y);
}

void GUIComponent::ToFileTextOffsets(float& x, float& y) const
{
    if (m_layoutWidth == 0.0f || m_layoutHeight == 0.0f) return;
    x = FileValue(TEXT_X_INDEX, x);
    y = FileValue(TEXT_X_INDEX + 1, y);
}

} // namespace QRX
