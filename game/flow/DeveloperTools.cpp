#include "game/flow/DeveloperTools.h"

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

DeveloperTools& GetDeveloperTools()
{
    static DeveloperTools tools;
    return tools;
}

void LoadDeveloperConsole()
{
    if (GetDeveloperTools().loadConsole) GetDeveloperTools().loadConsole();
}

void CloseObjectPanel()
{
    if (GetDeveloperTools().closeObjectPanel) GetDeveloperTools().closeObjectPanel();
}

void HideDeveloperHelp(bool panelsToo)
{
    if (GetDeveloperTools().hideHelp) GetDeveloperTools().hideHelp(panelsToo);
}

bool RunDeveloperFrame(PickTarget target, int button)
{
    const DeveloperTools& tools = GetDeveloperTools();
    UpdateCursorVisibility();
    const bool typing = InputManager::IsKeyboardTaken();
    if (tools.updateConsole) tools.updateConsole();
    if (tools.toggleHelp) tools.toggleHelp();
    System* system = System::GetInstance();
    const bool shown = tools.panelsShown && tools.panelsShown();
    if (shown && InputManager::IsTriggered(button) && system->inputManager && system->objectManager) {
        if (target == PickTarget::WorldObjects)
            system->inputManager->PickObject(system->objectManager->GetActiveObjectsWithComponent(CT_GRAPHICS), true);
        else
            system->inputManager->PickScreenObject(system->objectManager->GetActiveObjectsWithComponent(CT_GUI), true);
    }
    return typing;
}

} // namespace QRX
