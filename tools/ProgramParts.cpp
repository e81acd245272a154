#include "tools/ProgramParts.h"

#include <string>
#include <vector>

#include "engine/core/CoreSteps.h"
#include "engine/core/EngineDoor.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/DisplayResources.h"
#include "engine/graphics/GraphicsFactories.h"
#include "engine/graphics/GraphicsSteps.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/PhysicsSteps.h"
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

// The console is made before the logger, which announces it first.
StartStep AnnouncingTheConsole(StartStep logger)
{
    logger.readyLines.insert(logger.readyLines.begin(), "Console initialized.");
    return logger;
}

// The start-up, in the order the managers need one another: the console
// first so that it can take the logger's echo; audio before the window; the
// OpenGL users after the window; physics before the objects, whose factories
// follow; the first state loads inside the game-state manager's start. The
// engine's floors write their own steps; the game's and the tools' are here.
std::vector<StartStep> StartSteps()
{
    const CoreSteps::Start core = MakeCoreSteps().start;
    const PhysicsSteps::Start physics = MakePhysicsSteps().start;
    const GraphicsSteps::Start graphics = MakeGraphicsSteps().start;
    return {
        {"console", [](S& s) { return CreateInto(s.console); }, {}, nullptr, false},
        AnnouncingTheConsole(core.logger),
        core.fileManager,
        core.inputManager,
        core.pad0,
        core.pad1,
        core.audioManager,
        core.window,
        core.inputInterpreter,
        graphics.modelReader,
        graphics.renderer,
        graphics.fontManager,
        graphics.meshManager,
        graphics.textureManager,
        physics.physicsManager,
        core.objectManager,
        physics.factories,
        {"profile manager", [](S& s) { return CreateInto(s.profileManager); }, {"Profile manager initialized."}},
        // Its Initialize makes the level manager and loads the first state.
        {"game-state manager",
         [](S& s) {
             if (CreateInto(s.gameStateManager) != StepOutcome::Done) return StepOutcome::OutOfMemory;
             return s.gameStateManager->Initialize() ? StepOutcome::Done : StepOutcome::Failed;
         },
         {"Game state manager initialized."}, nullptr, false},
        graphics.shadowMap,
        core.frameRateController,
        core.cursorCount,
        // Hidden; a library that does not start is reported and the game goes on.
        {"developer panels",
         [](S& s) {
             if (CreateInto(s.tweakBarState) != StepOutcome::Done) return StepOutcome::OutOfMemory;
             AntTweakBar::SetUp(s.tweakBarState);
             return StepOutcome::Done;
         },
         {"Twakbar manager initialized."}},
        {"checkpoint store", [](S& s) { return CreateInto(s.checkpointStore); }, {}, nullptr, false},
    };
}

// The shut-down: the states first while every other manager exists; the
// objects before physics (they hand their generators back to its factories);
// OpenGL users while the context exists; the logger's last line, then the
// checkpoint store.
std::vector<StopStep> StopSteps()
{
    const CoreSteps::Stop core = MakeCoreSteps().stop;
    const PhysicsSteps::Stop physics = MakePhysicsSteps().stop;
    const GraphicsSteps::Stop graphics = MakeGraphicsSteps().stop;
    return {
        {"game-state manager (every state popped)",
         [](S& s) { FinishAndDestroy(s.gameStateManager, &GameStateManager::Shutdown); }},
        core.frameRateController,
        // Its display objects go back while the object manager exists.
        {"console", [](S& s) { DestroySlot(s.console); }},
        {"profile manager", [](S& s) { DestroySlot(s.profileManager); }},
        core.objectManager,
        physics.physicsManager,
        core.audioManager,
        core.inputManager,
        graphics.modelReader,
        core.fileManager,
        core.cursorCount,
        core.pads,
        core.inputInterpreter,
        // The library's GL objects go while the context exists, then the record.
        {"developer panels",
         [](S& s) {
             if (!s.tweakBarState) return;
             AntTweakBar::Destroy(s.tweakBarState);
             DestroySlot(s.tweakBarState);
         }},
        graphics.fontManager,
        graphics.textureManager,
        graphics.meshManager,
        graphics.renderer,
        graphics.shaderManager,
        core.window,
        core.logger,
        {"checkpoint store", [](S& s) { FinishAndDestroy(s.checkpointStore, &CheckpointStore::Clear); }},
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

// The steps, the frame's phases, the questions about the states, the
// component registrations and the log echo.
void InstallSystemParts(EngineDoor& door)
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
    door.overlays.overText = {
        // The level editor's grid and shapes, only while it is current (the
        // line queue is already emptied, so it draws directly).
        [](Renderer&) {
            if (LevelEditor* editor = FindLevelEditor()) editor->Draw();
        },
        // The console over all of the game, its text included.
        DrawConsoleOverlay,
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
    InstallSystemParts(door);
    InstallDisplayParts(door);
    InstallDrawingParts(door);
    InstallInputParts(door);
    InstallStateParts(door);
}

} // namespace QRX
