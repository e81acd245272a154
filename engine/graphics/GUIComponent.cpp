#include "engine/graphics/GUIComponent.h"

#include <tinyxml2.h>

#include <cstring>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"

namespace QRX {

GUIComponent::GUIComponent() : Component(CT_GUI) {}

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
            m_textureId = id;
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
    if (m_textureId != m->m_textureId) {
        files->WriteSibling("Texture");
        files->WriteChild("TextureId");
        files->WriteValue(m_textureId);
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
    return g && g->m_textureId == m_textureId && g->m_opacity == m_opacity;
}

void GUIComponent::CopyFrom(const Component* other)
{
    const GUIComponent* g = dynamic_cast<const GUIComponent*>(other);
    if (!g) return;
    m_opacity = g->m_opacity;
    m_textureId = g->m_textureId;
    m_meshId = g->m_meshId;
    m_layoutWidth = g->m_layoutWidth;
    m_layoutHeight = g->m_layoutHeight;
    m_filePlace = g->m_filePlace;
    m_fittedPlace = g->m_fittedPlace;
    m_fitted = g->m_fitted;
}

namespace {

glm::vec4 PlaceOf(const glm::vec3& position, const glm::vec3& scale)
{
    return glm::vec4(position.x, position.y, scale.x, scale.y);
}

} // namespace

bool GUIComponent::FitToWindow(int width, int height)
{
    if (!owner) return false;
    glm::vec3 filePosition = owner->position, fileScale = owner->scale;
    ToFilePlace(filePosition, fileScale);
    if (!Window::RescaleUIObject(owner->position, owner->scale, m_layoutWidth, m_layoutHeight, width, height))
        return false;
    owner->flags &= ~OBJ_WORLD_VALID;
    m_filePlace = PlaceOf(filePosition, fileScale);
    m_fittedPlace = PlaceOf(owner->position, owner->scale);
    m_fitted = true;
    return true;
}

void GUIComponent::ToFilePlace(glm::vec3& position, glm::vec3& scale) const
{
    if (m_layoutWidth == 0.0f || m_layoutHeight == 0.0f) return;
    const glm::vec4 now = PlaceOf(position, scale);
    glm::vec4 file;
    for (int i = 0; i < 4; ++i) {
        const bool across = i % 2 == 0;
        // In double, multiplied before divided: a whole place stays whole.
        const double scaled = static_cast<double>(now[i]) * (across ? LAYOUT_WIDTH : LAYOUT_HEIGHT) /
                              (across ? m_layoutWidth : m_layoutHeight);
        file[i] = m_fitted && now[i] == m_fittedPlace[i] ? m_filePlace[i] : static_cast<float>(scaled);
    }
    position.x = file[0];
    position.y = file[1];
    scale.x = file[2];
    scale.y = file[3];
}

} // namespace QRX
