#include "engine/core/System.h"

#include <new>

#include "engine/core/AudioManager.h"
#include "engine/core/Controller.h"
#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/Window.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/platform/Cursor.h"
#include "engine/platform/Pads.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/ProfileManager.h"
#include "tools/AntTweakBar.h"
#include "tools/Console.h"
#include "tools/TweakBarState.h"
#include "game/gameplay/CheckpointStore.h"

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
    // The console, so that it can take the logger's echo.
    console = new (std::nothrow) Console();
    if (!console) return false;

    // The logger opens the page and writes its first entry.
    logger = new (std::nothrow) Logger();
    if (!logger) return false;
    QRX_LOG_INFO("Console initialized.");
    QRX_LOG_INFO("Logging system initialized.");

    // The file manager.
    fileManager = new (std::nothrow) FileManager();
    if (!fileManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("File manager initialized.");

    // The input manager (keys up, no deltas, wheel or character).
    inputManager = new (std::nothrow) InputManager();
    if (!inputManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("Input manager initialized.");

    // The two pads.
    pad0 = new (std::nothrow) Controller(0);
    if (!pad0) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("Controller manager initialized.");
    pad1 = new (std::nothrow) Controller(1);
    if (!pad1) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("Controller manager initialized.");

    // The audio manager, before the window.
    audioManager = new (std::nothrow) AudioManager();
    if (!audioManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    if (!audioManager->Init()) {
        QRX_LOG_WARNING("Sound failed to initialize");
        return false;
    }
    QRX_LOG_INFO("Audio manager initialized.");

    // The window and its OpenGL context.
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

    // The input interpreter; without a readable mappings file it
    // keeps its defaults, so its result does not stop the start.
    inputInterpreter = new (std::nothrow) InputInterpreter();
    if (!inputInterpreter) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    inputInterpreter->Init();
    QRX_LOG_INFO("Controller manager initialized.");

    // The binary model reader; its failure ends the start without a line.
    binaryFileManager = new (std::nothrow) BinaryFileManager();
    if (!binaryFileManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    if (!binaryFileManager->Initialize()) return false;
    QRX_LOG_INFO("Binary file manager initialized.");

    // The renderer and the shader manager; the renderer's GL set-up
    // needs the context (its outcome is not tested: a context that cannot be
    // used clears the running bit). A recompile runs the renderer's set-up.
    renderer = new (std::nothrow) Renderer();
    if (!renderer) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    shaderManager = new (std::nothrow) ShaderManager();
    if (!shaderManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    shaderManager->SetSetupFunction([this]() {
        if (renderer) renderer->SetupShaders();
    });
    renderer->InitGL();
    renderer->Resize(window->GetWidth(), window->GetHeight(), Renderer::DEFAULT_FIELD_OF_VIEW);
    camera = renderer->GetCamera();
    QRX_LOG_INFO("Graphics system initialized.");

    // The font manager starts FreeType and loads the catalogue's
    // fonts (needs the OpenGL context). No report of its own.
    fontManager = new (std::nothrow) FontManager();
    if (!fontManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }

    // The mesh manager with its catalogue and default mesh (the
    // outcome is not tested: a missing "error" is replaced by a built-in cube).
    meshManager = new (std::nothrow) MeshManager();
    if (!meshManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    meshManager->Initialize();

    // The texture manager reads its catalogue and loads the two
    // defaults; needs the OpenGL context. Its result is not checked.
    textureManager = new (std::nothrow) TextureManager();
    if (!textureManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    textureManager->Init();
    renderer->SetupShaders();

    // The physics manager, before the object manager; its factory maps are
    // filled when the factories are registered below.
    physicsManager = new (std::nothrow) PhysicsManager();
    if (!physicsManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("Physics manager initialized.");

    // The object manager, with its pool of objects.
    objectManager = new (std::nothrow) ObjectManager();
    if (!objectManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("Object manager initialized.");

    // The factories, into the maps of the managers that hold them.
    RegisterForceGeneratorFactories();
    RegisterSteerGeneratorFactories();
    RegisterComponentFactories();
    RegisterPrimitiveFactories();

    // The profile manager loads the saved profiles.
    profileManager = new (std::nothrow) ProfileManager();
    if (!profileManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    QRX_LOG_INFO("Profile manager initialized.");

    // The game-state manager; its Initialize loads the first state.
    gameStateManager = new (std::nothrow) GameStateManager();
    if (!gameStateManager) return false;
    if (!gameStateManager->Initialize()) return false;
    QRX_LOG_INFO("Game state manager initialized.");

    // The shadow map, then the debug frame buffer and its sprites.
    renderer->ShadowMapInit();
    renderer->CreateFrameBuffers();

    // The frame-rate controller.
    frameRateController = new (std::nothrow) FrameRateController();
    if (!frameRateController) return false;
    frameRateController->Init();
    QRX_LOG_INFO("Frame rate controller initialized.");

    // The cursor display count.
    cursorShowCount = new (std::nothrow) int(0);
    if (!cursorShowCount) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }

    // The developer panels (hidden); a library that does not start
    // is reported and the game goes on.
    tweakBarState = new (std::nothrow) TweakBarState();
    if (!tweakBarState) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    AntTweakBar::SetUp(tweakBarState);
    QRX_LOG_INFO("Twakbar manager initialized.");

    // Last, the checkpoint store (no line of its own).
    checkpointStore = new (std::nothrow) CheckpointStore();
    if (!checkpointStore) return false;
    return true;
}

void System::Update()
{
    frameRateController->StartFrame();
    frameRateController->lockFrameRate = true;

    // Every queued window message goes to the window procedure.
    window->PumpMessages();

    // Alt+F4 ends the loop after this frame.
    if (InputManager::current[KEY_ALT] == 1 && InputManager::current[KEY_F4] == 1) StopRunning();

    // A pending state request, or the top state's update.
    gameStateManager->Update();

    // The music fade.
    audioManager->Update();

    // Objects marked for destruction go.
    objectManager->Update();

    // The physics step, suspended while the level editor is loaded.
    const bool editorLoaded = (flags & SYSTEM_EDITOR_A) && (flags & SYSTEM_EDITOR_B);
    if (physicsManager && !editorLoaded) physicsManager->Update();

    // The frame's drawing.
    if (renderer) {
        if (drawFrames) renderer->RenderScene();
        else renderer->SkipScene();
    }

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
    // Every state is popped while the other managers still exist.
    if (gameStateManager) {
        gameStateManager->Shutdown();
        delete gameStateManager;
        gameStateManager = nullptr;
    }

    delete frameRateController;
    frameRateController = nullptr;

    // The console hands its display objects back while the object
    // manager still exists.
    delete console;
    console = nullptr;

    // The profile manager.
    delete profileManager;
    profileManager = nullptr;

    // The object manager releases every object and master.
    if (objectManager) objectManager->Shutdown();
    delete objectManager;
    objectManager = nullptr;

    // The physics manager, after the objects have handed their
    // generators back to its factories.
    delete physicsManager;
    physicsManager = nullptr;

    // All sound stops before the sound system is released.
    if (audioManager) {
        if (audioManager->m_System) {
            Platform::AudioChannelGroup* master = nullptr;
            audioManager->m_System->GetMasterChannelGroup(&master);
            if (master) master->Stop();
            audioManager->m_System->Release();
            audioManager->m_System = nullptr;
        }
        delete audioManager;
        audioManager = nullptr;
    }

    // The input manager.
    delete inputManager;
    inputManager = nullptr;

    // The binary model reader.
    delete binaryFileManager;
    binaryFileManager = nullptr;

    if (fileManager) fileManager->Clear();
    delete fileManager;
    fileManager = nullptr;

    delete cursorShowCount;
    cursorShowCount = nullptr;

    // The pads, then the pad layer behind them.
    delete pad0;
    pad0 = nullptr;
    delete pad1;
    pad1 = nullptr;
    Platform::ShutdownPads();

    // The input interpreter.
    delete inputInterpreter;
    inputInterpreter = nullptr;

    // The tweak-bar library (its GL objects go while the context
    // exists), then the record.
    if (tweakBarState) {
        AntTweakBar::Destroy(tweakBarState);
        delete tweakBarState;
        tweakBarState = nullptr;
    }

    // The font manager, its atlases and buffer first.
    delete fontManager;
    fontManager = nullptr;

    // The texture manager releases every texture as it goes.
    delete textureManager;
    textureManager = nullptr;

    // The mesh manager (its buffers go while the context still exists).
    delete meshManager;
    meshManager = nullptr;

    // The renderer releases its GL objects and the programs.
    delete renderer;
    renderer = nullptr;
    camera = nullptr;

    // The shader manager, its programs first (the context still exists).
    if (shaderManager) shaderManager->DeleteAllPrograms();
    delete shaderManager;
    shaderManager = nullptr;

    // The window and its context.
    if (window) window->KillWindow(true);
    delete window;
    window = nullptr;

    delete logger;
    logger = nullptr;

    // Last of all: the checkpoint store.
    if (checkpointStore) checkpointStore->Clear();
    delete checkpointStore;
    checkpointStore = nullptr;
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
    if (!system || !system->gameStateManager) return;
    const bool panelsShown = system->tweakBarState && system->tweakBarState->shown;
    ApplyCursorVisibility(system->cursorShowCount,
                          CursorWantedFor(system->gameStateManager->GetCurrentState(), panelsShown));
}

} // namespace QRX
