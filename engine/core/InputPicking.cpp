// The input manager's picks: cursor rays through the camera, tested against
// the objects' pick boxes; user-interface rectangles; the horizontal plane.
#include <cmath>

#include "engine/core/EngineDoor.h"
#include "engine/core/InputManager.h"
#include "engine/objects/GameObject.h"
#include "engine/platform/Mouse.h"

namespace QRX {

namespace {

// The ray parameter a hit must beat at first.
constexpr float NO_HIT = 100000.0f;
// The screen pick's starting depth: below any user-interface object.
constexpr float LOWEST_DEPTH = -1000000.0f;
// A ray whose vertical part is below this share of its length runs along a
// horizontal plane: it meets it nowhere (or everywhere).
constexpr float PARALLEL_SHARE = 1e-6f;

bool ClientSize(int& width, int& height)
{
    return Platform::GetCursorWindowSize(width, height) && width > 0 && height > 0;
}

// The world point under window pixel (x, y) at the depth, through the
// door's camera; false without one.
bool UnprojectThroughCamera(float x, float y, float depth, glm::vec3& point)
{
    const EngineDoor::Picking& picking = Door().picking;
    if (!picking.unproject) return false;
    int width = 0, height = 0;
    Platform::GetCursorWindowSize(width, height);
    return picking.unproject(x, y, depth, width, height, point);
}

} // namespace

glm::vec3 InputManager::Unproject(float x, float y, float depth) const
{
    glm::vec3 point(0.0f);
    if (!UnprojectThroughCamera(x, y, depth, point)) return glm::vec3(0.0f);
    return point;
}

GameObject* InputManager::RayPick(const std::vector<GameObject*>& objects) const
{
    int width = 0, height = 0;
    if (!ClientSize(width, height)) return nullptr;
    const float x = static_cast<float>(m_currX);
    const float y = static_cast<float>(height - m_currY);
    glm::vec3 start(0.0f), end(0.0f);
    if (!UnprojectThroughCamera(x, y, 0.0f, start) || !UnprojectThroughCamera(x, y, 1.0f, end)) return nullptr;
    const EngineDoor::Picking& picking = Door().picking;
    if (!picking.enterPickBox) return nullptr;

    float best = NO_HIT;
    GameObject* result = nullptr;
    for (GameObject* object : objects) {
        if (!object || !(object->flags & OBJ_ACTIVE) || object->type == SKYBOX) continue;
        float t = NO_HIT;
        if (picking.enterPickBox(start, end, *object, t) && t < best) {
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
        // The object's rectangle: its x and y, half its scale each way (edges in).
        const glm::vec2 half(0.5f * object->scale.x, 0.5f * object->scale.y);
        const bool inside = object->position.x - half.x <= point.x && point.x <= object->position.x + half.x &&
                            object->position.y - half.y <= point.y && point.y <= object->position.y + half.y;
        if (inside && object->position.z > best) {
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
    const EngineDoor::Picking& picking = Door().picking;
    if (picking.showInPanel) picking.showInPanel(m_picked.isValid ? m_picked.object : nullptr);
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
    if (!ClientSize(width, height)) return point;
    const float x = static_cast<float>(useCurrent ? m_currX : m_prevX);
    const float y = static_cast<float>(height - (useCurrent ? m_currY : m_prevY) - 1);
    glm::vec3 nearPoint(0.0f), farPoint(0.0f);
    if (!UnprojectThroughCamera(x, y, 0.0f, nearPoint) || !UnprojectThroughCamera(x, y, 1.0f, farPoint)) return point;
    const glm::vec3 d = farPoint - nearPoint;
    if (!(std::fabs(d.y) > PARALLEL_SHARE * glm::length(d))) return point;
    const float t = (point.y - nearPoint.y) / d.y;
    const glm::vec3 result = nearPoint + d * t;
    if (!std::isfinite(result.x) || !std::isfinite(result.y) || !std::isfinite(result.z)) return point;
    return result;
}

} // namespace QRX
