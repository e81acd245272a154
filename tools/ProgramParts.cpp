#include "tools/ProgramParts.h"

#include <string>
#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/core/Controller.h"
#include "engine/core/EngineDoor.h"
#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/DisplayResources.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GraphicsFactories.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/platform/Pads.h"
#include "engine/platform/tweakbar/TweakBar.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LoadingLevel.h"
#include "game/flow/ProfileManager.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/GameFactories.h"
#include "tools/AntTweakBar.h"
#include "tools/Console.h"
#include "tools/ConsoleOverlay.h"
#include "tools/GizmoComponent.h"
#include "tools/LevelEditor.h"
#include "tools/TweakBarState.h"

namespace QRX {

namespace {

using S = System;
constexpr StepOutcome DONE = StepOutcome::Done;

// The start-up, in the order the managers need one another: the console
// first so that it can take the logger's echo; audio before the window; the
// OpenGL users after the window; physics before the objects, whose factories
// follow; the first state loads inside the game-state manager's start.
std::vector<StartStep> StartSteps()
{
    return {
        {"console", [](S& s) { return CreateInto(s.console); }, {}, nullptr, false},
        {"logger", [](S& s) { return CreateInto(s.logger); },
         {"Console initialized.", "Logging system initialized."}, nullptr, false},
        {"file manager", [](S& s) { return CreateInto(s.fileManager); }, {"File manager initialized."}},
        // Keys up, no deltas, wheel or character.
        {"input manager", [](S& s) { return CreateInto(s.inputManager); }, {"Input manager initialized."}},
        {"pad 0", [](S& s) { return CreateInto(s.pad0, 0u); }, {"Controller manager initialized."}},
        {"pad 1", [](S& s) { return CreateInto(s.pad1, 1u); }, {"Controller manager initialized."}},
        {"audio manager",
         [](S& s) {
             if (CreateInto(s.audioManager) != DONE) return StepOutcome::OutOfMemory;
             return s.audioManager->Init() ? DONE : StepOutcome::Failed;
         },
         {"Audio manager initialized."}, "Sound failed to initialize"},
        {"window and OpenGL context",
         [](S& s) {
             if (CreateInto(s.window) != DONE) return StepOutcome::OutOfMemory;
             return s.window->Initialize() ? DONE : StepOutcome::Failed;
         },
         {"Window initialized."}, "Window failed to initialise"},
        // Without a readable mappings file the interpreter keeps its defaults,
        // so its result does not stop the start.
        {"input interpreter",
         [](S& s) {
             if (CreateInto(s.inputInterpreter) != DONE) return StepOutcome::OutOfMemory;
             s.inputInterpreter->Init();
             return DONE;
         },
         {"Controller manager initialized."}},
        // Its failure ends the start without a line.
        {"binary model reader",
         [](S& s) {
             if (CreateInto(s.binaryFileManager) != DONE) return StepOutcome::OutOfMemory;
             return s.binaryFileManager->Initialize() ? DONE : StepOutcome::Failed;
         },
         {"Binary file manager initialized."}},
        // The renderer's GL set-up needs the context; its outcome is not
        // tested (a context that cannot be used clears the running bit).
        {"renderer and shader manager",
         [](S& s) {
             if (CreateInto(s.renderer) != DONE || CreateInto(s.shaderManager) != DONE)
                 return StepOutcome::OutOfMemory;
             s.renderer->InitGL();
             s.renderer->Resize(s.window->GetWidth(), s.window->GetHeight(), Renderer::DEFAULT_FIELD_OF_VIEW);
             s.camera = s.renderer->GetCamera();
             return DONE;
         },
         {"Graphics system initialized."}},
        // FreeType and the catalogue's fonts (needs the context); no line.
        {"font manager", [](S& s) { return CreateInto(s.fontManager); }, {}},
        // A missing "error" mesh is replaced by a built-in cube.
        {"mesh manager",
         [](S& s) {
             if (CreateInto(s.meshManager) != DONE) return StepOutcome::OutOfMemory;
             s.meshManager->Initialize();
             return DONE;
         },
         {}},
        // The catalogue and the two defaults (needs the context), then the
        // shaders' textures; the result is not checked.
        {"texture manager",
         [](S& s) {
             if (CreateInto(s.textureManager) != DONE) return StepOutcome::OutOfMemory;
             s.textureManager->Init();
             s.renderer->SetupShaders();
             return DONE;
         },
         {}},
        {"physics manager", [](S& s) { return CreateInto(s.physicsManager); }, {"Physics manager initialized."}},
        {"object manager", [](S& s) { return CreateInto(s.objectManager); }, {"Object manager initialized."}},
        {"factories",
         [](S&) {
             RegisterForceGeneratorFactories();
             RegisterSteerGeneratorFactories();
             RegisterComponentFactories();
             RegisterPrimitiveFactories();
             return DONE;
         },
         {}},
        {"profile manager", [](S& s) { return CreateInto(s.profileManager); }, {"Profile manager initialized."}},
        // Its Initialize makes the level manager and loads the first state.
        {"game-state manager",
         [](S& s) {
             if (CreateInto(s.gameStateManager) != DONE) return StepOutcome::OutOfMemory;
             return s.gameStateManager->Initialize() ? DONE : StepOutcome::Failed;
         },
         {"Game state manager initialized."}, nullptr, false},
        // The shadow map, then the debug frame buffer and its sprites.
        {"shadow map and frame buffers",
         [](S& s) {
             s.renderer->ShadowMapInit();
             s.renderer->CreateFrameBuffers();
             return DONE;
         },
         {}},
        {"frame-rate controller",
         [](S& s) {
             if (CreateInto(s.frameRateController) != DONE) return StepOutcome::OutOfMemory;
             s.frameRateController->Init();
             return DONE;
         },
         {"Frame rate controller initialized."}, nullptr, false},
        {"cursor display count", [](S& s) { return CreateInto(s.cursorShowCount, 0); }, {}},
        // Hidden; a library that does not start is reported and the game goes on.
        {"developer panels",
         [](S& s) {
             if (CreateInto(s.tweakBarState) != DONE) return StepOutcome::OutOfMemory;
             AntTweakBar::SetUp(s.tweakBarState);
             return DONE;
         },
         {"Twakbar manager initialized."}},
        {"checkpoint store", [](S& s) { return CreateInto(s.checkpointStore); }, {}, nullptr, false},
    };
}

// Runs the manager's last work, when there is a manager, then deletes it.
template <typename T>
void FinishAndDestroy(T*& slot, void (T::*finish)())
{
    if (slot) (slot->*finish)();
    DestroySlot(slot);
}

// The shut-down: the states first while every other manager exists; the
// objects before physics (they hand their generators back to its factories);
// OpenGL users while the context exists; the logger's last line, then the
// checkpoint store.
std::vector<StopStep> StopSteps()
{
    return {
        {"game-state manager (every state popped)",
         [](S& s) { FinishAndDestroy(s.gameStateManager, &GameStateManager::Shutdown); }},
        {"frame-rate controller", [](S& s) { DestroySlot(s.frameRateController); }},
        // Its display objects go back while the object manager exists.
        {"console", [](S& s) { DestroySlot(s.console); }},
        {"profile manager", [](S& s) { DestroySlot(s.profileManager); }},
        {"object manager (every object and master)",
         [](S& s) { FinishAndDestroy(s.objectManager, &ObjectManager::Shutdown); }},
        {"physics manager", [](S& s) { DestroySlot(s.physicsManager); }},
        // All sound stops before the sound system is released.
        {"audio manager",
         [](S& s) {
             if (!s.audioManager) return;
             if (s.audioManager->m_System) {
                 Platform::AudioChannelGroup* master = nullptr;
                 s.audioManager->m_System->GetMasterChannelGroup(&master);
                 if (master) master->Stop();
                 s.audioManager->m_System->Release();
                 s.audioManager->m_System = nullptr;
             }
             DestroySlot(s.audioManager);
         }},
        {"input manager", [](S& s) { DestroySlot(s.inputManager); }},
        {"binary model reader", [](S& s) { DestroySlot(s.binaryFileManager); }},
        {"file manager",
         [](S& s) { FinishAndDestroy(s.fileManager, &FileManager::Clear); }},
        {"cursor display count", [](S& s) { DestroySlot(s.cursorShowCount); }},
        {"pads, then the pad layer",
         [](S& s) {
             DestroySlot(s.pad0);
             DestroySlot(s.pad1);
             Platform::ShutdownPads();
         }},
        {"input interpreter", [](S& s) { DestroySlot(s.inputInterpreter); }},
        // The library's GL objects go while the context exists, then the record.
        {"developer panels",
         [](S& s) {
             if (!s.tweakBarState) return;
             AntTweakBar::Destroy(s.tweakBarState);
             DestroySlot(s.tweakBarState);
         }},
        {"font manager", [](S& s) { DestroySlot(s.fontManager); }},
        {"texture manager", [](S& s) { DestroySlot(s.textureManager); }},
        {"mesh manager", [](S& s) { DestroySlot(s.meshManager); }},
        {"renderer",
         [](S& s) {
             DestroySlot(s.renderer);
             s.camera = nullptr;
         }},
        {"shader manager",
         [](S& s) { FinishAndDestroy(s.shaderManager, &ShaderManager::DeleteAllPrograms); }},
        {"window and OpenGL context",
         [](S& s) {
             if (s.window) s.window->KillWindow(true);
             DestroySlot(s.window);
         }},
        {"logger", [](S& s) { DestroySlot(s.logger); }},
        {"checkpoint store",
         [](S& s) { FinishAndDestroy(s.checkpointStore, &CheckpointStore::Clear); }},
    };
}

TweakBarState* Panels()
{
    System* system = System::PeekInstance();
    return system ? system->tweakBarState : nullptr;
}

bool PanelsShown()
{
    const TweakBarState* panels = Panels();
    return panels && panels->shown;
}

GameStateManager* StateManager()
{
    System* system = System::PeekInstance();
    return system ? system->gameStateManager : nullptr;
}

// The logger's echo: before its panel exists the console has nowhere to show
// the line.
void EchoToConsole(const std::string& line)
{
    System* system = System::PeekInstance();
    Console* console = system ? system->console : nullptr;
    if (console && console->GetConsoleObject()) console->Print(line);
}

void RegisterToolComponents(FactoryMap<Component>& factories)
{
    FactoryRegister<Component>(new Factory<Component, GizmoComponent>(CT_GIZMO), factories);
}

// The frame's phases and the questions about the states.
void InstallFrameParts(EngineDoor& door)
{
    door.startSteps = StartSteps();
    door.stopSteps = StopSteps();
    door.frame.updateStates = [](S& s) { s.gameStateManager->Update(); };
    door.frame.stepPhysics = [](S& s) {
        if (s.physicsManager) s.physicsManager->Update();
    };
    door.frame.renderFrame = [](S& s) {
        if (!s.renderer) return;
        if (s.drawFrames) s.renderer->RenderScene();
        else s.renderer->SkipScene();
    };
    door.currentState = []() {
        const GameStateManager* states = StateManager();
        return states ? states->GetCurrentState() : 0;
    };
    door.stateUpdating = []() {
        const GameStateManager* states = StateManager();
        return states && states->IsUpdatingState();
    };
    door.panelsShown = PanelsShown;
    door.componentRegistrations = {RegisterGraphicsComponents, RegisterPhysicsComponents, RegisterGameComponents,
                                   RegisterToolComponents};
    door.logEcho = EchoToConsole;
}

void InstallDisplayParts(EngineDoor& door)
{
    EngineDoor::Display& display = door.display;
    // While the panels are shown they see every message first; what they use
    // (a click on a panel) goes no further.
    display.takeMessage = [](const Platform::WindowMessage& message) { return PanelsShown() && TwEventWin(message); };
    // The panels of the old library go with it (the object panel too).
    display.releaseResources = {ReleaseDisplayResources, []() {
                                    if (TweakBarState* panels = Panels()) AntTweakBar::Destroy(panels);
                                }};
    display.restoreContext = {RestoreDisplayContext, [](const Window&) {
                                  if (TweakBarState* panels = Panels()) AntTweakBar::SetUp(panels);
                              }};
    display.restoreScene = {RestoreDisplayScene};
    display.rescaleUI = RescaleGUIObjects;
    display.resized = []() {
        GameStateManager* states = StateManager();
        if (!states) return;
        SetLoadingReloadMode(true);
        states->RequestState(STATE_LOADING);
    };
}

void InstallDrawingParts(EngineDoor& door)
{
    door.overlays.underText = {DrawConsoleOverlay};
    door.overlays.overText = {
        // The level editor's grid and shapes, only while it is current (the
        // line queue is already emptied, so it draws directly).
        [](Renderer&) {
            if (LevelEditor* editor = FindLevelEditor()) editor->Draw();
        },
        // The panels while shown, without an object panel whose object died
        // or was deleted.
        [](Renderer&) {
            TweakBarState* panels = Panels();
            if (!panels || !panels->shown) return;
            AntTweakBar::DeletePendingObjectBar(panels);
            TwDraw();
        }};
    door.heldResources = {
        {"Releasing all meshes except default mesh",
         []() {
             System* system = System::PeekInstance();
             return system && system->meshManager;
         },
         []() { System::PeekInstance()->meshManager->ReleaseAllMeshes(); }},
        {"Releasing all textures except default textures",
         []() {
             System* system = System::PeekInstance();
             return system && system->textureManager;
         },
         []() { System::PeekInstance()->textureManager->UnloadAllTextures(); }}};
    // A recompile (F10) runs the renderer's shader set-up again.
    door.rebuildShaders = []() {
        System* system = System::PeekInstance();
        if (system && system->renderer) system->renderer->SetupShaders();
    };
}

void InstallInputParts(EngineDoor& door)
{
    EngineDoor::Picking& picking = door.picking;
    picking.unproject = [](float x, float y, float depth, int width, int height, glm::vec3& point) {
        System* system = System::PeekInstance();
        const Camera* camera = system ? system->camera : nullptr;
        if (!camera) return false;
        point = camera->Unproject(x, y, depth, width, height);
        return true;
    };
    picking.enterPickBox = SegmentEntersPickBox;
    picking.showInPanel = [](GameObject* object) {
        if (TweakBarState* panels = Panels()) AntTweakBar::CreateObjectBar(panels, object);
    };
}

// The level editor is one of the game's states, made and bound as theirs are.
LevelEditor s_levelEditor;

void InstallStateParts(EngineDoor& door)
{
    door.levelEditorState = &s_levelEditor;
    EngineDoor::DeveloperTools& tools = door.tools;
    tools.loadConsole = LoadConsole;
    tools.updateConsole = UpdateConsole;
    tools.toggleHelp = []() { AntTweakBar::ToggleHelpBar(Panels()); };
    tools.closeObjectPanel = []() { AntTweakBar::DeleteObjectBar(Panels()); };
    tools.hideHelp = [](bool panelsToo) {
        TweakBarState* panels = Panels();
        if (!panels) return;
        TwDefine(" TW_HELP visible=false ");
        if (panelsToo) panels->shown = false;
    };
}

} // namespace

void InstallProgramParts()
{
    // Filling again replaces every slot.
    EngineDoor& door = Door();
    door = EngineDoor();
    InstallFrameParts(door);
    InstallDisplayParts(door);
    InstallDrawingParts(door);
    InstallInputParts(door);
    InstallStateParts(door);
}

} // namespace QRX
