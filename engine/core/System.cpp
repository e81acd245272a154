#include "engine/core/System.h"

#include <new>

#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/Logger.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
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

    // Step 16: the object manager, with its pool of objects.
    objectManager = new (std::nothrow) ObjectManager();
    if (!objectManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("Object manager initialized.");

    // Step 17: the factories, into the maps of the managers that hold them.
    RegisterForceGeneratorFactories();
    RegisterSteerGeneratorFactories();
    RegisterComponentFactories();
    RegisterPrimitiveFactories();

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

    // Objects marked for destruction go.
    objectManager->Update();
}

void System::Shutdown()
{
    delete frameRateController;
    frameRateController = nullptr;

    if (objectManager) objectManager->Shutdown();
    delete objectManager;
    objectManager = nullptr;

    if (fileManager) fileManager->Clear();
    delete fileManager;
    fileManager = nullptr;

    delete cursorShowCount;
    cursorShowCount = nullptr;

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
