#include "engine/platform/WindowSystemGL.h"

#include <GL/glx.h>

#include <cstring>
#include <sstream>

namespace QRX {
namespace Platform {

bool IsWindowSystemExtensionSupported(const std::string& name)
{
    Display* display = glXGetCurrentDisplay();
    if (!display || name.empty()) return false;
    const char* list = glXQueryExtensionsString(display, DefaultScreen(display));
    if (!list) return false;
    std::istringstream in(list);
    std::string word;
    while (in >> word) {
        if (word == name) return true;
    }
    return false;
}

} // namespace Platform
} // namespace QRX
