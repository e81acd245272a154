// The patrolling enemy (CT_AI): an object that walks a loop of waypoints,
// chases the robot it sees and sends it back when it catches it (the work
// is its PatrolAI's), and ends the attempt with the retry menu when the
// robot touches it outside a chase.
//
// Rules:
// - Init makes the patrol its own and resets it; Update advances a timed
//   life, then runs the patrol.
// - A timed enemy (one made at run time; level files never set it) is marked
//   for destruction once its life timer, advanced by the capped frame time,
//   is strictly greater than its life limit.
// - A contact with a PLAYER object while the patrol chases is its catch (see
//   PatrolAI). Any other asks for the retry menu, and the first
//   one says so in the log at INFO (both positions, the distance and what
//   the patrol was doing).
//
// In files the component's data are one "AI" element with a "Type" child
// naming the AI kind ("AI_PATROL", "AI_SMASHER", "AI_CHASE") and one
// "Waypoint" child per waypoint, in walking order, each "x y z". Reading an
// "AI" element replaces the waypoints; a "Waypoint" without three numbers is
// skipped and an unknown kind keeps the kind, each with a WARNING. Writing
// leaves the write cursor at the object's level, so what follows is a
// sibling of the "Component" element. The kind is written but never
// compared; copies take the kind only (an enemy's waypoints come from its
// own element, its life from whoever made it).
#pragma once
#include "engine/objects/Component.h"
#include "game/gameplay/PatrolAI.h"

namespace QRX {

class AIComponent : public Component
{
public:
    static constexpr Components TYPE = CT_AI;
    static constexpr float DEFAULT_LIFE_LIMIT = 100.0f;

    AIComponent();

    // The patrol's owner := this; the patrol's Reset.
    void Init() override;
    // The timed life, then the patrol's update.
    void Update() override;
    // A PLAYER asks for the retry menu; null and other objects are ignored.
    void OnCollision(GameObject* other) override;
    // The generic fields, then every "AI" element from the first element on.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    // Nothing when equal to the master; otherwise "Component" with "Type"
    // "CT_AI" and the "AI" element with the kind and every waypoint.
    void Write(const Component* master) override;
    // Same generic fields and the same waypoints, exactly, in order. True
    // for null, false for another class.
    bool IsEqual(const Component* other) const override;
    // The generic fields and the kind; another class or null changes nothing.
    void CopyFrom(const Component* other) override;

    PatrolAI& GetPatrol() { return m_Patrol; }
    const PatrolAI& GetPatrol() const { return m_Patrol; }

    int GetAIType() const { return m_AIType; }
    void SetAIType(int kind) { m_AIType = kind; }
    bool IsTimed() const { return m_Timed; }
    void SetTimed(bool timed) { m_Timed = timed; }
    float GetLifeLimit() const { return m_LifeLimit; }
    void SetLifeLimit(float limit) { m_LifeLimit = limit; }
    float GetLifeTimer() const { return m_LifeTimer; }

private:
    // Applies one "AI" element.
    void ReadAIElement(const tinyxml2::XMLElement* element);

    float m_LifeLimit = DEFAULT_LIFE_LIMIT;
    float m_LifeTimer = 0.0f;
    bool m_Timed = false;
    int m_AIType = AI_PATROL;
    PatrolAI m_Patrol;
};

} // namespace QRX
