#include "game/gameplay/WaypointComponent.h"

namespace QRX {

WaypointComponent::WaypointComponent() : Component(CT_WAYPOINT) {}

WaypointComponent::~WaypointComponent() { m_Enemy = nullptr; }

} // namespace QRX
