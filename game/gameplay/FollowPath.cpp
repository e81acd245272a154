#include "game/gameplay/FollowPath.h"

#include "engine/objects/GameObject.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/MotionCommon.h"

namespace QRX {

FollowPath::FollowPath() : Component(CT_FOLLOWPATH) {}

void FollowPath::SetPath(const std::vector<glm::vec3>& points, float speed, bool follow)
{
    m_Path = points;
    m_Speed = speed;
    m_CurrentIndex = 0;
    m_Direction = glm::vec3(0.0f);
    m_IsFollowing = follow;
}

void FollowPath::Update()
{
    if (!owner) return;
    if (!m_IsFollowing) {
        DropBody(owner);
    } else {
        // Equal consecutive points have no direction: move on past them.
        while (m_CurrentIndex + 1 < m_Path.size() &&
               UnitOrZero(m_Path[m_CurrentIndex + 1] - m_Path[m_CurrentIndex]) == glm::vec3(0.0f))
            ++m_CurrentIndex;
        if (m_CurrentIndex + 1 < m_Path.size()) {
            const glm::vec3& from = m_Path[m_CurrentIndex];
            const glm::vec3 segment = m_Path[m_CurrentIndex + 1] - from;
            m_Direction = UnitOrZero(segment);
            MoveObject(owner, owner->position + m_Direction * m_Speed * GameplayFrameStep());
            const glm::vec3 travelled = owner->position - from;
            if (glm::dot(travelled, travelled) > glm::dot(segment, segment)) ++m_CurrentIndex;
        } else {
            m_IsFollowing = false;
        }
    }
    if (owner->position.y <= FALL_Y) owner->flags |= OBJ_DESTROY;
}

void FollowPath::OnCollision(GameObject* other)
{
    if (!other) return;
    m_IsFollowing = false;
    DropBody(owner);
}

} // namespace QRX
