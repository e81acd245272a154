#include "support/GLTestContext.h"

#include <GL/glew.h>
#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

namespace QRX {
namespace TestSupport {

namespace {

// Keeps every library loaded so far (the GL driver among them) mapped until
// the process ends. The driver is otherwise unloaded when the display closes:
// the caches its own data still holds then show as leaks at exit, from frames
// that no longer name a library that lsan.supp could match.
void PinLoadedLibraries()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0] == '/')
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

} // namespace

GLTestContext::GLTestContext(int width, int height) : m_width(width), m_height(height)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        m_error = std::string("SDL video: ") + SDL_GetError();
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window* w = SDL_CreateWindow("zendra-test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                     width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w) {
        m_error = std::string("SDL window: ") + SDL_GetError();
        return;
    }
    m_window = w;
    SDL_GLContext c = SDL_GL_CreateContext(w);
    if (!c) {
        m_error = std::string("GL context: ") + SDL_GetError();
        return;
    }
    m_context = c;
    SDL_GL_MakeCurrent(w, c);
    glewExperimental = GL_TRUE;
    GLenum err = glewInit();
    if (err != GLEW_OK) {
        m_error = std::string("GLEW: ") + reinterpret_cast<const char*>(glewGetErrorString(err));
        return;
    }
    glGetError();  // GLEW may leave an error behind
    PinLoadedLibraries();
    glViewport(0, 0, width, height);
    m_ok = true;
}

GLTestContext::~GLTestContext()
{
    if (m_context) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
    if (m_window) SDL_DestroyWindow(static_cast<SDL_Window*>(m_window));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GLTestContext::MakeCurrent()
{
    if (m_window && m_context)
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(m_window), static_cast<SDL_GLContext>(m_context));
}

void GLTestContext::Swap()
{
    if (m_window) SDL_GL_SwapWindow(static_cast<SDL_Window*>(m_window));
}

} // namespace TestSupport
} // namespace QRX
