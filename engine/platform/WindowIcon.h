// The game window's icon.
//
// On X11 every image goes into the window manager's icon property at once
// (_NET_WM_ICON), so the desktop picks the size it shows: the large icon for
// task switchers, the small one for title bars. Other video drivers take one
// picture, the first (largest) image.
#pragma once
#include <vector>

#include "engine/platform/CursorFile.h"
#include "engine/platform/Video.h"

namespace QRX {
namespace Platform {

// Gives the window these icon images, the large one first. Does nothing
// without a window or without images; images of no size are skipped.
void SetWindowIcon(WindowHandle window, const std::vector<CursorImage>& images);

} // namespace Platform
} // namespace QRX
