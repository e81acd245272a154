// The input manager's picks: cursor rays through the System camera, tested
// against temporary boxes; user-interface rectangles; the horizontal plane.
#include <cmath>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/AccurateCollision.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/Primitive.h"
#include "engine/platform/Mouse.h"
#include "tools/AntTweakBar.h"

namespace QRX {

namespace {

// The ray parameter a hit must beat at first.
constexpr float NO_HIT = 100000.0f;
// The screen pick's starting depth: below any user-interface object.
constexpr float LOWEST_DEPTH = -1000000.0f;
// A ray whose vertical part is below this share of its length runs along a
// horizontal plane: it meets it nowhere (or everywhere).
constexpr float PARALLEL_SHARE = 1e-6f;

const Camera* SystemCamera() { return System::GetInstance()->camera; }

bool ClientSize(int& width, int& height)
{
    return Platform::GetCursorWindowSize(width, height) && width > 0 && height > 0;
}

} // namespace

glm::vec3 InputManager::Unproject(float x, float y, float depth) const
{
    const Camera* camera = SystemCamera();
    if (!camera) return glm::vec3(0.0f);
    int width = 0, height = 0;
    Platform::GetCursorWindowSize(width, height);
    return camera->Unproject(x, y, depth, width, height);
}

GameObject* InputManager::RayPick(const std::vector<GameObject*>& objects) const
{
    int width = 0, height = 0;
    if (!SystemCamera() || !ClientSize(width, height)) return nullptr;
    const float x = static_cast<float>(m_currX);
    const float y = static_cast<float>(height - m_currY);
    LineSegment segment;
    segment.start = Unproject(x, y, 0.0f);
    segment.end = Unproject(x, y, 1.0f);
    segment.length = glm::length(segment.end - segment.start);
    segment.UpdateDirection();

    float best = NO_HIT;
    GameObject* result = nullptr;
    for (GameObject* object : objects) {
        if (!object || !(object->flags & OBJ_ACTIVE) || object->type == SKYBOX) continue;
        CollisionBox box;
        box.owner = object;
        box.halfSize = glm::vec3(0.5f);
        const CollisionComponent* collision = GetCollisionComponent(object);
        if (collision && collision->GetPrimitive()) box.offsetTransform = collision->GetPrimitive()->offsetTransform;
        box.UpdateTransform();
        float t = NO_HIT;
        glm::vec3 point(0.0f);
        if (CollisionDetector::SegmentAndBox(segment, box, t, point) && t < best) {
            best = t;
            result = object;
        }
    }
    return result;
}

GameObject* InputManager::ScreenPick(const std::vector<GameObject*>& objects) const
{
    int width = 0, height = 0;
    if (!ClientSize(width, height)) return nullptr;
    const glm::vec2 point(static_cast<float>(m_currX) - 0.5f * static_cast<float>(width),
                          0.5f * static_cast<float>(height) - static_cast<float>(m_currY));
    float best = LOWEST_DEPTH;
    GameObject* result = nullptr;
    for (GameObject* object : objects) {
        if (!object) continue;
        BoundingRect rect;
        rect.centre = glm::vec3(object->position.x, object->position.y, 0.0f);
        rect.halfExtent = glm::vec3(0.5f * object->scale.x, 0.5f * object->scale.y, 0.0f);
        if (PointInRect(point, rect) && object->position.z > best) {
            best = object->position.z;
            result = object;
        }
    }
    return result;
}

GameObject* InputManager::PickObject(const std::vector<GameObject*>& objects, bool openInTweakBar)
{
    m_previouslyPicked = m_picked;
    m_picked = RayPick(objects);
    if (openInTweakBar) OpenPickInObjectPanel();
    return m_picked.isValid ? m_picked.object : nullptr;
}

GameObject* InputManager::PickScreenObject(const std::vector<GameObject*>& objects, bool openInTweakBar)
{
    m_previouslyPicked = m_picked;
    m_picked = ScreenPick(objects);
    if (openInTweakBar) OpenPickInObjectPanel();
    return m_picked.isValid ? m_picked.object : nullptr;
}

void InputManager::OpenPickInObjectPanel()
{
    // No pick (null) closes the panel.
    System* system = System::PeekInstance();
    if (system && system->tweakBarState)
        AntTweakBar::CreateObjectBar(system->tweakBarState, m_picked.isValid ? m_picked.object : nullptr);
}

GameObject* InputManager::GetPickedObject()
{
    if (m_picked.object && m_picked.Refresh()) return m_picked.object;
    m_picked = nullptr;
    return nullptr;
}

GameObject* InputManager::GetPreviouslyPickedObject() const
{
    return m_previouslyPicked.isValid ? m_previouslyPicked.object : nullptr;
}

void InputManager::ReleasePickedObject() { m_picked = nullptr; }

glm::vec3 InputManager::GetMouseOnPlane(const glm::vec3& point, bool useCurrent) const
{
    int width = 0, height = 0;
    if (!SystemCamera() || !ClientSize(width, height)) return point;
    const float x = static_cast<float>(useCurrent ? m_currX : m_prevX);
    const float y = static_cast<float>(height - (useCurrent ? m_currY : m_prevY) - 1);
    const glm::vec3 nearPoint = Unproject(x, y, 0.0f);
    const glm::vec3 farPoint = Unproject(x, y, 1.0f);
    const glm::vec3 d = farPoint - nearPoint;
    if (!(std::fabs(d.y) > PARALLEL_SHARE * glm::length(d))) return point;
    const float t = (point.y - nearPoint.y) / d.y;
    const glm::vec3 result = nearPoint + d * t;
    if (!std::isfinite(result.x) || !std::isfinite(result.y) || !std::isfinite(result.z)) return point;
    return result;
}

} // namespace QRX
