#include "engine/core/Main.h"

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/platform/MessageBox.h"

int WinMain()
{
    QRX::System* system = QRX::System::GetInstance();
    if (!system->Initialize()) {
        if (system->window)
            QRX::Platform::ShowMessageBox("Initialization error! Check logs for more information\n", "Program Error",
                                          QRX::Platform::MB_OK | QRX::Platform::MB_ICONERROR);
        system->Shutdown();
        QRX::System::DestroyInstance();
        return -1;
    }

    QRX_LOG_INFO("All systems initialized correctly.");
    QRX_LOG_DEBUG("Test: Debugging message here");
    QRX_LOG_INFO("Test: Informative message here");
    QRX_LOG_WARNING("Test: Warning message here");
    QRX_LOG_ERROR("Test: Error message here");

    while (system->IsRunning()) system->Update();

    system->Shutdown();
    QRX::System::DestroyInstance();
    return 0;
}
