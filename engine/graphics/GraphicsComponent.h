// The graphics component (CT_GRAPHICS): makes a game object visible in the
// 3-D scene.
//
// It names the mesh and texture the renderer's main pass draws for its owner,
// holds the owner's opacity (the draw-order key, always within [0, 1]) and
// specular colour, and carries the mesh's model-space bounds: the bounding
// sphere and the matrices that place the unit debug meshes "sphere" and
// "cubey" over the sphere and the box. It draws nothing itself; gameplay
// changes an object's look only through these fields.
//
// Texture and opacity are each held twice: the object's own (what its file,
// its master or the editor gave it) and the one drawn, which the running game
// changes (a pad's frame, a pressed switch, a fade). The plain setters change
// the drawn one only; the own setters change both. Saves and comparisons use
// the own ones, so no look the game set while playing reaches a file.
//
// In files its data are "Mesh" and "Texture" (each with one child element
// whose text is the id, written as "MeshId" / "TextureId"), "Opacity" (one
// number) and "Specular" (up to four numbers). Reading a mesh or texture
// loads it at once; the first load of a mesh fills the bounds. Comparison
// looks at mesh, own texture and own opacity only (exact floats).
#pragma once
#include <cstdint>
#include <string>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class GraphicsComponent : public Component
{
public:
    static constexpr Components TYPE = CT_GRAPHICS;
    GraphicsComponent();
    ~GraphicsComponent() override = default;

    // Applies "Mesh", "Texture", "Opacity" and "Specular" from the element and
    // its following siblings; other names are skipped, a later element wins.
    // "Mesh"/"Texture" without a child element is a WARNING and keeps the id;
    // an element without text changes nothing.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    // Nothing when equal to the master; otherwise "Component" with "Type" and
    // those of "Mesh", "Texture", "Opacity", "Specular" that differ.
    void Write(const Component* master) override;
    // Same mesh, texture and opacity. True for null, false for another class.
    bool IsEqual(const Component* other) const override;
    // Copies every field of another graphics component; another class or
    // null changes nothing.
    void CopyFrom(const Component* other) override;

    // Loads the mesh through the mesh manager's component road, which fills
    // the bounds when it reads the mesh from its file. Nothing without a mesh
    // manager. True when the id is loaded (or mapped to the default).
    bool LoadMesh();

    // The opacity drawn: stores the value clamped to [0, 1] (NaN gives 0).
    // The running game's fades set this one only.
    void SetOpacity(float value);
    float GetOpacity() const { return m_opacity; }
    // The object's own opacity (read from its file, copied from its master,
    // set in the editor), clamped the same way; sets the drawn one too.
    void SetOwnOpacity(float value);
    float GetOwnOpacity() const { return m_ownOpacity; }
    std::string GetMeshName() const { return m_meshId; }
    void SetMeshName(const std::string& id) { m_meshId = id; }
    // The texture drawn; the running game's looks set this one only.
    std::string GetTextureName() const { return m_textureId; }
    void SetTextureName(const std::string& id) { m_textureId = id; }
    // The object's own texture (read, copied from its master, set in the
    // editor); sets the drawn one too.
    const std::string& GetOwnTextureName() const { return m_ownTextureId; }
    void SetOwnTextureName(const std::string& id);

    std::string m_meshId;
    std::string m_textureId;  // drawn
    glm::mat4 m_sphereMatrix{1.0f};  // places the unit mesh "sphere" over the bounding sphere
    glm::mat4 m_boxMatrix{1.0f};     // places the unit mesh "cubey" over the bounding box
    std::uint32_t m_reservedWord = 0;  // held and copied only
    float m_reservedValue = 0.0f;      // held and copied only
    glm::vec4 m_specular{0.0f};
    glm::vec4 m_secondColour{0.0f};    // held and copied only
    float m_boundingRadius = 1.0f;
    glm::vec3 m_boundingCentre{0.0f};
    glm::vec3 m_boundsMin{-0.5f};      // held and copied only
    glm::vec3 m_boundsMax{0.5f};       // held and copied only
    bool m_flag = false;               // held and copied only

private:
    float m_opacity = 1.0f;
    float m_ownOpacity = 1.0f;
    std::string m_ownTextureId;
};

} // namespace QRX
