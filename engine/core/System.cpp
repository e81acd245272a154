#include "engine/core/System.h"

#include "engine/core/AudioManager.h"
#include "engine/core/Controller.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/Window.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/Cursor.h"

namespace QRX {

namespace {
System* g_instance = nullptr;
} // namespace

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
    const std::vector<StartStep>& steps = Door().startSteps;
    if (steps.empty()) {
        // Nothing would make the managers the frame uses. The line needs a
        // logger, which only the steps make: one is made for it alone.
        const bool ownLogger = !logger;
        if (ownLogger) CreateInto(logger);
        QRX_LOG_ERROR("No start-up steps are installed: the program must install its parts before the start.");
        if (ownLogger) DestroySlot(logger);
        return false;
    }
    for (const StartStep& step : steps) {
        const StepOutcome outcome = step.run ? step.run(*this) : StepOutcome::Done;
        if (outcome == StepOutcome::OutOfMemory) {
            if (step.reportsOutOfMemory) QRX_LOG_ERROR("System probably ran out of memory");
            return false;
        }
        if (outcome == StepOutcome::Failed) {
            if (step.failureLine) QRX_LOG_WARNING("%s", step.failureLine);
            return false;
        }
        for (const char* line : step.readyLines) QRX_LOG_INFO("%s", line);
    }
    return true;
}

void System::RequestQuit(const char* why)
{
    if (IsRunning()) QRX_LOG_INFO("Quit requested: %s", why ? why : "no reason given");
    StopRunning();
}

void System::Update()
{
    frameRateController->StartFrame();
    frameRateController->lockFrameRate = true;

    // Every queued window message goes to the window procedure.
    window->PumpMessages();

    // Alt+F4 ends the loop after this frame.
    if (InputManager::current[KEY_ALT] == 1 && InputManager::current[KEY_F4] == 1) RequestQuit("Alt+F4");

    // A pending state request, or the top state's update.
    const EngineDoor::Frame& phases = Door().frame;
    if (phases.updateStates) phases.updateStates(*this);

    // The music fade.
    audioManager->Update();

    // Objects marked for destruction go.
    objectManager->Update();

    // The physics step, suspended while the level editor is loaded.
    const bool editorLoaded = (flags & SYSTEM_EDITOR_A) && (flags & SYSTEM_EDITOR_B);
    if (phases.stepPhysics && !editorLoaded) phases.stepPhysics(*this);

    // The frame's drawing.
    if (phases.renderFrame) phases.renderFrame(*this);

    // Present the frame.
    if (drawFrames) window->SwapBuffers();

    // This frame's key states become the previous ones.
    inputManager->Update();

    // One keystroke per pad and frame, then the dead zones.
    for (Controller* pad : {pad0, pad1}) {
        pad->TakeKeystroke();
        pad->ApplyThumbDeadZone();
    }
}

void System::Shutdown()
{
    for (const StopStep& step : Door().stopSteps)
        if (step.run) step.run(*this);
}

bool CursorWantedFor(int stateId, bool tweakBarsShown)
{
    // The level editor (30, 31) is worked with the mouse.
    return (stateId >= 35 && stateId <= 52) || (stateId >= 16 && stateId <= 31) || tweakBarsShown;
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

void UpdateCursorVisibility()
{
    System* system = System::PeekInstance();
    const EngineDoor& door = Door();
    if (!system || !system->gameStateManager || !door.currentState) return;
    const bool panelsShown = door.panelsShown && door.panelsShown();
    ApplyCursorVisibility(system->cursorShowCount, CursorWantedFor(door.currentState(), panelsShown));
}

} // namespace QRX
