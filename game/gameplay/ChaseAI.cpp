#include "game/gameplay/ChaseAI.h"

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/StateCommon.h"
#include "game/gameplay/AIChaseComponent.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

GameObject* ChaseAI::OwnerObject() const { return m_Owner ? m_Owner->owner : nullptr; }

void ChaseAI::Reset()
{
    m_Path.clear();
    m_Body = nullptr;
    m_PlanTimer = 0.0;
    m_CurrentState = STATE_START;
    m_RequestedState = STATE_START;
}

void ChaseAI::Update()
{
    GameObject* object = OwnerObject();
    if (!object) return;
    m_OwnPosition = object->position;
    if (m_OwnPosition.y < FALL_Y) object->flags |= OBJ_DESTROY;
    GameObject* player = MainPlayer();
    m_HasPlayer = player != nullptr;
    if (player) m_PlayerPosition = player->position;
    m_ToPlayer = m_HasPlayer ? m_PlayerPosition - m_OwnPosition : glm::vec3(0.0f);
    m_Body = GetPhysicsComponent(object);
    if (m_Body) m_Body->flags &= ~BODY_CAN_SLEEP;
    RunStates();
}

void ChaseAI::Plan()
{
    m_Path.clear();
    if (!m_HasPlayer) return;
    m_Goal = m_PlayerPosition;
    if (!PlanPath(m_Search, m_OwnPosition, m_Goal, m_Path) || m_Path.empty()) return;
    m_StepTarget = m_Path.front();
    m_StepTarget.y = m_OwnPosition.y;
    m_Path.erase(m_Path.begin());
    m_RequestedState = STATE_MOVE;
}

void ChaseAI::OnStart()
{
    switch (m_CurrentState) {
    case STATE_START:
        m_RequestedState = STATE_PLAN;
        break;
    case STATE_PLAN:
        m_PlanTimer = 0.0;
        Plan();
        break;
    default:
        break;
    }
}

void ChaseAI::OnUpdate()
{
    switch (m_CurrentState) {
    case STATE_START:
        m_RequestedState = STATE_PLAN;
        break;
    case STATE_PLAN:
        // No way to the player: stand, and try again now and then.
        StopWalking(m_Body);
        m_PlanTimer += CappedFrameStep();
        if (m_PlanTimer > REPLAN_SECONDS) {
            m_PlanTimer = 0.0;
            Plan();
        }
        break;
    case STATE_MOVE: {
        const glm::vec3 toTarget = m_StepTarget - m_OwnPosition;
        if (glm::length(toTarget) < STEP_DISTANCE) m_RequestedState = STATE_PLAN;
        SetWalkVelocity(m_Body, toTarget, WALK_SPEED);
        if (m_HasPlayer && glm::length(m_ToPlayer) < CATCH_DISTANCE) {
            m_RequestedState = STATE_CAUGHT;
            if (GameObject* object = OwnerObject())
                QRX_LOG_INFO("Chaser %d at %s caught the robot at %s, %.2f away: the retry menu opens", object->id,
                             PositionText(m_OwnPosition).c_str(), PositionText(m_PlayerPosition).c_str(),
                             glm::length(m_ToPlayer));
            System* system = System::PeekInstance();
            if (system && system->gameStateManager) system->gameStateManager->RequestState(STATE_GAMERETRYMENU);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace QRX
