// The mouse cursor's display counter, after Win32's ShowCursor.
//
// The cursor is visible while the counter is >= 0. The counter starts at 0.
#pragma once

namespace QRX {
namespace Platform {

// Adds 1 (show) or subtracts 1 (hide) and applies the visibility when video is
// up. Returns the new counter.
int ShowCursor(bool show);

// The counter now.
int CursorDisplayCount();

} // namespace Platform
} // namespace QRX
