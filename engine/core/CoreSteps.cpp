#include "engine/core/CoreSteps.h"

#include "engine/core/AudioManager.h"
#include "engine/core/Controller.h"
#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/Pads.h"

namespace QRX {

namespace {
using S = System;
constexpr StepOutcome DONE = StepOutcome::Done;
} // namespace

CoreSteps MakeCoreSteps()
{
    CoreSteps steps;
    CoreSteps::Start& start = steps.start;
    start.logger = {"logger", [](S& s) { return CreateInto(s.logger); }, {"Logging system initialized."}, nullptr,
                    false};
    start.fileManager = {"file manager", [](S& s) { return CreateInto(s.fileManager); }, {"File manager initialized."}};
    start.inputManager = {"input manager", [](S& s) { return CreateInto(s.inputManager); },
                          {"Input manager initialized."}};
    start.pad0 = {"pad 0", [](S& s) { return CreateInto(s.pad0, 0u); }, {"Controller manager initialized."}};
    start.pad1 = {"pad 1", [](S& s) { return CreateInto(s.pad1, 1u); }, {"Controller manager initialized."}};
    start.audioManager = {"audio manager",
                          [](S& s) {
                              if (CreateInto(s.audioManager) != DONE) return StepOutcome::OutOfMemory;
                              return s.audioManager->Init() ? DONE : StepOutcome::Failed;
                          },
                          {"Audio manager initialized."}, "Sound failed to initialize"};
    start.window = {"window and OpenGL context",
                    [](S& s) {
                        if (CreateInto(s.window) != DONE) return StepOutcome::OutOfMemory;
                        return s.window->Initialize() ? DONE : StepOutcome::Failed;
                    },
                    {"Window initialized."}, "Window failed to initialise"};
    start.inputInterpreter = {"input interpreter",
                              [](S& s) {
                                  if (CreateInto(s.inputInterpreter) != DONE) return StepOutcome::OutOfMemory;
                                  s.inputInterpreter->Init();
                                  return DONE;
                              },
                              {"Controller manager initialized."}};
    start.objectManager = {"object manager", [](S& s) { return CreateInto(s.objectManager); },
                           {"Object manager initialized."}};
    start.frameRateController = {"frame-rate controller",
                                 [](S& s) {
                                     if (CreateInto(s.frameRateController) != DONE) return StepOutcome::OutOfMemory;
                                     s.frameRateController->Init();
                                     return DONE;
                                 },
                                 {"Frame rate controller initialized."}, nullptr, false};
    start.cursorCount = {"cursor display count", [](S& s) { return CreateInto(s.cursorShowCount, 0); }, {}};

    CoreSteps::Stop& stop = steps.stop;
    stop.frameRateController = {"frame-rate controller", [](S& s) { DestroySlot(s.frameRateController); }};
    stop.objectManager = {"object manager (every object and master)",
                          [](S& s) { FinishAndDestroy(s.objectManager, &ObjectManager::Shutdown); }};
    stop.audioManager = {"audio manager", [](S& s) { FinishAndDestroy(s.audioManager, &AudioManager::Shutdown); }};
    stop.inputManager = {"input manager", [](S& s) { DestroySlot(s.inputManager); }};
    stop.fileManager = {"file manager", [](S& s) { FinishAndDestroy(s.fileManager, &FileManager::Clear); }};
    stop.cursorCount = {"cursor display count", [](S& s) { DestroySlot(s.cursorShowCount); }};
    stop.pads = {"pads, then the pad layer", [](S& s) {
                     DestroySlot(s.pad0);
                     DestroySlot(s.pad1);
                     Platform::ShutdownPads();
                 }};
    stop.inputInterpreter = {"input interpreter", [](S& s) { DestroySlot(s.inputInterpreter); }};
    stop.window = {"window and OpenGL context", [](S& s) {
                       if (s.window) s.window->KillWindow(true);
                       DestroySlot(s.window);
                   }};
    stop.logger = {"logger", [](S& s) { DestroySlot(s.logger); }};
    return steps;
}

} // namespace QRX
