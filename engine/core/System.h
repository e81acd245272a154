// The engine singleton.
//
// System exists once, is created by the first GetInstance, and owns every
// manager through one pointer each; the rest of the program reaches managers
// through it. Initialize runs the start-up steps in order (each writes its
// log lines), Update runs one frame, Shutdown runs the shut-down steps in
// order. A manager is created exactly once and never replaced.
//
// The engine does not know the game or the tools: the steps, and the frame's
// phases that belong to the floors above (the states, the physics step, the
// drawing), come through the engine's door (EngineDoor.h), which the
// program's start fills before Initialize. With no start-up step there
// Initialize fails at once with an ERROR line (the program forgot to install
// its parts), and no frame runs.
#pragma once
#include <cstdint>
#include <new>
#include <utility>

#include "engine/core/EngineDoor.h"

namespace QRX {

class AudioManager;
class Camera;
class CheckpointStore;
class Console;
class Controller;
class InputInterpreter;
class InputManager;
class Logger;
class FileManager;
class FontManager;
class ObjectManager;
class PhysicsManager;
class ProfileManager;
class Renderer;
class BinaryFileManager;
class MeshManager;
class FrameRateController;
class GameObject;
class GameStateManager;
class ShaderManager;
class System;
class TextureManager;
struct TweakBarState;
class Window;

// Allocates a manager into its slot without throwing: Done, or OutOfMemory
// with the slot null.
template <typename T, typename... Args>
StepOutcome CreateInto(T*& slot, Args&&... args)
{
    slot = new (std::nothrow) T(std::forward<Args>(args)...);
    return slot ? StepOutcome::Done : StepOutcome::OutOfMemory;
}

// Deletes what a slot holds (null is fine) and clears it.
template <typename T>
void DestroySlot(T*& slot)
{
    delete slot;
    slot = nullptr;
}

// Runs the manager's last work, when there is a manager, then deletes it.
template <typename T>
void FinishAndDestroy(T*& slot, void (T::*finish)())
{
    if (slot) (slot->*finish)();
    DestroySlot(slot);
}

// Bits of System::flags.
constexpr std::uint32_t SYSTEM_RUNNING = 0x01;
constexpr std::uint32_t SYSTEM_EDITOR_A = 0x02;  // set with SYSTEM_EDITOR_B by the level editor
constexpr std::uint32_t SYSTEM_EDITOR_B = 0x10;  // physics is skipped while both are set

class System
{
public:
    // The singleton, created on the first call.
    static System* GetInstance();
    // The singleton when it exists, else null (never creates it).
    static System* PeekInstance();
    // Deletes the singleton (after Shutdown); the next GetInstance makes a new one.
    static void DestroyInstance();

    // Runs the door's start-up steps in order. False at the first failure;
    // what was created stays for Shutdown. False, with an ERROR line written
    // to a page of its own, when the door has none.
    bool Initialize();
    // Runs one frame.
    void Update();
    // Runs the door's shut-down steps in order. Safe after a failed start.
    void Shutdown();

    bool IsRunning() const { return (flags & SYSTEM_RUNNING) != 0; }
    // Ends the frame loop after this frame, silently: for paths that have
    // already logged their reason (a start-up failure, an unopenable file).
    void StopRunning() { flags &= ~SYSTEM_RUNNING; }
    // Ends the frame loop after this frame and, the first time, logs
    // "Quit requested: <why>", so that no shutdown goes unexplained.
    void RequestQuit(const char* why);

    // The main and the other robot, set by the level states from their player
    // components (not owned). The slots may outlive their objects: check
    // alive and PLAYER before use.
    GameObject* playerOne = nullptr;
    GameObject* playerTwo = nullptr;
    Console* console = nullptr;  // made first of all managers
    AudioManager* audioManager = nullptr;
    Logger* logger = nullptr;
    FileManager* fileManager = nullptr;
    Window* window = nullptr;
    Renderer* renderer = nullptr;
    InputManager* inputManager = nullptr;
    Controller* pad0 = nullptr;  // player one's pad, user index 0
    Controller* pad1 = nullptr;  // player two's pad, user index 1
    InputInterpreter* inputInterpreter = nullptr;
    GameStateManager* gameStateManager = nullptr;
    ObjectManager* objectManager = nullptr;
    PhysicsManager* physicsManager = nullptr;
    ProfileManager* profileManager = nullptr;
    BinaryFileManager* binaryFileManager = nullptr;
    MeshManager* meshManager = nullptr;
    ShaderManager* shaderManager = nullptr;
    FontManager* fontManager = nullptr;
    TextureManager* textureManager = nullptr;
    FrameRateController* frameRateController = nullptr;
    int* cursorShowCount = nullptr;
    Camera* camera = nullptr;  // the renderer's camera (not owned)
    TweakBarState* tweakBarState = nullptr;  // the developer panels
    CheckpointStore* checkpointStore = nullptr;  // made last, deleted last
    std::uint32_t flags = SYSTEM_RUNNING;
    // While false a frame runs every step but the drawing: the renderer only
    // moves the particles, camera and light, and nothing is presented.
    bool drawFrames = true;

private:
    System() = default;
    System(const System&) = delete;
    System& operator=(const System&) = delete;
};

// Whether the cursor is to be shown for a state id (and tweak-bar display).
bool CursorWantedFor(int stateId, bool tweakBarsShown);

// Brings the display counter to 0 (show) or -1 (hide) through the platform's
// ShowCursor, making no calls when it is already there. Does nothing when the
// count does not exist.
void ApplyCursorVisibility(int* count, bool show);

// Shows the cursor in menu-like states (restart request, menus, loading and
// transition screens) and while the developer panels are shown, and hides it
// elsewhere, by the game-state manager's current id. Every game state's
// Update calls it once per frame. Does nothing
// before the game-state manager exists.
void UpdateCursorVisibility();

} // namespace QRX
