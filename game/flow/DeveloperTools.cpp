#include "game/flow/DeveloperTools.h"

#include "engine/core/EngineDoor.h"
#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

void LoadDeveloperConsole()
{
    if (Door().tools.loadConsole) Door().tools.loadConsole();
}

void CloseObjectPanel()
{
    if (Door().tools.closeObjectPanel) Door().tools.closeObjectPanel();
}

void HideDeveloperHelp(bool panelsToo)
{
    if (Door().tools.hideHelp) Door().tools.hideHelp(panelsToo);
}

bool RunDeveloperFrame(PickTarget target, int button)
{
    const EngineDoor::DeveloperTools& tools = Door().tools;
    UpdateCursorVisibility();
    const bool typing = InputManager::IsKeyboardTaken();
    if (tools.updateConsole) tools.updateConsole();
    if (tools.toggleHelp) tools.toggleHelp();
    System* system = System::GetInstance();
    const bool shown = Door().panelsShown && Door().panelsShown();
    if (shown && InputManager::IsTriggered(button) && system->inputManager && system->objectManager) {
        if (target == PickTarget::WorldObjects)
            system->inputManager->PickObject(system->objectManager->GetActiveObjectsWithComponent(CT_GRAPHICS), true);
        else
            system->inputManager->PickScreenObject(system->objectManager->GetActiveObjectsWithComponent(CT_GUI), true);
    }
    return typing;
}

} // namespace QRX
