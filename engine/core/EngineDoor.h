// The engine's door: everything the engine asks of the program above it.
//
// The engine's floors never name what lies above them. Wherever the engine
// needs work that a higher floor does (a frame phase, a question about the
// game states, a display or picking callback, an overlay, the resources the
// objects hold, the log echo, the component registrations, the start-up and
// shut-down steps) it calls a slot of this one door; the game's states reach
// the developer tools the same way. The program's start fills every slot, in
// one place (tools/ProgramParts), before System::Initialize.
//
// Rules:
// - One door for the whole run, reached through Door(); it is filled, and
//   read, on the frame thread. A test may replace a slot and put it back.
// - An empty slot is skipped: a phase or callback does nothing, a question
//   answers 0 or false, a list runs nothing, a missing object is null.
// - Filling the door again replaces every slot; nothing is ever added twice.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "engine/platform/WindowMessages.h"

namespace QRX {

class Component;
template <typename Base>
class FactoryPlant;
class GameObject;
class GameState;
class Renderer;
class System;
class Window;

// How a start-up step ended.
enum class StepOutcome { Done, OutOfMemory, Failed };

// One start-up step: what it sets up, and its log lines. A step that ends
// OutOfMemory writes "System probably ran out of memory" at ERROR (unless
// reportsOutOfMemory is false); one that ends Failed writes its failureLine
// at WARNING when it has one. Either stops the start.
struct StartStep
{
    const char* name = nullptr;
    std::function<StepOutcome(System& system)> run;
    std::vector<const char*> readyLines;  // at INFO, in order, after success
    const char* failureLine = nullptr;
    bool reportsOutOfMemory = true;
};

// One shut-down step; it must cope with a manager that was never made.
struct StopStep
{
    const char* name = nullptr;
    std::function<void(System& system)> run;
};

// Puts one floor's component factories into the object manager's map.
using ComponentRegistration = void (*)(std::map<int, FactoryPlant<Component>*>& factories);

struct EngineDoor
{
    // The start-up and shut-down, run in order by System::Initialize and
    // System::Shutdown; the engine's floors write the steps of their own
    // managers (CoreSteps, PhysicsSteps, GraphicsSteps). Without a start-up
    // step the start fails at once.
    std::vector<StartStep> startSteps;
    std::vector<StopStep> stopSteps;

    // The frame's phases that belong above the engine's core, in the order
    // System::Update runs them.
    struct Frame
    {
        std::function<void(System& system)> updateStates;  // a pending state request, or the top state's update
        std::function<void(System& system)> stepPhysics;   // not called while the level editor is loaded
        std::function<void(System& system)> renderFrame;   // the frame's drawing (or its skipping, see drawFrames)
    } frame;

    // The questions about the game states and the developer panels.
    std::function<int()> currentState;    // the current game state's id (0: none)
    std::function<bool()> stateUpdating;  // true exactly while the top state's Update runs
    std::function<bool()> panelsShown;    // the developer panels are shown

    // What lives above the window (Window).
    struct Display
    {
        // Sees every message first; true when it used the message, which
        // then goes no further (the developer panels while shown).
        std::function<bool(const Platform::WindowMessage& message)> takeMessage;
        // Before a rebuild tears the context down, in order, while it is current.
        std::vector<std::function<void()>> releaseResources;
        // After the new context exists, in order: what the user interface
        // needs before it is rescaled, then what the scene needs after.
        std::vector<std::function<void(const Window& window)>> restoreContext;
        std::vector<std::function<void(const Window& window)>> restoreScene;
        // Every user-interface object fitted to the window size.
        std::function<void(int width, int height)> rescaleUI;
        // After a rebuild: what brings the released resources back.
        std::function<void()> resized;
    } display;

    // What picking needs (InputManager). Empty parts act as a missing camera,
    // a miss and no panel.
    struct Picking
    {
        // The world point under window pixel (x, y) (origin bottom left) at
        // depth 0 to 1 for a width x height viewport; false without a camera.
        std::function<bool(float x, float y, float depth, int width, int height, glm::vec3& point)> unproject;
        // The ray parameter at which the segment start..end enters the
        // object's pick box; false when it misses.
        std::function<bool(const glm::vec3& start, const glm::vec3& end, GameObject& object, float& t)> enterPickBox;
        // Shows the object in the developer's object panel; null closes it.
        std::function<void(GameObject* object)> showInPanel;
    } picking;

    // What is drawn over the scene each drawn frame (Renderer), in order:
    // under the text before the frame's queued text is drawn (text they queue
    // shows in the same frame), over the text after it.
    struct Overlays
    {
        std::vector<std::function<void(Renderer& renderer)>> underText;
        std::vector<std::function<void(Renderer& renderer)>> overText;
    } overlays;

    // What the objects' components held outside the pool (meshes, textures):
    // released in order after the objects at ObjectManager::Shutdown, each
    // announced by its line at INFO, when held says its manager exists.
    struct HeldResources
    {
        const char* releaseLine;
        std::function<bool()> held;
        std::function<void()> release;
    };
    std::vector<HeldResources> heldResources;

    // Builds every shader program again once a recompile released them
    // (ShaderManager::RecompileAllShaders).
    std::function<void()> rebuildShaders;

    // Where each line of a log report is echoed (the in-game console).
    std::function<void(const std::string& line)> logEcho;

    // Run in order by RegisterComponentFactories, one per floor with components.
    std::vector<ComponentRegistration> componentRegistrations;

    // The developer tools as the game's states use them.
    struct DeveloperTools
    {
        std::function<void()> loadConsole;             // from each state's Load: the console's display objects
        std::function<void()> updateConsole;           // once a frame: the console's keys and graph
        std::function<void()> toggleHelp;              // once a frame: F1 shows or hides the panels
        std::function<void()> closeObjectPanel;        // the "GameObject" panel goes (its object is leaving)
        std::function<void(bool panelsToo)> hideHelp;  // a screen is left: the help window hidden, and the panels too
    } tools;

    // The level editor's state object, which the tools make; bound to its
    // class by the game-state manager's start.
    GameState* levelEditorState = nullptr;
};

// The one door.
EngineDoor& Door();

} // namespace QRX
