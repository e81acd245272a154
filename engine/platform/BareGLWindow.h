// The least window an OpenGL program can have: an SDL2 window with an
// OpenGL 2.1 context, double-buffered with a 24-bit depth buffer, and
// nothing else (no messages, no input, no engine). The start-up benchmark's
// reference program draws one frame into it; it is built alone from this
// file, so it links SDL2 and OpenGL only.
#pragma once

namespace QRX::Platform {

class BareGLWindow
{
public:
    BareGLWindow() = default;
    // Closes the window and shuts the video subsystem down.
    ~BareGLWindow();
    BareGLWindow(const BareGLWindow&) = delete;
    BareGLWindow& operator=(const BareGLWindow&) = delete;

    // Starts video, opens a shown window of that client size, centred, and
    // makes its context current. False (nothing left open) on any failure.
    bool Open(const char* title, int width, int height);
    // Shows the frame drawn; nothing when not open.
    void Swap();

private:
    void* m_window = nullptr;   // SDL_Window
    void* m_context = nullptr;  // SDL_GLContext
    bool m_videoStarted = false;
};

} // namespace QRX::Platform
