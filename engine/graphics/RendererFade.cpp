// The occluder fade: crates between the player and the camera turn see-through.
// Kept apart from the mesh code: the collision and the mesh headers both name
// their own bounding volumes.
#include <algorithm>

#include "engine/graphics/Camera.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/AccurateCollision.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/Primitive.h"

namespace QRX {

void Renderer::FadeOccludingCrates(GameObjectGroup& group, float fadedOpacity)
{
    GameObject* player = LivePlayerOne();
    if (!player || !m_camera) return;

    LineSegment segment;
    segment.start = player->position + glm::vec3(0.0f, PLAYER_EYE_HEIGHT, 0.0f);
    segment.end = m_camera->GetEye();
    segment.direction = glm::vec3(0.0f);
    segment.length = 1.0f;
    segment.UpdateDirection();

    for (GameObject* object : group) {
        if (object->type != CUBE && object->type != CRATE) continue;
        auto* graphics = static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
        CollisionComponent* collision = GetCollisionComponent(object);
        // Only a box can be tested; objects without one keep their opacity.
        const auto* box = collision ? dynamic_cast<const CollisionBox*>(collision->GetPrimitive()) : nullptr;
        if (!graphics || !box) continue;
        float t = 0.0f;
        glm::vec3 point(0.0f);
        // Only what is drawn fades: a see-through block stays as see-through
        // as its level made it, and a save never sees the fade.
        const float own = graphics->GetOwnOpacity();
        const bool inTheWay = CollisionDetector::SegmentAndBox(segment, *box, t, point);
        graphics->SetOpacity(inTheWay ? std::min(own, fadedOpacity) : own);
    }
}

} // namespace QRX
