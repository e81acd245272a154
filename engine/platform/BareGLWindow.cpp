#include "engine/platform/BareGLWindow.h"

#include <SDL.h>

namespace QRX::Platform {

BareGLWindow::~BareGLWindow()
{
    if (m_context) SDL_GL_DeleteContext(m_context);
    if (m_window) SDL_DestroyWindow(static_cast<SDL_Window*>(m_window));
    if (m_videoStarted) SDL_Quit();
}

bool BareGLWindow::Open(const char* title, int width, int height)
{
    if (m_window) return false;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    m_videoStarted = true;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window) return false;
    m_window = window;
    m_context = SDL_GL_CreateContext(window);
    return m_context != nullptr;
}

void BareGLWindow::Swap()
{
    if (m_window && m_context) SDL_GL_SwapWindow(static_cast<SDL_Window*>(m_window));
}

} // namespace QRX::Platform
