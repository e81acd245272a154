#include "engine/graphics/SoftwareRenderer.h"

#include <GL/glew.h>

#include <cstring>

namespace QRX {

bool IsSoftwareRendererName(const char* rendererName)
{
    if (!rendererName) return false;
    for (const char* software : SOFTWARE_RENDERER_NAMES)
        if (std::strstr(rendererName, software)) return true;
    return false;
}

bool IsSoftwareRenderer()
{
    return IsSoftwareRendererName(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}

} // namespace QRX
