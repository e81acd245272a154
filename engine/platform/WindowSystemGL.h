// The window system's side of OpenGL (GLX here).
//
// Kept apart from the rest because the X11 headers define BOOL, as FreeImage
// does: only this unit includes them.
#pragma once
#include <string>

namespace QRX {
namespace Platform {

// Whether the window system offers the named extension (for example
// "GLX_ARB_multisample") for the display of the current OpenGL context.
// False when no context is current.
bool IsWindowSystemExtensionSupported(const std::string& name);

} // namespace Platform
} // namespace QRX
