// The video layer: display modes, the game's window and its OpenGL context.
//
// Video runs on SDL's X11 driver with GLX (the extension loader is built for
// GLX); an SDL_VIDEODRIVER set in the environment still wins. StartVideo and
// StopVideo are counted like SDL's own subsystem calls: every successful start
// needs one stop. A window is created with the game's pixel format (RGBA
// 8/8/8/8, depth 24, stencil 8, double-buffered, no multisampling) and any
// visual, accelerated or not, so Mesa's software renderer is accepted.
// Full screen takes only a mode that the display lists exactly.
//
// Mesa's software renderer (llvmpipe) draws simple passes (copies, blurs,
// full-screen quads) through a fixed-point "linear" path that on this game's
// passes is slower than its compiled shaders; StartVideo asks for the compiled
// shaders (LP_PERF=no_linear) before any GL library loads, unless LP_PERF is
// already set. Other drivers never read the variable.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace QRX {
namespace Platform {

struct NativeWindow;
using WindowHandle = NativeWindow*;
using GLContextHandle = void*;

struct DisplayMode
{
    int width = 0;
    int height = 0;
    int refreshRate = 0;   // Hz; 0 when the display does not say
    int bitsPerPixel = 0;  // storage bits of one pixel (32 for 8-bit RGB)
};

// The depth a full-screen mode must have.
constexpr int FULLSCREEN_BITS_PER_PIXEL = 32;
// The OpenGL version the context asks for (a compatibility context).
constexpr int GL_REQUEST_MAJOR = 2;
constexpr int GL_REQUEST_MINOR = 1;

// The software renderer's tuning variable and the flags the game asks for.
constexpr const char* SOFTWARE_RENDERER_FLAGS_VARIABLE = "LP_PERF";
constexpr const char* SOFTWARE_RENDERER_FLAGS = "no_linear";

// Sets the software renderer's flags unless the environment has its own; the
// driver reads them once, when the first context of the process is made.
void PreferSoftwareRendererJit();
// Starts the video subsystem (after PreferSoftwareRendererJit); on failure
// returns false and sets the error.
bool StartVideo(std::string* error);
// Undoes one successful StartVideo.
void StopVideo();
bool IsVideoStarted();

// The mode of the desktop (display 0). False when video is not started.
bool GetDesktopDisplayMode(DisplayMode* mode);
// Every mode display 0 offers; empty when video is not started.
std::vector<DisplayMode> GetDisplayModes();
// The first mode of the list with exactly this size and depth, and this
// refresh rate unless refreshRate is 0. False when there is none: a size the
// display does not list is never replaced by a neighbour.
bool FindDisplayMode(const std::vector<DisplayMode>& modes, int width, int height, int bitsPerPixel,
                     int refreshRate, DisplayMode* found);

// Loads the OpenGL library (counted; one unload per load).
bool LoadGLLibrary(std::string* error);
void UnloadGLLibrary();

// Creates the hidden game window: windowed (fixed size, centred, with a title
// bar and a close box) when mode is null, else full screen in that mode. The
// cursor calls (Mouse.h) measure against it until it is destroyed. Null on
// failure, with the error set.
WindowHandle CreateGameWindow(const std::string& title, int width, int height, const DisplayMode* mode,
                              std::string* error);
void DestroyGameWindow(WindowHandle window);
// Lets tests refuse window creation: while the hook returns false,
// CreateGameWindow fails. An empty hook restores normal creation.
void SetWindowCreationHook(std::function<bool()> hook);
// The id that events name the window by; 0 for no window.
std::uint32_t GetWindowId(WindowHandle window);
// Shows the window, raises it and gives it the keyboard focus.
void ShowAndFocusWindow(WindowHandle window);
void MinimizeWindow(WindowHandle window);
// Brings a minimised window back.
void RestoreWindow(WindowHandle window);
// Switches a full-screen window back to the desktop mode.
bool LeaveFullscreen(WindowHandle window);
bool IsFullscreenWindow(WindowHandle window);
// The client size.
void GetWindowSize(WindowHandle window, int* width, int* height);

// Creates the context for the window: OpenGL 2.1 with no profile and no
// flags (a compatibility context). When that is refused, retries with the
// default attributes and sets *fellBack. Null on failure, with the error.
GLContextHandle CreateGLContext(WindowHandle window, bool* fellBack, std::string* error);
// Makes the context current on the window; null, null releases the current one.
bool MakeCurrent(WindowHandle window, GLContextHandle context, std::string* error);
void DeleteGLContext(GLContextHandle context);
// Loads the OpenGL entry points for the current context.
bool InitGLExtensions(std::string* error);
// Sets the swap interval (0: no waiting for the vertical blank).
void SetSwapInterval(int interval);
// Presents the back buffer.
void SwapWindow(WindowHandle window);

} // namespace Platform
} // namespace QRX
