// Reads a window's icon as the desktop sees it: the window manager's
// _NET_WM_ICON property, through an X connection of the test's own.
#pragma once
#include <cstdint>
#include <vector>

namespace QRX {
namespace TestSupport {

// Per image its width, its height and its pixels as ARGB, one value each;
// empty when the window (an SDL window id) has no icon or is not an X window.
std::vector<unsigned long> ReadWindowIconProperty(std::uint32_t sdlWindowId);

} // namespace TestSupport
} // namespace QRX
