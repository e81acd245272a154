#include "engine/graphics/GraphicsComponent.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"

namespace QRX {

GraphicsComponent::GraphicsComponent() : Component(CT_GRAPHICS) {}

void GraphicsComponent::SetOpacity(float value)
{
    if (std::isnan(value)) value = 0.0f;
    m_opacity = std::max(std::min(value, 1.0f), 0.0f);
}

void GraphicsComponent::SetOwnOpacity(float value)
{
    SetOpacity(value);
    m_ownOpacity = m_opacity;
}

void GraphicsComponent::SetOwnTextureName(const std::string& id)
{
    m_ownTextureId = id;
    m_textureId = id;
}

bool GraphicsComponent::LoadMesh()
{
    System* system = System::PeekInstance();
    MeshManager* meshes = system ? system->meshManager : nullptr;
    if (!meshes) return false;
    MeshBounds bounds;
    bool boundsSet = false;
    const bool ownerIsPlayer = owner && owner->type == PLAYER;
    const bool loaded = meshes->LoadComponentMesh(m_meshId, ownerIsPlayer, bounds, boundsSet);
    if (boundsSet) {
        m_boundingRadius = bounds.sphere.radius;
        m_boundingCentre = bounds.sphere.centre;
        m_sphereMatrix = bounds.sphereMatrix;
        m_boxMatrix = bounds.boxMatrix;
    }
    return loaded;
}

void GraphicsComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* element = firstElement; element; element = element->NextSiblingElement()) {
        const char* name = element->Name();
        if (std::strcmp(name, "Mesh") == 0) {
            const tinyxml2::XMLElement* child = element->FirstChildElement();
            if (!child) {
                QRX_LOG_WARNING("Mesh data section is empty!");
                continue;
            }
            const char* text = ElementText(child);
            if (!text) continue;
            m_meshId = text;
            LoadMesh();
        } else if (std::strcmp(name, "Texture") == 0) {
            const tinyxml2::XMLElement* child = element->FirstChildElement();
            if (!child) {
                QRX_LOG_WARNING("Texture data section is empty!");
                continue;
            }
            const char* text = ElementText(child);
            if (!text) continue;
            SetOwnTextureName(text);
            System* system = System::PeekInstance();
            if (system && system->textureManager) system->textureManager->LoadTexture(m_textureId);
        } else if (std::strcmp(name, "Opacity") == 0) {
            const char* text = ElementText(element);
            if (text) SetOwnOpacity(FileManager::ConvertToFloat(text));
        } else if (std::strcmp(name, "Specular") == 0) {
            const char* text = ElementText(element);
            if (!text) continue;
            glm::vec4 value(0.0f);
            std::istringstream in(text);
            in >> value.x >> value.y >> value.z >> value.w;
            m_specular = value;
        }
    }
}

void GraphicsComponent::Write(const Component* master)
{
    if (IsEqual(master)) return;
    const GraphicsComponent* other = static_cast<const GraphicsComponent*>(master);
    System* system = System::PeekInstance();
    FileManager* fm = system ? system->fileManager : nullptr;
    if (!fm) return;

    fm->WriteSibling("Component");
    fm->WriteChild("Type");
    fm->WriteValue(FileManager::ComponentsToString(type));
    if (m_meshId != other->m_meshId) {
        fm->WriteSibling("Mesh");
        fm->WriteChild("MeshId");
        fm->WriteValue(m_meshId);
        fm->WriteReturn();
    }
    if (m_ownTextureId != other->m_ownTextureId) {
        fm->WriteSibling("Texture");
        fm->WriteChild("TextureId");
        fm->WriteValue(m_ownTextureId);
        fm->WriteReturn();
    }
    if (m_ownOpacity != other->m_ownOpacity) {
        fm->WriteSibling("Opacity");
        fm->WriteValue(FileManager::FloatToString(m_ownOpacity));
    }
    if (m_specular != other->m_specular) {
        std::ostringstream out;
        out << m_specular.x << ' ' << m_specular.y << ' ' << m_specular.z << ' ' << m_specular.w;
        fm->WriteSibling("Specular");
        fm->WriteValue(out.str());
    }
    fm->WriteReturn();
}

bool GraphicsComponent::IsEqual(const Component* other) const
{
    if (!other) return true;
    const GraphicsComponent* g = dynamic_cast<const GraphicsComponent*>(other);
    if (!g) return false;
    return m_meshId == g->m_meshId && m_ownTextureId == g->m_ownTextureId && m_ownOpacity == g->m_ownOpacity;
}

void GraphicsComponent::CopyFrom(const Component* other)
{
    const GraphicsComponent* g = dynamic_cast<const GraphicsComponent*>(other);
    if (!g || g == this) return;
    m_meshId = g->m_meshId;
    m_textureId = g->m_textureId;
    m_sphereMatrix = g->m_sphereMatrix;
    m_boxMatrix = g->m_boxMatrix;
    m_reservedWord = g->m_reservedWord;
    m_reservedValue = g->m_reservedValue;
    m_specular = g->m_specular;
    m_secondColour = g->m_secondColour;
    m_boundingRadius = g->m_boundingRadius;
    m_boundingCentre = g->m_boundingCentre;
    m_boundsMin = g->m_boundsMin;
    m_boundsMax = g->m_boundsMax;
    m_flag = g->m_flag;
    m_opacity = g->m_opacity;
    m_ownOpacity = g->m_ownOpacity;
    m_ownTextureId = g->m_ownTextureId;
}

} // namespace QRX
