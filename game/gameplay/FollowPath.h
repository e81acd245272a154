// The path follower (CT_FOLLOWPATH): carries its object along a polyline at
// a steady speed, then lets it drop.
//
// The path is given by the code that places the object (SetPath); nothing
// in files sets it, and a follower never given one drops at once.
// Rules, each update:
// - Not following: the object's body (if any) drops (BODY_CAN_SLEEP
//   cleared, gravity y FULL_GRAVITY_Y).
// - Following with a next point: the object moves speed x d toward it
//   along the current segment; once it is farther from the segment's start
//   than the segment is long, the next segment begins (the object is not
//   snapped to the point). Zero-length segments are skipped.
// - Following with no next point: following stops; the drop starts on the
//   next update.
// - Always: an object at or below FALL_Y is marked for destruction.
// Any contact stops the following and drops the object at once.
// No fields in files.
#pragma once
#include <cstddef>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class FollowPath : public Component
{
public:
    static constexpr Components TYPE = CT_FOLLOWPATH;
    static constexpr float DEFAULT_SPEED = 5.0f;
    static constexpr float FALL_Y = -5.0f;

    FollowPath();

    void Update() override;
    // Stops following and drops; null is ignored.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    // Takes a new path and speed (units per second) and starts from its
    // first segment, following when asked. The object is not moved: the
    // caller places it at the first point. Fewer than two points stop at
    // the next update.
    void SetPath(const std::vector<glm::vec3>& points, float speed, bool follow = true);

    std::vector<glm::vec3> m_Path;
    float m_Speed = DEFAULT_SPEED;
    bool m_IsFollowing = false;
    std::size_t m_CurrentIndex = 0;
    glm::vec3 m_Direction{0.0f};
};

} // namespace QRX
