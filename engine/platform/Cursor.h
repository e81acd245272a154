// The mouse cursor's display counter, after Win32's ShowCursor.
//
// The cursor is visible while the counter is >= 0. The counter starts at 0.
// The counter outlives the video subsystem: ReapplyCursorDisplay applies it
// again to a newly started one. Cursor images need video to be started.
#pragma once

namespace QRX {
namespace Platform {

// Adds 1 (show) or subtracts 1 (hide) and applies the visibility when video is
// up. Returns the new counter.
int ShowCursor(bool show);

// The counter now.
int CursorDisplayCount();

// Applies the counter's visibility (after video was started again).
void ReapplyCursorDisplay();

struct CursorImage;
using CursorHandle = void*;

// A colour cursor from a decoded image; null when it cannot be made.
CursorHandle CreateColourCursor(const CursorImage& image);
// The system's arrow; null when it cannot be made.
CursorHandle CreateArrowCursor();
// Makes the cursor the one shown over the game's window.
void SetActiveCursor(CursorHandle cursor);
void FreeCursor(CursorHandle cursor);

} // namespace Platform
} // namespace QRX
