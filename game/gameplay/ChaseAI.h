// The chasing robot's state machine, the heart of the AI chase component.
//
// The robot walks grid paths (GridPathSearch) toward the main player and
// ends the attempt with the retry menu when it gets close.
//
// States:
//   0 start: asks for 2.
//   2 plan: on entry a fresh path to the cell where the player stands; with
//     one it takes the first point as its step target and asks for 1.
//     Without one it stands and plans again each time REPLAN_SECONDS have
//     passed (a robot with no way to the player stays where it is).
//   1 move: walks at WALK_SPEED toward the step target, plans again (2)
//     within STEP_DISTANCE of it, and within CATCH_DISTANCE of the player
//     asks for 3 and for the retry menu (and says so in the log at INFO,
//     with its id, both positions and the distance).
//   3 caught: nothing more.
// A robot without a main player plans nothing and catches nothing.
#pragma once
#include <vector>

#include <glm/glm.hpp>

#include "game/gameplay/AIStateManager.h"
#include "game/gameplay/GridPathSearch.h"

namespace QRX {

class AIChaseComponent;

class ChaseAI : public AIStateManager
{
public:
    static constexpr int STATE_START = 0;
    static constexpr int STATE_MOVE = 1;
    static constexpr int STATE_PLAN = 2;
    static constexpr int STATE_CAUGHT = 3;

    static constexpr float STEP_DISTANCE = 0.5f;
    static constexpr float CATCH_DISTANCE = 1.0f;
    static constexpr double REPLAN_SECONDS = 0.5;

    ChaseAI() = default;

    void OnStart() override;
    // Nothing to undo when a state ends.
    void OnExit() override {}
    void OnUpdate() override;
    void ChangeState() override { m_CurrentState = m_RequestedState; }
    // States 0, no path, no body.
    void Reset() override;
    void Update() override;
    void HandleMessage(int) override {}

    // The component that owns the machine (set by the component's Init).
    void SetOwner(AIChaseComponent* owner) { m_Owner = owner; }
    AIChaseComponent* GetOwner() const { return m_Owner; }

    const std::vector<glm::vec3>& GetPath() const { return m_Path; }
    const glm::vec3& GetStepTarget() const { return m_StepTarget; }
    const glm::vec3& GetGoal() const { return m_Goal; }

private:
    GameObject* OwnerObject() const;
    // A path to the player's cell; asks for 1 when there is one.
    void Plan();

    std::vector<glm::vec3> m_Path;
    glm::vec3 m_StepTarget{0.0f};
    glm::vec3 m_Goal{0.0f};
    glm::vec3 m_OwnPosition{0.0f};
    glm::vec3 m_PlayerPosition{0.0f};
    glm::vec3 m_ToPlayer{0.0f};
    bool m_HasPlayer = false;  // a main player existed this frame
    GridPathSearch m_Search;
    PhysicsComponent* m_Body = nullptr;
    AIChaseComponent* m_Owner = nullptr;
    double m_PlanTimer = 0.0;  // seconds since the last failed plan
};

} // namespace QRX
