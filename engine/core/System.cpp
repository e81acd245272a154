#include "engine/core/System.h"

#include <new>

#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/Logger.h"
#include "engine/core/Window.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/platform/Cursor.h"

namespace QRX {

namespace {
System* g_instance = nullptr;
}

System* System::GetInstance()
{
    if (!g_instance) g_instance = new System();
    return g_instance;
}

System* System::PeekInstance() { return g_instance; }

void System::DestroyInstance()
{
    delete g_instance;
    g_instance = nullptr;
}

bool System::Initialize()
{
    // Step 2: the logger opens the page and writes its first entry.
    logger = new (std::nothrow) Logger();
    if (!logger) return false;
    QRX_LOG_INFO("Logging system initialized.");

    // Step 3: the file manager.
    fileManager = new (std::nothrow) FileManager();
    if (!fileManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("File manager initialized.");

    // Step 8: the window and its OpenGL context.
    window = new (std::nothrow) Window();
    if (!window) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    if (!window->Initialize()) {
        QRX_LOG_WARNING("Window failed to initialise");
        return false;
    }
    QRX_LOG_INFO("Window initialized.");

    // Step 11: the shader manager (the renderer's programs fill it later).
    shaderManager = new (std::nothrow) ShaderManager();
    if (!shaderManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("Graphics system initialized.");

    // Step 14: the texture manager reads its catalogue and loads the two
    // defaults; needs the OpenGL context. Its result is not checked.
    textureManager = new (std::nothrow) TextureManager();
    if (!textureManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    textureManager->Init();

    // Step 21: the frame-rate controller.
    frameRateController = new (std::nothrow) FrameRateController();
    if (!frameRateController) return false;
    frameRateController->Init();
    QRX_LOG_INFO("Frame rate controller initialized.");

    // Step 22: the cursor display count.
    cursorShowCount = new (std::nothrow) int(0);
    if (!cursorShowCount) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    return true;
}

void System::Update()
{
    frameRateController->StartFrame();
    frameRateController->lockFrameRate = true;

    // Step 2: every queued window message goes to the window procedure.
    window->PumpMessages();

    // Step 9: present the frame.
    window->SwapBuffers();
}

void System::Shutdown()
{
    delete frameRateController;
    frameRateController = nullptr;

    if (fileManager) fileManager->Clear();
    delete fileManager;
    fileManager = nullptr;

    delete cursorShowCount;
    cursorShowCount = nullptr;

    // Step 16: the texture manager releases every texture as it goes.
    delete textureManager;
    textureManager = nullptr;

    // Step 19: the shader manager, its programs first (the context still exists).
    if (shaderManager) shaderManager->DeleteAllPrograms();
    delete shaderManager;
    shaderManager = nullptr;

    // Step 20: the window and its context.
    if (window) window->KillWindow(true);
    delete window;
    window = nullptr;

    delete logger;
    logger = nullptr;
}

bool CursorWantedFor(int stateId, bool tweakBarsShown)
{
    return (stateId >= 35 && stateId <= 52) || (stateId >= 16 && stateId <= 29) || tweakBarsShown;
}

void ApplyCursorVisibility(int* count, bool show)
{
    if (!count) return;
    if (show) {
        while (*count < 0) {
            Platform::ShowCursor(true);
            *count += 1;
        }
    } else {
        while (*count >= 0) {
            Platform::ShowCursor(false);
            *count -= 1;
        }
    }
}

} // namespace QRX
