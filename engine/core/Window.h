// The game's one window and its OpenGL context.
//
// Window reads the display configuration ("data/config/config.xml"), opens the
// window (windowed and centred, or full screen in a mode the display lists
// exactly) with a double-buffered 32-bit OpenGL compatibility context, and
// pumps the window messages once a frame through WindowProcedure, which ends
// the frame loop on a close request (logging whether the window was closed or
// the system asked the program to end) and handles focus changes. Switching
// between windowed and full screen, or changing the resolution, tears the
// window and its context down and builds them again; changing mode is set
// for the whole rebuild so that messages arriving meanwhile leave the window
// alone. A rebuild that cannot make a window at all falls back to the
// previous mode, and when that fails too stops the game.
//
// What lives above the window (the renderer's and the managers' OpenGL
// resources, the developer panels, the state that reloads textures) is
// reached through the engine's door (EngineDoor::Display).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "engine/platform/Cursor.h"
#include "engine/platform/CursorFile.h"
#include "engine/platform/SystemInfo.h"
#include "engine/platform/Video.h"
#include "engine/platform/WindowMessages.h"

namespace QRX {

class FileManager;

class Window
{
public:
    static constexpr int DEFAULT_WIDTH = 800;
    static constexpr int DEFAULT_HEIGHT = 600;
    // Larger sides in the configuration are refused (defaults are used).
    static constexpr int MAX_WINDOW_SIDE = 16384;
    static constexpr const char* TITLE = "Zendra";
    // A rebuild waits at most this long for the click that asked for it to
    // be released in the window it was pressed in.
    static constexpr double CLICK_RELEASE_WAIT_SECONDS = 0.5;
    static constexpr const char* CONFIG_PATH = "data/config/config.xml";
    static constexpr const char* CURSOR_PATH = "data\\assets\\arrow.cur";
    // The game's icon: a large and a small image.
    static constexpr const char* ICON_PATH = "data\\assets\\zendra.ico";

    // The display configuration.
    struct DisplayConfig
    {
        int width = DEFAULT_WIDTH;
        int height = DEFAULT_HEIGHT;
        bool fullscreen = false;
    };

    // No window yet: 800 x 600, windowed.
    Window();
    // Releases whatever KillWindow has not.
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Reads the configuration through the System's file manager, then opens
    // the window at the configured size. Returns Create's result, except that
    // full screen refused by the display starts the game windowed at that
    // size (with a WARNING naming it) instead of failing.
    bool Initialize();
    // Reads a display configuration file. A missing file gives the defaults
    // and a WARNING; a size of 0 (or beyond MAX_WINDOW_SIDE) gives the
    // default size and a WARNING. "fullscreen" is on only for "true".
    static DisplayConfig ReadDisplayConfig(FileManager* files, const std::string& path);

    // Opens the window and its context at this client size, full screen when
    // the fullscreen flag is set. True when everything succeeded; false after
    // an ERROR line, or when full screen was refused (the window is then
    // open, windowed, and working).
    bool Create(int width, int height);
    // Dispatches every queued message to WindowProcedure.
    void PumpMessages();
    // Destroys context, window and video set-up; failures are shown in
    // "SHUTDOWN ERROR" boxes and the teardown goes on. restoreDisplay leaves
    // full screen before the window goes.
    void KillWindow(bool restoreDisplay);
    // Presents the frame.
    void SwapBuffers();

    // Handles one message for the System's window; returns the message result.
    static std::int64_t WindowProcedure(const Platform::WindowMessage& message);

    // Logs the machine description at INFO.
    void GetSystemInformation();
    // The description's text as logged.
    static std::string BuildSystemInformationText(const Platform::SystemInformation& info);

    // Rebuilds the window in (or out of) full screen at the current size.
    // False when full screen was refused or the window had to be rebuilt in
    // the previous mode.
    bool SetFullscreen(bool fullscreen);
    // Rebuilds the window at a new client size. A size larger than the
    // desktop (or not positive) is refused at once with no change. True when
    // the window has the new size, also when a full-screen window had to
    // become windowed for it (no full-screen mode of that size; a warning
    // says so). Keys and buttons held count as released in the new window.
    bool ChangeResolution(int width, int height, bool restoreDisplay);
    // Rebuilds the window at its current size and mode.
    void OnResize(bool restoreDisplay);

    // Fits every object with a GUI component to the window size (see
    // RescaleUIObject, and the display seam's rescaleUI, which scales a text
    // component's offsets on the object by the same factors); objects whose
    // layout size was never read are skipped.
    void RescaleUIObjects();
    // Fits one user-interface layout to the window size: position and scale
    // (x and y) grow by window size / layout size, and the layout size becomes
    // the window size. False, with nothing changed, for a layout size of 0.
    static bool RescaleUIObject(glm::vec3& position, glm::vec3& scale, float& layoutWidth, float& layoutHeight,
                                int windowWidth, int windowHeight);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetDesktopWidth() const { return m_desktopWidth; }
    int GetDesktopHeight() const { return m_desktopHeight; }
    bool IsFullscreen() const { return m_fullscreen; }
    bool IsChangingMode() const { return m_changingMode; }
    bool IsDeactivated() const { return m_deactivated; }
    bool HasContext() const { return m_context != nullptr; }
    const Platform::DisplayMode& GetDesktopMode() const { return m_desktopMode; }
    // The id messages name the window by; 0 while there is none.
    std::uint32_t GetWindowId() const;
    // The platform's window, for the platform calls that need one; null
    // while there is none.
    Platform::WindowHandle GetHandle() const { return m_window; }

private:
    // What the rebuild of SetFullscreen and ChangeResolution shares; reports
    // name the calling function.
    bool RebuildDisplay(const char* caller, int width, int height, bool restoreDisplay, bool setFullscreen,
                        bool fullscreen);
    void OnActivate();
    void OnKillFocus();
    void LoadCursor();
    // Gives the new window the game's icon; a missing or unreadable icon file
    // leaves the system's icon, with one WARNING.
    void ApplyIcon();

    bool m_changingMode;
    bool m_deactivated;
    Platform::DisplayMode m_desktopMode;
    Platform::WindowHandle m_window;
    Platform::GLContextHandle m_context;
    bool m_videoStarted;  // stands for the registered window class
    bool m_glLibraryLoaded;
    Platform::CursorHandle m_cursor;
    std::vector<Platform::CursorImage> m_icon;  // read once
    bool m_iconRead;
    int m_width;
    int m_height;
    int m_desktopWidth;
    int m_desktopHeight;
    bool m_fullscreen;
    bool m_fullscreenRefused;  // the last Create opened its window windowed in place of full screen
};

} // namespace QRX
