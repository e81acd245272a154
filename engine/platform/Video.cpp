#include "engine/platform/Video.h"

#include <GL/glew.h>
#include <SDL.h>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>
#endif

#include "engine/platform/Mouse.h"

namespace QRX {
namespace Platform {

namespace {

int g_videoStarts = 0;
std::function<bool()> g_creationHook;

SDL_Window* Sdl(WindowHandle window) { return reinterpret_cast<SDL_Window*>(window); }

void SetError(std::string* error, const std::string& text)
{
    if (error) *error = text;
}

// Keeps every library loaded so far (the GL driver among them) mapped until
// the process ends. The driver's own process-wide caches, filled by the first
// draws, would otherwise outlive its code when the last context goes, and a
// leak checker at exit would report them from frames no library names.
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

void SetPixelFormatAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
}

void SetContextRequestAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, GL_REQUEST_MAJOR);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, GL_REQUEST_MINOR);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
}

DisplayMode FromSdl(const SDL_DisplayMode& m)
{
    DisplayMode mode;
    mode.width = m.w;
    mode.height = m.h;
    mode.refreshRate = m.refresh_rate;
    mode.bitsPerPixel = static_cast<int>(SDL_BYTESPERPIXEL(m.format)) * 8;
    return mode;
}

} // namespace

void PreferSoftwareRendererJit()
{
    // Only unless the user chose flags of their own; other drivers ignore it.
    setenv(SOFTWARE_RENDERER_FLAGS_VARIABLE, SOFTWARE_RENDERER_FLAGS, 0);
}

bool StartVideo(std::string* error)
{
    PreferSoftwareRendererJit();
    // Clicks and drags must not grab the mouse outside the window.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // X11 with GLX unless the user chose otherwise in the environment.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_DEFAULT);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        SetError(error, SDL_GetError());
        return false;
    }
    ++g_videoStarts;
    return true;
}

void StopVideo()
{
    if (g_videoStarts <= 0) return;
    --g_videoStarts;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool IsVideoStarted() { return g_videoStarts > 0; }

bool GetDesktopDisplayMode(DisplayMode* mode)
{
    if (!IsVideoStarted()) return false;
    SDL_DisplayMode m{};
    if (SDL_GetDesktopDisplayMode(0, &m) != 0) return false;
    if (mode) *mode = FromSdl(m);
    return true;
}

std::vector<DisplayMode> GetDisplayModes()
{
    std::vector<DisplayMode> modes;
    if (!IsVideoStarted()) return modes;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(FromSdl(m));
    }
    return modes;
}

bool FindDisplayMode(const std::vector<DisplayMode>& modes, int width, int height, int bitsPerPixel,
                     int refreshRate, DisplayMode* found)
{
    for (const DisplayMode& m : modes) {
        if (m.width != width || m.height != height || m.bitsPerPixel != bitsPerPixel) continue;
        if (refreshRate != 0 && m.refreshRate != refreshRate) continue;
        if (found) *found = m;
        return true;
    }
    return false;
}

bool LoadGLLibrary(std::string* error)
{
    if (SDL_GL_LoadLibrary(nullptr) != 0) {
        SetError(error, SDL_GetError());
        return false;
    }
    return true;
}

void UnloadGLLibrary()
{
#if defined(__SANITIZE_ADDRESS__)
    // A sanitizer build keeps every library loaded so far (the GL driver
    // among them) mapped to the end: the driver's own caches are reported at
    // exit, and only a mapped driver lets the report name the library that
    // the suppression list matches.
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0] == '/')
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
    SDL_GL_UnloadLibrary();
}

WindowHandle CreateGameWindow(const std::string& title, int width, int height, const DisplayMode* mode,
                              std::string* error)
{
    if (g_creationHook && !g_creationHook()) {
        SetError(error, "window creation refused");
        return nullptr;
    }
    SetPixelFormatAttributes();
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    int x = SDL_WINDOWPOS_CENTERED;
    int y = SDL_WINDOWPOS_CENTERED;
    if (mode) {
        flags |= SDL_WINDOW_FULLSCREEN;
        x = 0;
        y = 0;
    }
    SDL_Window* window = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    if (!window) {
        SetError(error, SDL_GetError());
        return nullptr;
    }
    if (mode) {
        // The exact mode found in the display's list, never a neighbour.
        SDL_DisplayMode want{};
        want.w = mode->width;
        want.h = mode->height;
        want.refresh_rate = mode->refreshRate;
        if (SDL_SetWindowDisplayMode(window, &want) != 0) {
            SetError(error, SDL_GetError());
            SDL_DestroyWindow(window);
            return nullptr;
        }
    }
    // The cursor calls measure against the game's window.
    SetCursorWindow(window);
    return reinterpret_cast<WindowHandle>(window);
}

void DestroyGameWindow(WindowHandle window)
{
    if (!window) return;
    if (GetCursorWindow() == Sdl(window)) SetCursorWindow(nullptr);
    SDL_DestroyWindow(Sdl(window));
}

void SetWindowCreationHook(std::function<bool()> hook) { g_creationHook = std::move(hook); }

std::uint32_t GetWindowId(WindowHandle window) { return window ? SDL_GetWindowID(Sdl(window)) : 0; }

void ShowAndFocusWindow(WindowHandle window)
{
    if (!window) return;
    SDL_ShowWindow(Sdl(window));
    SDL_RaiseWindow(Sdl(window));
}

void MinimizeWindow(WindowHandle window)
{
    if (window) SDL_MinimizeWindow(Sdl(window));
}

void RestoreWindow(WindowHandle window)
{
    if (window) SDL_RestoreWindow(Sdl(window));
}

bool LeaveFullscreen(WindowHandle window)
{
    if (!window) return false;
    return SDL_SetWindowFullscreen(Sdl(window), 0) == 0;
}

bool IsFullscreenWindow(WindowHandle window)
{
    return window && (SDL_GetWindowFlags(Sdl(window)) & SDL_WINDOW_FULLSCREEN) != 0;
}

void GetWindowSize(WindowHandle window, int* width, int* height)
{
    int w = 0, h = 0;
    if (window) SDL_GetWindowSize(Sdl(window), &w, &h);
    if (width) *width = w;
    if (height) *height = h;
}

GLContextHandle CreateGLContext(WindowHandle window, bool* fellBack, std::string* error)
{
    if (fellBack) *fellBack = false;
    if (!window) {
        SetError(error, "no window");
        return nullptr;
    }
    SetContextRequestAttributes();
    SDL_GLContext context = SDL_GL_CreateContext(Sdl(window));
    if (context) {
        PinLoadedLibraries();
        return context;
    }

    // The 2.1 request was refused: take whatever the driver gives by default.
    SDL_GL_ResetAttributes();
    SetPixelFormatAttributes();
    if (fellBack) *fellBack = true;
    context = SDL_GL_CreateContext(Sdl(window));
    if (context) PinLoadedLibraries();
    else SetError(error, SDL_GetError());
    return context;
}

bool MakeCurrent(WindowHandle window, GLContextHandle context, std::string* error)
{
    if (SDL_GL_MakeCurrent(Sdl(window), static_cast<SDL_GLContext>(context)) != 0) {
        SetError(error, SDL_GetError());
        return false;
    }
    return true;
}

void DeleteGLContext(GLContextHandle context)
{
    if (context) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
}

bool InitGLExtensions(std::string* error)
{
    glewExperimental = GL_TRUE;
    GLenum result = glewInit();
    if (result != GLEW_OK) {
        SetError(error, reinterpret_cast<const char*>(glewGetErrorString(result)));
        return false;
    }
    glGetError();  // the loader can leave an error behind
    return true;
}

void SetSwapInterval(int interval) { SDL_GL_SetSwapInterval(interval); }

void SwapWindow(WindowHandle window)
{
    if (window) SDL_GL_SwapWindow(Sdl(window));
}

} // namespace Platform
} // namespace QRX
