// The system cursor measured against the game window's client area.
//
// The window layer names its window with SetCursorWindow when it creates it
// and clears it (null) before destroying it. Without a window every call
// reports failure and the warp does nothing.
#pragma once

struct SDL_Window;

namespace QRX {
namespace Platform {

// The window the cursor calls measure against; null for none.
void SetCursorWindow(SDL_Window* window);
SDL_Window* GetCursorWindow();

// The cursor in client pixels (y down); may lie outside the client area.
// False without a window.
bool GetCursorClientPosition(int& x, int& y);
// The client area's size in pixels. False without a window.
bool GetCursorWindowSize(int& width, int& height);
// Moves the system cursor to client pixel (x, y). Does nothing without a window.
void WarpCursor(int x, int y);
// Before the window goes: waits, at most `seconds`, while a mouse button is
// held (the click that asked for a new window), so that its release reaches
// the window it was pressed in. A release that went with its window would
// leave the button held for the event layer, which then drops the next press.
void AwaitMouseButtonsUp(double seconds);

} // namespace Platform
} // namespace QRX
