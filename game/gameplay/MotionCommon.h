// Steps the moving world objects share: safe unit vectors, moving an object,
// letting a body drop, and the level grid they leave.
#pragma once
#include <glm/glm.hpp>

namespace QRX {

class GameObject;
class Map;

// The vector scaled to length 1; the zero vector when it has no direction
// (zero length, or a component that is not finite).
glm::vec3 UnitOrZero(const glm::vec3& v);
// The vector scaled to length 1, or the fallback when it has no direction.
glm::vec3 UnitOr(const glm::vec3& v, const glm::vec3& fallback);

// Writes the object's position and clears OBJ_WORLD_VALID so the transform
// is rebuilt; nothing for null.
void MoveObject(GameObject* object, const glm::vec3& position);

// Lets the object's body fall: BODY_CAN_SLEEP cleared (a resting body
// would never start) and its FG_GRAVITY's y set to full gravity. Nothing
// for an object without a body; a body without a gravity generator only
// loses the sleep bit.
void DropBody(GameObject* object);

// The grid of the current level, or null (no game-state or level manager).
Map* CurrentLevelMap();

} // namespace QRX
