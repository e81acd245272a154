// The waypoint marker (CT_WAYPOINT): what the level editor shows for one
// waypoint of an enemy's patrol, and the enemy it belongs to.
//
// It has no behaviour and no fields in files: the waypoints reach the level
// file through the enemy's AI component. The enemy is set and read only by
// the level editor; it is not owned and is forgotten when the marker goes.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class WaypointComponent : public Component
{
public:
    static constexpr Components TYPE = CT_WAYPOINT;
    WaypointComponent();
    ~WaypointComponent() override;

    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

    GameObject* GetEnemy() const { return m_Enemy; }
    void SetEnemy(GameObject* enemy) { m_Enemy = enemy; }

private:
    GameObject* m_Enemy = nullptr;
};

} // namespace QRX
