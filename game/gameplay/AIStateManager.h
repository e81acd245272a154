// The base of the enemy robots' state machines, and the steps they share.
//
// A machine is a member of its AI component and dies with it, so the base
// has no virtual destructor (it is protected instead: no one deletes a
// machine through the base) and no data. The component calls Update once a
// frame; Update is the driver:
//   1. the owner's position (a robot below FALL_Y is marked for destruction
//      at the end of the frame; the frame goes on),
//   2. the main player's position,
//   3. the body's CanSleep flag cleared (a robot never falls asleep),
//   4. a pending state change: OnExit, ChangeState, OnStart,
//   5. OnUpdate, unless the OnStart of step 4 asked for yet another state.
//
// Rules every machine keeps:
// - The main player is System::playerOne while that object is alive and a
//   PLAYER; without one a robot sees, chases and catches nothing.
// - A direction of no length (or not finite) gives no horizontal velocity,
//   never NaN.
// - An owner without a body or a graphics component skips the velocity,
//   sleep and texture steps; the rest of the frame runs.
#pragma once
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

class GameObject;
class GraphicsComponent;
class GridPathSearch;
class PhysicsComponent;

class AIStateManager
{
public:
    // A robot whose y is below this has fallen out of the level.
    static constexpr float FALL_Y = -5.0f;
    // Walking speed in world units per second.
    static constexpr float WALK_SPEED = 3.0f;

    AIStateManager() = default;
    AIStateManager(const AIStateManager&) = delete;
    AIStateManager& operator=(const AIStateManager&) = delete;

    // Entry work of the current state, once when the state is entered.
    virtual void OnStart() = 0;
    // Leaving work of the current state.
    virtual void OnExit() = 0;
    // The current state's work for this frame.
    virtual void OnUpdate() = 0;
    // The requested state becomes the current one.
    virtual void ChangeState() = 0;
    // Back to the start state, forgetting the frame's references.
    virtual void Reset() = 0;
    // The driver, once a frame (see the header comment).
    virtual void Update() = 0;
    // Messages from other parts of the game; no machine takes any yet.
    virtual void HandleMessage(int message) = 0;

    // The main player object, or null when the slot is empty, its object
    // went back to the pool or is not a PLAYER.
    static GameObject* MainPlayer();
    // velocity x and z := direction / |direction| x speed, y unchanged; x and
    // z 0 for a direction of no length or one that is not finite. Nothing
    // for a null body.
    static void SetWalkVelocity(PhysicsComponent* body, const glm::vec3& direction, float speed);
    // velocity x and z := 0, y unchanged; nothing for a null body.
    static void StopWalking(PhysicsComponent* body);
    // A grid search on the current level's map from the cell of `from` to
    // the cell of `to` (cells by truncation toward zero). True when a path
    // was found; `path` then holds a copy of it. False leaves `path` alone.
    static bool PlanPath(GridPathSearch& search, const glm::vec3& from, const glm::vec3& to,
                         std::vector<glm::vec3>& path);

    int GetCurrentState() const { return m_CurrentState; }
    int GetRequestedState() const { return m_RequestedState; }

protected:
    // The frame's turn of the machine: a requested change runs the old
    // state's exit, the change and the new state's entry; an entry that asks
    // for yet another state ends the frame, else the current state works.
    void RunStates();

    int m_CurrentState = 0;    // every machine starts in its state 0
    int m_RequestedState = 0;

    ~AIStateManager() = default;
};

} // namespace QRX
