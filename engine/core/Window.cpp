#include "engine/core/Window.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/core/EngineDoor.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/platform/CursorFile.h"
#include "engine/platform/FilePath.h"
#include "engine/platform/MessageBox.h"
#include "engine/platform/MessagePump.h"
#include "engine/platform/Mouse.h"
#include "engine/platform/VirtualKeys.h"
#include "engine/platform/WindowIcon.h"

namespace QRX {

namespace {

const char* const SHUTDOWN_ERROR = "SHUTDOWN ERROR";

void ShutdownError(const char* text)
{
    Platform::ShowMessageBox(text, SHUTDOWN_ERROR, Platform::MB_OK | Platform::MB_ICONINFORMATION);
}

} // namespace

Window::Window()
    : m_changingMode(false), m_deactivated(false), m_window(nullptr), m_context(nullptr), m_videoStarted(false),
      m_glLibraryLoaded(false), m_cursor(nullptr), m_iconRead(false), m_width(DEFAULT_WIDTH),
      m_height(DEFAULT_HEIGHT), m_desktopWidth(0), m_desktopHeight(0), m_fullscreen(false),
      m_fullscreenRefused(false)
{
}

Window::~Window()
{
    if (m_window || m_context || m_videoStarted) KillWindow(true);
}

Window::DisplayConfig Window::ReadDisplayConfig(FileManager* files, const std::string& path)
{
    DisplayConfig config;
    if (files && files->OpenFile(path)) {
        files->ReadGenericData(path);
        unsigned width = files->ReadData<unsigned>(path, "width", 0);
        unsigned height = files->ReadData<unsigned>(path, "height", 0);
        config.fullscreen = files->ReadData<std::string>(path, "fullscreen", 0) == "true";
        const unsigned limit = static_cast<unsigned>(MAX_WINDOW_SIDE);
        if (width == 0 || height == 0 || width > limit || height > limit) {
            // A zero size would open an empty window; keep a usable one.
            QRX_LOG_WARNING("config.xml holds no usable window size (%u x %u). Defaulting to %d x %d.", width,
                            height, DEFAULT_WIDTH, DEFAULT_HEIGHT);
        } else {
            config.width = static_cast<int>(width);
            config.height = static_cast<int>(height);
        }
    } else {
        QRX_LOG_WARNING("Unable to open config.xml. Defaulting to preconfigured options.");
    }
    if (files) files->CloseFile(path);
    return config;
}

bool Window::Initialize()
{
    System* system = System::PeekInstance();
    DisplayConfig config = ReadDisplayConfig(system ? system->fileManager : nullptr, CONFIG_PATH);
    m_width = config.width;
    m_height = config.height;
    m_fullscreen = config.fullscreen;

    // The desktop size is read with video held up, so that Create does not
    // connect to the display a second time.
    const bool held = Platform::StartVideo(nullptr);
    Platform::DisplayMode desktop;
    if (held && Platform::GetDesktopDisplayMode(&desktop)) {
        m_desktopWidth = desktop.width;
        m_desktopHeight = desktop.height;
    }
    bool result = Create(m_width, m_height);
    // Full screen at a size the display does not list must not lock the
    // player out: the game starts in the window Create opened instead.
    if (!result && m_fullscreenRefused) {
        QRX_LOG_WARNING("The display offers no full-screen mode of %d x %d: starting windowed at that size.",
                        m_width, m_height);
        result = true;
    }
    if (held) Platform::StopVideo();
    return result;
}

void Window::LoadCursor()
{
    if (m_cursor) return;
    Platform::CursorImage image;
    std::string reason;
    const std::string path = Platform::ResolvePath(CURSOR_PATH);
    if (Platform::ReadCursorFile(path, &image, &reason)) {
        m_cursor = Platform::CreateColourCursor(image);
        if (!m_cursor) reason = "the system refused the image";
    }
    if (!m_cursor) {
        QRX_LOG_WARNING("Unable to load cursor %s (%s). Using the system arrow.", CURSOR_PATH, reason.c_str());
        m_cursor = Platform::CreateArrowCursor();
    }
    Platform::SetActiveCursor(m_cursor);
}

void Window::ApplyIcon()
{
    if (!m_iconRead) {
        m_iconRead = true;
        std::string reason;
        if (!Platform::ReadIconFile(Platform::ResolvePath(ICON_PATH), &m_icon, &reason)) {
            m_icon.clear();
            QRX_LOG_WARNING("Unable to load icon %s (%s). The window keeps the system's icon.", ICON_PATH,
                            reason.c_str());
        }
    }
    Platform::SetWindowIcon(m_window, m_icon);
}

bool Window::Create(int width, int height)
{
    std::string error;
    m_fullscreenRefused = false;
    // The video set-up stands for the window class with its cursor.
    if (!m_videoStarted) {
        if (!Platform::StartVideo(&error)) {
            QRX_LOG_ERROR("Failed to register the window class. Aborting");
            QRX_LOG_DEBUG("Video: %s", error.c_str());
            return false;
        }
        m_videoStarted = true;
        Platform::ReapplyCursorDisplay();
    }
    LoadCursor();

    QRX_LOG_DEBUG("Fullscreen? %s", m_fullscreen ? "Yes" : "No");

    Platform::GetDesktopDisplayMode(&m_desktopMode);

    // Full screen only in a mode the display lists with exactly this size;
    // the desktop's refresh rate is asked for first when the size fits it.
    bool fullscreenRefused = false;
    Platform::DisplayMode mode;
    if (m_fullscreen) {
        const std::vector<Platform::DisplayMode> modes = Platform::GetDisplayModes();
        const bool fits = width <= m_desktopMode.width && height <= m_desktopMode.height;
        bool found = Platform::FindDisplayMode(modes, width, height, Platform::FULLSCREEN_BITS_PER_PIXEL,
                                               fits ? m_desktopMode.refreshRate : 0, &mode);
        if (!found && fits)
            found = Platform::FindDisplayMode(modes, width, height, Platform::FULLSCREEN_BITS_PER_PIXEL, 0, &mode);
        if (!found) {
            m_fullscreen = false;
            QRX_LOG_ERROR("The requested fullscreen mode is not supported by your video card. Reverting back to windowed mode.");
            fullscreenRefused = true;
        }
    }

    if (!m_glLibraryLoaded) {
        if (!Platform::LoadGLLibrary(&error)) {
            QRX_LOG_ERROR("Can't find a suitable pixelformat. One reason might be due to non-presence of OpenGL. Aborting.");
            QRX_LOG_DEBUG("Video: %s", error.c_str());
            return false;
        }
        m_glLibraryLoaded = true;
    }

    m_window = Platform::CreateGameWindow(TITLE, width, height, m_fullscreen ? &mode : nullptr, &error);
    if (!m_window) {
        QRX_LOG_ERROR("Window creation error. Aborting.");
        QRX_LOG_DEBUG("Video: %s", error.c_str());
        return false;
    }
    ApplyIcon();

    bool fellBack = false;
    m_context = Platform::CreateGLContext(m_window, &fellBack, &error);
    if (fellBack) {
        std::fputs("Unable to request for a 2.1 OGL context.\n", stdout);
        std::fflush(stdout);
    }
    if (!m_context) {
        QRX_LOG_ERROR("Can't create a GL rendering context. Aborting.");
        QRX_LOG_DEBUG("Video: %s", error.c_str());
        return false;
    }
    if (!Platform::MakeCurrent(m_window, m_context, &error)) {
        QRX_LOG_ERROR("Can't activate the GL rendering context. Aborting.");
        QRX_LOG_DEBUG("Video: %s", error.c_str());
        return false;
    }
    // Every new context needs its entry points loaded again.
    if (!Platform::InitGLExtensions(&error)) {
        QRX_LOG_ERROR("Unable to load the OpenGL entry points (%s). Aborting.", error.c_str());
        return false;
    }
    // The frame-rate controller paces the loop, not the display.
    Platform::SetSwapInterval(0);

    Platform::ShowAndFocusWindow(m_window);
    m_width = width;
    m_height = height;
    GetSystemInformation();
    m_fullscreenRefused = fullscreenRefused;
    return !fullscreenRefused;
}

void Window::PumpMessages()
{
    std::vector<Platform::WindowMessage> messages;
    // The id is read for every event: a message may rebuild the window, and
    // what is still queued for the old one is then dropped.
    while (Platform::PollWindowMessages(GetWindowId(), messages))
        for (const Platform::WindowMessage& message : messages) WindowProcedure(message);
}

void Window::KillWindow(bool restoreDisplay)
{
    if (m_fullscreen && restoreDisplay && m_window) Platform::LeaveFullscreen(m_window);
    if (m_context) {
        if (!Platform::MakeCurrent(nullptr, nullptr, nullptr)) ShutdownError("Release Of DC And RC Failed.");
        Platform::DeleteGLContext(m_context);
        m_context = nullptr;
    }
    if (m_window) {
        Platform::DestroyGameWindow(m_window);
        m_window = nullptr;
    }
    if (m_cursor) {
        Platform::FreeCursor(m_cursor);
        m_cursor = nullptr;
    }
    if (m_glLibraryLoaded) {
        Platform::UnloadGLLibrary();
        m_glLibraryLoaded = false;
    }
    if (m_videoStarted) {
        Platform::StopVideo();
        m_videoStarted = false;
    }
}

void Window::SwapBuffers()
{
    if (m_window) Platform::SwapWindow(m_window);
}

std::uint32_t Window::GetWindowId() const { return Platform::GetWindowId(m_window); }

std::int64_t Window::WindowProcedure(const Platform::WindowMessage& message)
{
    using namespace Platform;
    System* system = System::PeekInstance();
    InputManager* input = system ? system->inputManager : nullptr;
    // While the panels are shown they see every message first; what they use
    // (a click on a panel) goes no further.
    const EngineDoor::Display& display = Door().display;
    if (display.takeMessage && display.takeMessage(message)) return 0;
    switch (message.message) {
    case WM_CREATE:
    case WM_MOVE:
    case WM_SIZE:
    case WM_SIZING:
    case WM_MOVING:
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        return 0;
    case WM_DESTROY:
        // A quit message would not end the frame loop anyway: only the
        // running bit does.
        return 0;
    case WM_ACTIVATE:
        if (system && system->window) system->window->OnActivate();
        // Even during a rebuild: only what the focus loss switched off comes back.
        if (system && system->audioManager) system->audioManager->RestoreAfterFocusGain();
        return 0;
    case WM_KILLFOCUS:
        if (system && system->window) system->window->OnKillFocus();
        if (system && system->audioManager) system->audioManager->MuteForFocusLoss();
        return 0;
    case WM_CLOSE:
        // The window itself goes at shut-down.
        if (system)
            system->RequestQuit(message.wParam == CLOSE_BY_QUIT_EVENT
                                    ? "the system asked the program to end (SIGTERM, SIGINT, SIGHUP or the session)"
                                    : "the window was closed");
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (input) input->KeyDown(static_cast<std::uint32_t>(message.wParam));
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (input) input->KeyUp(static_cast<std::uint32_t>(message.wParam));
        return 0;
    case WM_CHAR:
        if (input) input->OnCharacter(message.wParam);
        return 0;
    case WM_MOUSEMOVE:
        if (input) input->OnMouseMove(message.lParam);
        return 0;
    case WM_LBUTTONDOWN:
        if (input) input->KeyDown(VK_LBUTTON);
        return 0;
    case WM_LBUTTONUP:
        if (input) input->KeyUp(VK_LBUTTON);
        return 0;
    case WM_RBUTTONDOWN:
        if (input) input->KeyDown(VK_RBUTTON);
        return 0;
    case WM_RBUTTONUP:
        if (input) input->KeyUp(VK_RBUTTON);
        return 0;
    case WM_MBUTTONDOWN:
        if (input) input->KeyDown(VK_MBUTTON);
        return 0;
    case WM_MBUTTONUP:
        if (input) input->KeyUp(VK_MBUTTON);
        return 0;
    case WM_MOUSEWHEEL:
        if (input) input->OnMouseWheel(message.wParam);
        return 0;
    case WM_SYSCOMMAND:
        // The screen saver and monitor power-off commands are swallowed; no
        // other command has default processing on this platform.
        return 0;
    default:
        // Nothing has default processing on this platform.
        return 0;
    }
}

void Window::OnKillFocus()
{
    if (m_changingMode) return;
    m_deactivated = true;
    if (m_fullscreen) {
        // Give the desktop its own mode back while the game is away.
        Platform::LeaveFullscreen(m_window);
        Platform::MinimizeWindow(m_window);
    }
}

void Window::OnActivate()
{
    if (!m_changingMode && m_deactivated && m_fullscreen) {
        // Back from the desktop: rebuild the full-screen mode.
        Platform::RestoreWindow(m_window);
        OnResize(false);
    }
    m_deactivated = false;
}

void Window::GetSystemInformation()
{
    Platform::SystemInformation info;
    if (!Platform::QuerySystemInformation(&info)) {
        QRX_LOG_WARNING("Retrieving system information failed.");
        return;
    }
    QRX_LOG_INFO("%s", BuildSystemInformationText(info).c_str());
}

std::string Window::BuildSystemInformationText(const Platform::SystemInformation& info)
{
    using Platform::Architecture;
    std::ostringstream s;
    s << "Retrieving system information..." << "\n  Hardware information: \n";
    s << "    OEM ID: " << info.oemId << "\n";
    s << "    Number of logical processors: " << info.logicalProcessors << "\n";
    s << "    Page size: " << info.pageSize << "\n";
    s << "    Processor type: " << info.processorType << "\n";
    s << "    Minimum application address: " << reinterpret_cast<const void*>(info.minimumApplicationAddress)
      << "\n";
    s << "    Maximum application address: " << reinterpret_cast<const void*>(info.maximumApplicationAddress)
      << "\n";
    s << "    Active processor mask: " << info.activeProcessorMask << "\n";

    s << "\n  Software information: \n";
    s << "    Vendor: " << info.vendor << " \n";
    s << "    Operating System: " << info.operatingSystem << " ";
    s << "\n    Edition: " << info.edition;
    s << "\n    Service Pack: ";
    if (!info.versionId.empty()) s << " " << info.versionId;
    s << " (build " << info.build << ")";
    s << "\n    System Type: ";
    switch (info.architecture) {
    case Architecture::AMD64:
    case Architecture::ARM64:
        s << "64-bit" << "\n    Process running under WOW64: " << (info.process32Bit ? "Yes" : "No");
        break;
    case Architecture::X86:
    case Architecture::ARM:
        s << "32-bit" << "\n    Process running under WOW64: N/A";
        break;
    case Architecture::IA64:
        s << "Intel Itanium-based";
        break;
    default:
        s << "Unknown architecture";
        break;
    }
    return s.str();
}

bool Window::RebuildDisplay(const char* caller, int width, int height, bool restoreDisplay, bool setFullscreen,
                            bool fullscreen)
{
    const char* file = __FILE__;
    System* system = System::PeekInstance();
    LogReport(LOG_INFO, caller, file, __LINE__, "Releasing resources...");
    m_changingMode = true;

    // Every OpenGL resource goes while its context is still current.
    for (const auto& release : Door().display.releaseResources) release();

    const int previousWidth = m_width;
    const int previousHeight = m_height;
    const bool previousFullscreen = m_fullscreen;

    // Video stays up through the rebuild: the new window then gets a new id,
    // and events still queued for the old one are told apart and dropped.
    const bool held = Platform::StartVideo(nullptr);

    LogReport(LOG_INFO, caller, file, __LINE__, "Resources released.\nShutting down window...");
    Platform::AwaitMouseButtonsUp(CLICK_RELEASE_WAIT_SECONDS);
    KillWindow(restoreDisplay);
    if (setFullscreen) m_fullscreen = fullscreen;

    LogReport(LOG_INFO, caller, file, __LINE__, "Window shutdown.\nRecreating window...");
    bool result = Create(width, height);
    if (!result && !setFullscreen && m_fullscreenRefused) {
        // A new size that the display offers no full-screen mode of: the
        // window has the size asked for, windowed, and that is a change made.
        LogReport(LOG_WARNING, caller, file, __LINE__,
                  "The display offers no full-screen mode of %d x %d: the window is now windowed at that size.", width,
                  height);
        result = true;
    }
    if (!result) {
        LogReport(LOG_ERROR, caller, file, __LINE__, "Something went wrong while trying to recreate a new window!");
        if (!m_context) {
            // No window at all: nothing may touch OpenGL. Go back to the mode
            // that worked.
            KillWindow(false);
            m_fullscreen = previousFullscreen;
            Create(previousWidth, previousHeight);
            if (!m_context) {
                LogReport(LOG_ERROR, caller, file, __LINE__,
                          "Unable to restore the previous display mode, exiting game...");
                if (system) system->StopRunning();
                if (held) Platform::StopVideo();
                m_changingMode = false;
                return false;
            }
        }
    }
    if (held) Platform::StopVideo();
    // The releases that went to the old window are lost with it: nothing is
    // held in the new one (a click that asked for the change would else
    // swallow the next).
    if (system && system->inputManager) system->inputManager->ReleaseAllKeys();

    LogReport(LOG_INFO, caller, file, __LINE__, "Window created.\nReiniting resources...");
    // Textures come back through the loading state that the caller requests.
    for (const auto& restore : Door().display.restoreContext) restore(*this);
    if (!setFullscreen) RescaleUIObjects();
    for (const auto& restore : Door().display.restoreScene) restore(*this);
    LogReport(LOG_INFO, caller, file, __LINE__, "Reinit resources completed. Changing display mode process complete.");
    m_changingMode = false;
    return result;
}

bool Window::SetFullscreen(bool fullscreen)
{
    return RebuildDisplay(QRX_FUNCTION, m_width, m_height, true, true, fullscreen);
}

bool Window::ChangeResolution(int width, int height, bool restoreDisplay)
{
    if (width <= 0 || height <= 0 || width > m_desktopWidth || height > m_desktopHeight) return false;
    return RebuildDisplay(QRX_FUNCTION, width, height, restoreDisplay, false, false);
}

void Window::OnResize(bool restoreDisplay)
{
    ChangeResolution(m_width, m_height, restoreDisplay);
    // The loading screen brings the released resources back.
    if (Door().display.resized) Door().display.resized();
}

void Window::RescaleUIObjects()
{
    if (Door().display.rescaleUI) Door().display.rescaleUI(m_width, m_height);
}

bool Window::RescaleUIObject(glm::vec3& position, glm::vec3& scale, float& layoutWidth, float& layoutHeight,
                             int windowWidth, int windowHeight)
{
    // A layout that was never read has no size to scale from.
    if (layoutWidth == 0.0f || layoutHeight == 0.0f) return false;
    const float sx = static_cast<float>(windowWidth) / layoutWidth;
    const float sy = static_cast<float>(windowHeight) / layoutHeight;
    layoutWidth = static_cast<float>(windowWidth);
    layoutHeight = static_cast<float>(windowHeight);
    position.x *= sx;
    position.y *= sy;
    scale.x *= sx;
    scale.y *= sy;
    return true;
}

} // namespace QRX
