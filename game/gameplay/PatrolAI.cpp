#include "game/gameplay/PatrolAI.h"

#include <cmath>

#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>

#include "engine/core/AudioManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/StateCommon.h"
#include "game/gameplay/AIComponent.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

const glm::vec3 UP(0.0f, 1.0f, 0.0f);
// The robot model looks along its local -x.
const glm::vec3 MODEL_FRONT(-1.0f, 0.0f, 0.0f);
const glm::vec4 VIEW_CONE_COLOUR(1.0f, 0.0f, 0.0f, 0.7f);

} // namespace

GameObject* PatrolAI::OwnerObject() const { return m_Owner ? m_Owner->owner : nullptr; }

void PatrolAI::Reset()
{
    m_WaypointIndex = -1;
    m_Path.clear();
    m_PauseTimer = 0.0;
    m_Attempts = 0;
    m_Body = nullptr;
    m_IsTouchedInChase = false;
    m_CurrentState = STATE_START;
    m_RequestedState = STATE_START;
    m_AlertTexture = ALERT_TEXTURE;
    m_NormalTexture = NORMAL_TEXTURE;
}

void PatrolAI::Sense(GameObject* object)
{
    m_OwnPosition = object->position;
    if (m_OwnPosition.y < FALL_Y) object->flags |= OBJ_DESTROY;
    GameObject* player = MainPlayer();
    m_HasPlayer = player != nullptr;
    if (player) m_PlayerPosition = player->position;
    m_ToPlayer = m_HasPlayer ? m_PlayerPosition - m_OwnPosition : glm::vec3(0.0f);
    m_FrameTime = CappedFrameStep();
    m_Body = GetPhysicsComponent(object);
    if (m_Body) m_Body->flags &= ~BODY_CAN_SLEEP;
}

void PatrolAI::Update()
{
    GameObject* object = OwnerObject();
    if (!object) return;
    Sense(object);
    RunStates();
    // Nothing may follow: a catch can have reloaded the level.
}

bool PatrolAI::IsChasing() const
{
    for (int state : {m_CurrentState, m_RequestedState})
        if (state == STATE_CHASE || state == STATE_DECIDE) return true;
    return false;
}

bool PatrolAI::SeesPlayer() const
{
    if (!m_HasPlayer || !m_Body) return false;
    const float distance = glm::length(m_ToPlayer);
    if (!(distance > 0.0f) || distance > SIGHT_DISTANCE) return false;
    const glm::vec3 moving(m_Body->velocity.x, 0.0f, m_Body->velocity.z);
    const float speed = glm::length(moving);
    if (!(speed > 0.0f) || !std::isfinite(speed)) return false;
    return glm::dot(moving / speed, m_ToPlayer / distance) > SIGHT_COSINE;
}

glm::vec3 PatrolAI::Facing() const
{
    const GameObject* object = OwnerObject();
    if (!object) return -MODEL_FRONT;
    return object->rotation * MODEL_FRONT;
}

bool PatrolAI::Turn()
{
    GameObject* object = OwnerObject();
    if (!object) return true;
    glm::vec3 toTarget = m_StepTarget - m_OwnPosition;
    toTarget.y = 0.0f;
    const glm::vec3 facing = Facing();
    const float side = glm::dot(glm::cross(toTarget, UP), facing);
    float degrees = 0.0f;
    if (side < -ALIGN_TOLERANCE) degrees = -TURN_DEGREES;
    else if (side > ALIGN_TOLERANCE) degrees = TURN_DEGREES;
    else if (glm::dot(toTarget, facing) >= 0.0f) return true;
    else {
        // A point straight behind lies on no side either and counts as
        // aligned at once; the robot turns round on the spot, so that it
        // does not walk back with its model and cone looking away from
        // where it goes and sees.
        object->rotation = glm::angleAxis(glm::pi<float>(), UP) * object->rotation;
        object->flags &= ~OBJ_WORLD_VALID;
        return true;
    }
    // About the world's up axis, whatever the robot's tilt.
    object->rotation = glm::angleAxis(glm::radians(degrees), UP) * object->rotation;
    object->flags &= ~OBJ_WORLD_VALID;
    return false;
}

const char* PatrolAI::DescribeState() const
{
    switch (m_CurrentState) {
    case STATE_WALK:
    case STATE_PATROL: return "walking its loop";
    case STATE_CHASE:
    case STATE_DECIDE: return "chasing the robot";
    case STATE_PAUSE: return "pausing after a catch";
    default: return "starting";
    }
}

void PatrolAI::StartChase()
{
    GameObject* object = OwnerObject();
    if (object && m_RequestedState != STATE_CHASE)
        QRX_LOG_INFO("Patrol %d at %s saw the robot at %s, %.2f away, and turns to chase it", object->id,
                     PositionText(m_OwnPosition).c_str(), PositionText(m_PlayerPosition).c_str(),
                     glm::length(m_ToPlayer));
    m_RequestedState = STATE_CHASE;
}

void PatrolAI::DrawViewCone(const glm::vec3& direction) const
{
    System* system = System::PeekInstance();
    Renderer* renderer = system ? system->renderer : nullptr;
    if (!renderer) return;
    glm::vec3 flat(direction.x, 0.0f, direction.z);
    const float length = glm::length(flat);
    if (!(length > 0.0f) || !std::isfinite(length)) return;
    flat /= length;
    const float angle = glm::radians(VIEW_CONE_HALF_ANGLE_DEGREES);
    const glm::vec3 left = glm::angleAxis(angle, UP) * flat * VIEW_CONE_LENGTH;
    const glm::vec3 right = glm::angleAxis(-angle, UP) * flat * VIEW_CONE_LENGTH;
    renderer->AddLine3D(m_OwnPosition, m_OwnPosition + left, VIEW_CONE_COLOUR, VIEW_CONE_WIDTH);
    renderer->AddLine3D(m_OwnPosition, m_OwnPosition + right, VIEW_CONE_COLOUR, VIEW_CONE_WIDTH);
    renderer->AddLine3D(m_OwnPosition + left, m_OwnPosition + right, VIEW_CONE_COLOUR, VIEW_CONE_WIDTH);
}

void PatrolAI::SetTexture(const std::string& name) const
{
    if (GraphicsComponent* graphics = GetGraphicsComponent(OwnerObject())) graphics->SetTextureName(name);
}

void PatrolAI::PlanToNextWaypoint()
{
    if (m_Waypoints.empty()) {
        m_RequestedState = STATE_PAUSE;
        return;
    }
    // Walk on along what is left of an earlier path first.
    if (!m_Path.empty()) return;
    for (;;) {
        if (m_Attempts > m_Waypoints.size()) {
            m_RequestedState = STATE_PAUSE;
            return;
        }
        // The loop may have been shortened since the index was chosen.
        ++m_WaypointIndex;
        if (m_WaypointIndex < 0 || static_cast<size_t>(m_WaypointIndex) >= m_Waypoints.size()) m_WaypointIndex = 0;
        ++m_Attempts;
        m_Goal = m_Waypoints[static_cast<size_t>(m_WaypointIndex)];
        PlanPath(m_Search, m_OwnPosition, m_Goal, m_Path);
        if (!m_Path.empty()) return;
    }
}

void PatrolAI::OnStart()
{
    switch (m_CurrentState) {
    case STATE_START:
        m_RequestedState = STATE_PATROL;
        break;
    case STATE_WALK:
        SetTexture(m_NormalTexture);
        break;
    case STATE_PATROL:
        m_Attempts = 0;
        SetTexture(m_NormalTexture);
        PlanToNextWaypoint();
        break;
    case STATE_CHASE: {
        // Heard where the player stands; without one there is no listener.
        System* system = System::PeekInstance();
        if (m_HasPlayer && system && system->audioManager)
            system->audioManager->PlaySoundAt(ALERT_SOUND, m_OwnPosition, m_PlayerPosition);
        SetTexture(m_AlertTexture);
        m_Path.clear();
        m_Goal = m_PlayerPosition;
        if (m_HasPlayer && PlanPath(m_Search, m_OwnPosition, m_Goal, m_Path) && !m_Path.empty()) {
            m_StepTarget = m_Path.front();
            m_StepTarget.y = m_OwnPosition.y;
            m_Path.erase(m_Path.begin());
        } else {
            m_RequestedState = STATE_PATROL;
            if (GameObject* object = OwnerObject())
                QRX_LOG_INFO("Patrol %d finds no way to the robot at %s and patrols on", object->id,
                             PositionText(m_PlayerPosition).c_str());
        }
        break;
    }
    case STATE_DECIDE:
        m_RequestedState =
            (m_HasPlayer && glm::length(m_ToPlayer) <= SIGHT_DISTANCE) ? STATE_CHASE : STATE_PATROL;
        break;
    case STATE_PAUSE:
        m_Path.clear();
        m_PauseTimer = 0.0;
        break;
    default:
        break;
    }
}

void PatrolAI::OnUpdate()
{
    // The bodies met in the last step while the robot chased: at a low frame
    // rate a head-on chase closes more than the catch distance's margin in
    // one step, and the touch would otherwise end the attempt for a catch.
    const bool touched = m_IsTouchedInChase;
    m_IsTouchedInChase = false;
    switch (m_CurrentState) {
    case STATE_START:
        m_RequestedState = STATE_PATROL;
        break;
    case STATE_WALK: {
        const glm::vec3 toTarget = m_StepTarget - m_OwnPosition;
        if (glm::length(toTarget) < ARRIVE_DISTANCE) {
            m_RequestedState = STATE_PATROL;
            break;
        }
        DrawViewCone(toTarget);
        SetWalkVelocity(m_Body, toTarget, WALK_SPEED);
        if (SeesPlayer()) StartChase();
        break;
    }
    case STATE_PATROL:
        // Only the first frame of a turn still carries the walking velocity.
        if (SeesPlayer()) StartChase();
        StopWalking(m_Body);
        if (m_Path.empty()) {
            // Nothing left to turn to (the path was taken away): plan again.
            m_RequestedState = STATE_START;
            break;
        }
        m_StepTarget = m_Path.front();
        m_StepTarget.y = m_OwnPosition.y;
        DrawViewCone(Facing());
        if (Turn()) {
            m_Path.erase(m_Path.begin());
            m_RequestedState = STATE_WALK;
        }
        break;
    case STATE_CHASE: {
        Turn();
        const glm::vec3 toTarget = m_StepTarget - m_OwnPosition;
        SetWalkVelocity(m_Body, toTarget, WALK_SPEED);
        if (glm::length(toTarget) < CHASE_STEP_DISTANCE) m_RequestedState = STATE_DECIDE;
        if (!touched && (!m_HasPlayer || !(glm::length(m_ToPlayer) < CATCH_DISTANCE))) break;
        m_RequestedState = STATE_PAUSE;
        if (GameObject* object = OwnerObject())
            QRX_LOG_INFO("Patrol %d at %s caught the robot at %s, %.2f away%s", object->id,
                         PositionText(m_OwnPosition).c_str(), PositionText(m_PlayerPosition).c_str(),
                         glm::length(m_ToPlayer), touched ? " (their bodies touched)" : "");
        System* system = System::GetInstance();
        if (system->checkpointStore && system->checkpointStore->HasCheckpoint()) {
            system->checkpointStore->Restore();
            QRX_LOG_INFO("Using checkpoint since caught by AI");
            return;
        }
        QRX_LOG_INFO("Reloading since caught by AI");
        // The manager reloads once the level's update has returned; this
        // robot is not touched again in this frame either way.
        if (system->gameStateManager) system->gameStateManager->ReloadState();
        return;
    }
    case STATE_DECIDE:
        break;
    case STATE_PAUSE:
        // Stand still: a body sliding on a floor barely slows by itself.
        StopWalking(m_Body);
        m_PauseTimer += m_FrameTime;
        if (m_PauseTimer > PAUSE_SECONDS) m_RequestedState = STATE_PATROL;
        break;
    default:
        break;
    }
}

} // namespace QRX
