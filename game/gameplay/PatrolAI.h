// The patrolling robot's state machine, the heart of the AI component.
//
// The robot walks a loop of waypoints on grid paths (GridPathSearch), turning
// on the spot toward each path point before it walks there, watches a cone
// in front of it, chases the main player when it sees it, and on catching
// the player puts the level back to the last checkpoint or reloads it.
//
// States:
//   0 start: asks for 2.
//   1 walk: walks at WALK_SPEED to the step target; within ARRIVE_DISTANCE
//     asks for 2. Seeing the player asks for 3.
//   2 patrol: on entry keeps what is left of the path, or plans a path to the
//     next waypoint of the loop (every waypoint is tried once, the one tried
//     first twice; none reachable, or no waypoints: 5). Then it stands and
//     turns TURN_DEGREES a frame toward the next path point; once aligned it
//     takes that point off the path and asks for 1 (which overrides a 3 asked
//     the same frame on seeing the player). A point straight behind counts
//     as aligned at once, the robot turned round on the spot: it never walks
//     backwards, its model and cone looking away from where it goes.
//   3 chase: on entry the alert sound, the red texture and a fresh path to
//     where the player stands (no path: 2). It turns and walks toward the
//     step target, asks for 4 within CHASE_STEP_DISTANCE of it, and catches
//     the player within CATCH_DISTANCE (5, then a checkpoint restore, or a
//     reload of the level that runs once the level's update has returned).
//     A touch of the two bodies while chasing (3, 4, or 3 asked this frame)
//     is a catch too, at the chase's next update: head on at a low frame
//     rate the bodies meet before the distance is seen below CATCH_DISTANCE.
//   4 decide: 3 again while the player is within SIGHT_DISTANCE, else 2.
//   5 pause: PAUSE_SECONDS standing still (the path emptied), then 2.
//
// Seeing: the player within SIGHT_DISTANCE and less than 30 degrees
// (cosine above SIGHT_COSINE) off the robot's horizontal velocity; a robot
// standing still, or one at the player's very position, sees nothing.
// Facing is the owner's rotation applied to the robot model's front, its
// local -x, so the model looks where the robot turns and walks (the ENEMY
// master is turned half round, so an unturned robot still faces +x at the
// start). Times advance by the capped
// frame time. The robot's update returns right after a catch: nothing of
// the robot is used after the reload call. A sight that starts a chase, a
// chase that finds no way and a catch are written to the log at INFO, with
// the robot's id and the positions (and the distance).
#pragma once
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "game/gameplay/AIStateManager.h"
#include "game/gameplay/GridPathSearch.h"

namespace QRX {

class AIComponent;

class PatrolAI : public AIStateManager
{
public:
    static constexpr int STATE_START = 0;
    static constexpr int STATE_WALK = 1;
    static constexpr int STATE_PATROL = 2;
    static constexpr int STATE_CHASE = 3;
    static constexpr int STATE_DECIDE = 4;
    static constexpr int STATE_PAUSE = 5;

    static constexpr float SIGHT_DISTANCE = 3.5f;
    static constexpr float SIGHT_COSINE = 0.866f;
    static constexpr float TURN_DEGREES = 3.0f;
    // |side| at or below this counts as facing the step target.
    static constexpr float ALIGN_TOLERANCE = 0.05f;
    static constexpr float ARRIVE_DISTANCE = 0.1f;
    static constexpr float CHASE_STEP_DISTANCE = 0.5f;
    static constexpr float CATCH_DISTANCE = 1.0f;
    static constexpr double PAUSE_SECONDS = 5.0;
    // The debug view cone: its sides' length, half angle, colour and width.
    static constexpr float VIEW_CONE_LENGTH = 3.5f;
    static constexpr float VIEW_CONE_HALF_ANGLE_DEGREES = 30.0f;
    static constexpr float VIEW_CONE_WIDTH = 5.0f;

    static constexpr const char* ALERT_SOUND = "ai_alerted.mp3";
    static constexpr const char* NORMAL_TEXTURE = "enemy";
    static constexpr const char* ALERT_TEXTURE = "enemy_red";

    PatrolAI() = default;

    void OnStart() override;
    // Nothing to undo when a state ends.
    void OnExit() override {}
    void OnUpdate() override;
    void ChangeState() override { m_CurrentState = m_RequestedState; }
    // States 0, waypoint index -1, no path, pause timer 0, the two textures;
    // the waypoints stay.
    void Reset() override;
    void Update() override;
    void HandleMessage(int) override {}

    // The component that owns the machine (set by the component's Init).
    void SetOwner(AIComponent* owner) { m_Owner = owner; }
    AIComponent* GetOwner() const { return m_Owner; }

    // A copy of the patrol loop, in walking order.
    std::vector<glm::vec3> GetWaypoints() const { return m_Waypoints; }
    // Replaces the loop (the level editor does so every frame); the waypoint
    // being walked to keeps its index.
    void SetWaypoints(const std::vector<glm::vec3>& waypoints) { m_Waypoints = waypoints; }
    // Adds a waypoint at the end of the loop.
    void AppendWaypoint(const glm::vec3& waypoint) { m_Waypoints.push_back(waypoint); }
    void ClearWaypoints() { m_Waypoints.clear(); }

    // Whether the robot sees the player this frame (see the header comment).
    bool SeesPlayer() const;
    // The unit vector the owner faces: its rotation applied to the model's
    // front (-x); +x without an owner object.
    glm::vec3 Facing() const;
    // Whether the robot chases the player, or asked to this frame (states 3
    // and 4).
    bool IsChasing() const;
    // The robot's body touched the player while chasing: the next update
    // that runs the chase catches the player, wherever it stands by then.
    void NoteTouchInChase() { m_IsTouchedInChase = true; }
    // What the robot is doing, in words for the log ("walking its loop",
    // "chasing the robot", ...).
    const char* DescribeState() const;

    void RequestState(int state) { m_RequestedState = state; }
    int GetWaypointIndex() const { return m_WaypointIndex; }
    unsigned GetAttempts() const { return m_Attempts; }
    const std::vector<glm::vec3>& GetPath() const { return m_Path; }
    const glm::vec3& GetStepTarget() const { return m_StepTarget; }
    const glm::vec3& GetGoal() const { return m_Goal; }
    double GetPauseTimer() const { return m_PauseTimer; }
    const std::string& GetNormalTexture() const { return m_NormalTexture; }
    const std::string& GetAlertTexture() const { return m_AlertTexture; }

private:
    // The owner's game object, or null before Init.
    GameObject* OwnerObject() const;
    // Refreshes the frame's positions, frame time and body.
    void Sense(GameObject* object);
    // Plans toward the next reachable waypoint of the loop (state 2's entry).
    void PlanToNextWaypoint();
    // One turn step toward the step target; true when aligned (one behind: turned round at once).
    bool Turn();
    // The three lines of the view cone along a horizontal direction.
    void DrawViewCone(const glm::vec3& direction) const;
    void SetTexture(const std::string& name) const;
    // Asks for the chase, and says so in the log when the robot was not
    // chasing already.
    void StartChase();

    AIComponent* m_Owner = nullptr;
    int m_WaypointIndex = -1;
    std::vector<glm::vec3> m_Waypoints;
    std::vector<glm::vec3> m_Path;
    glm::vec3 m_StepTarget{0.0f};
    glm::vec3 m_Goal{0.0f};
    glm::vec3 m_OwnPosition{0.0f};
    glm::vec3 m_PlayerPosition{0.0f};
    glm::vec3 m_ToPlayer{0.0f};
    bool m_HasPlayer = false;  // a main player existed this frame
    bool m_IsTouchedInChase = false;  // the bodies met in the last step, chasing
    GridPathSearch m_Search;
    double m_PauseTimer = 0.0;
    double m_FrameTime = 0.0;
    unsigned m_Attempts = 0;
    PhysicsComponent* m_Body = nullptr;
    std::string m_AlertTexture = ALERT_TEXTURE;
    std::string m_NormalTexture = NORMAL_TEXTURE;
};

} // namespace QRX
