// A textured flat quad of the user interface (CT_GUI).
//
// The user-interface pass draws every object with this component as its mesh
// ("2dplane" unless copied otherwise) in the window's orthographic space,
// blended by the opacity, which also orders the quads. Positions and scales in
// interface files are laid out for a 1024 x 768 window: Read sets the layout
// size to that, and the window's rescaling (FitToWindow) scales position and
// size by the window size over the layout size (and the offsets of a text
// component on the same object likewise; its letters follow the layout's
// scale too, see TextComponent, so the whole line keeps its place), then
// records the window size. A save writes all of these back in the file's
// 1024 x 768 layout: the very values read while they stand where the
// last fit put them (no float round trip), any changed since then scaled back.
//
// The texture is held twice, as the graphics component's: the object's own
// (read, copied from its master, set in the editor) and the one drawn, which
// the running game changes (a hovered button, an active power's icon).
//
// XML: "Texture" with one child (written "TextureId") naming the texture,
// "Opacity" (not clamped). Equal when own texture ids and opacities are;
// Write (against the master) queues only what differs; the mesh id and the
// layout size are never written.
#pragma once
#include <array>
#include <cstddef>
#include <string>

#include "engine/objects/Component.h"

namespace QRX {

class GUIComponent : public Component
{
public:
    static constexpr Components TYPE = CT_GUI;
    static constexpr const char* DEFAULT_MESH_ID = "2dplane";
    // The window size that interface files are laid out for.
    static constexpr float LAYOUT_WIDTH = 1024.0f;
    static constexpr float LAYOUT_HEIGHT = 768.0f;

    GUIComponent();
    ~GUIComponent() override = default;

    // Loads the mesh, applies "Texture" (loading it) and "Opacity" from the
    // element and its following siblings, then sets the layout size to
    // 1024 x 768, whatever the elements held.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    // Queues the component on the System's file manager (see above).
    void Write(const Component* master) override;
    // True for null, else when the other is a GUI component with the same texture id and
    // exactly the same opacity.
    bool IsEqual(const Component* other) const override;
    // Copies opacity, texture id, mesh id, layout size and the file's place.
    void CopyFrom(const Component* other) override;
    // Fits the owner's x and y position and scale to a window of the size
    // (Window::RescaleUIObject), and the offsets of its text component by the
    // same factors, keeping what they are in the file's layout. False, with
    // nothing changed, without an owner or a layout size.
    bool FitToWindow(int width, int height);
    // The owner's place in the file's layout: each x and y value of position
    // and scale still where the last fit put it becomes the value it was fitted
    // from, any other is scaled by the file's layout size over the current
    // one. Nothing without a layout size.
    void ToFilePlace(glm::vec3& position, glm::vec3& scale) const override;
    // The same for the offsets of a text component on the owner.
    void ToFileTextOffsets(float& x, float& y) const;

    // The object's own texture; setting it sets the drawn one too.
    const std::string& GetOwnTextureName() const { return m_ownTextureId; }
    void SetOwnTextureName(const std::string& id);

    std::string m_textureId;  // drawn; the running game's looks set this one only
    std::string m_meshId = DEFAULT_MESH_ID;
    float m_opacity = 1.0f;
    // The window size the owner's position and scale currently hold for.
    float m_layoutWidth = 0.0f;
    float m_layoutHeight = 0.0f;

private:
    // What a fit scales: position x, y, scale x, y, text offsets x, y.
    using LayoutValues = std::array<float, 6>;
    // One of them, as it stands now, in the file's layout.
    float FileValue(size_t index, float now) const;

    std::string m_ownTextureId;
    LayoutValues m_filePlace{};    // in the file's layout
    LayoutValues m_fittedPlace{};  // as the last fit left them
    bool m_fitted = false;  // cleared by Read: the place is the file's own
};

} // namespace QRX
