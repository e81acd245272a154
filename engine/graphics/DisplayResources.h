// The graphics side of a display rebuild and of the window's user-interface
// rescale: what the program's start hands to the window's display seam.
//
// A rebuild releases every OpenGL resource of the renderer, the fonts, the
// meshes and the textures while the old context is current, then brings back
// the renderer, the fonts and the shaders at the new size (before the user
// interface is rescaled) and the shadow map and the meshes (after). Textures
// come back through the loading state. Managers that do not exist are skipped.
#pragma once

namespace QRX {

class Window;

void ReleaseDisplayResources();
void RestoreDisplayContext(const Window& window);
void RestoreDisplayScene(const Window& window);

// Fits every object with a GUI component to a width x height window
// (GUIComponent::FitToWindow, which lays out a text component on the same
// object with it); layouts never read are skipped.
void RescaleGUIObjects(int width, int height);

} // namespace QRX
