#include "game/gameplay/AIComponent.h"

#include <cstring>
#include <sstream>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

const char* AI_ELEMENT = "AI";
const char* TYPE_ELEMENT = "Type";
const char* WAYPOINT_ELEMENT = "Waypoint";

std::string WaypointText(const glm::vec3& waypoint)
{
    std::ostringstream out;
    out << waypoint.x << ' ' << waypoint.y << ' ' << waypoint.z;
    return out.str();
}

} // namespace

AIComponent::AIComponent() : Component(CT_AI) {}

void AIComponent::Init()
{
    m_Patrol.SetOwner(this);
    m_Patrol.Reset();
}

void AIComponent::Update()
{
    if (!owner) return;
    if (m_Timed) {
        m_LifeTimer += GameplayFrameStep();
        if (m_LifeLimit < m_LifeTimer) owner->flags |= OBJ_DESTROY;
    }
    // Last: a catch may reload the level, and this component with it.
    m_Patrol.Update();
}

void AIComponent::OnCollision(GameObject* other)
{
    if (!other || other->type != PLAYER) return;
    System* system = System::PeekInstance();
    GameStateManager* states = system ? system->gameStateManager : nullptr;
    if (!states) return;
    // Chasing, the patrol has caught the robot: its next update says so.
    if (m_Patrol.IsChasing()) {
        m_Patrol.NoteTouchInChase();
        return;
    }
    // The bodies touch on every step until the menu is up: one line.
    if (owner && states->GetRequestedState() != STATE_GAMERETRYMENU)
        QRX_LOG_INFO("The robot at %s walked into patrol %d at %s (%s), %.2f apart: the retry menu opens",
                     PositionText(other->position).c_str(), owner->id, PositionText(owner->position).c_str(),
                     m_Patrol.DescribeState(), glm::length(other->position - owner->position));
    states->RequestState(STATE_GAMERETRYMENU);
}

void AIComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    ReadSerializeVars(firstElement);
    for (const tinyxml2::XMLElement* element = firstElement; element; element = element->NextSiblingElement())
        if (std::strcmp(element->Name(), AI_ELEMENT) == 0) ReadAIElement(element);
}

void AIComponent::ReadAIElement(const tinyxml2::XMLElement* element)
{
    m_Patrol.ClearWaypoints();
    for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        const char* name = child->Name();
        const char* text = ElementText(child);
        if (std::strcmp(name, TYPE_ELEMENT) == 0) {
            AIType kind = static_cast<AIType>(m_AIType);
            if (text && StringToAIType(text, kind)) m_AIType = kind;
            else QRX_LOG_WARNING("Unknown AI type \"%s\": the AI keeps its kind", text ? text : "");
        } else if (std::strcmp(name, WAYPOINT_ELEMENT) == 0) {
            glm::vec3 waypoint(0.0f);
            std::istringstream in(text ? text : "");
            if (in >> waypoint.x >> waypoint.y >> waypoint.z) m_Patrol.AppendWaypoint(waypoint);
            else QRX_LOG_WARNING("Waypoint \"%s\" is not three numbers: it is skipped", text ? text : "");
        }
    }
}

void AIComponent::Write(const Component* master)
{
    if (IsEqual(master)) return;
    System* system = System::PeekInstance();
    FileManager* fm = system ? system->fileManager : nullptr;
    if (!fm) return;
    fm->WriteSibling("Component");
    fm->WriteChild(TYPE_ELEMENT);
    fm->WriteValue(FileManager::ComponentsToString(type));
    WriteSerializeVars(master);
    fm->WriteSibling(AI_ELEMENT);
    fm->WriteChild(TYPE_ELEMENT);
    fm->WriteValue(AITypeToString(m_AIType));
    for (const glm::vec3& waypoint : m_Patrol.GetWaypoints()) {
        fm->WriteSibling(WAYPOINT_ELEMENT);
        fm->WriteValue(WaypointText(waypoint));
    }
    // Out of "AI", then out of "Component": back at the object's level.
    fm->WriteReturn();
    fm->WriteReturn();
}

bool AIComponent::IsEqual(const Component* other) const
{
    if (!other) return true;
    const AIComponent* ai = dynamic_cast<const AIComponent*>(other);
    if (!ai) return false;
    if (!CompareSerializeVars(ai)) return false;
    // Exact comparison: a waypoint moved by any amount is a change to save.
    return m_Patrol.GetWaypoints() == ai->m_Patrol.GetWaypoints();
}

void AIComponent::CopyFrom(const Component* other)
{
    const AIComponent* ai = dynamic_cast<const AIComponent*>(other);
    if (!ai || ai == this) return;
    CopySerializeVars(ai);
    m_AIType = ai->m_AIType;
}

} // namespace QRX
