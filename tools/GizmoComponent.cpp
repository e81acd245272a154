#include "tools/GizmoComponent.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstring>

#include <glm/gtc/quaternion.hpp>

#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/objects/GameObject.h"

namespace QRX {

namespace {

// The whole part of a coordinate, truncated toward zero.
float WholePart(float value) { return std::trunc(value); }

bool IsEvenWhole(float value)
{
    if (!std::isfinite(value)) return false;
    return std::fmod(std::trunc(static_cast<double>(value)), 2.0) == 0.0;
}

bool IsOddWhole(float value)
{
    if (!std::isfinite(value)) return false;
    return std::fabs(std::fmod(std::trunc(static_cast<double>(value)), 2.0)) == 1.0;
}

bool IsMoveHandle(ObjectType type) { return type == MOVE_X || type == MOVE_Y || type == MOVE_Z; }
bool IsScaleHandle(ObjectType type) { return type == SCALE_X || type == SCALE_Y || type == SCALE_Z; }
bool IsRotateHandle(ObjectType type) { return type == ROTATE_X || type == ROTATE_Y || type == ROTATE_Z; }

} // namespace

EnumStringTable& GetGTypeTable()
{
    static EnumStringTable table = {{"X_MOVE", X_MOVE},   {"Y_MOVE", Y_MOVE},     {"Z_MOVE", Z_MOVE},
                                    {"X_SCALE", X_SCALE}, {"Y_SCALE", Y_SCALE},   {"Z_SCALE", Z_SCALE},
                                    {"X_ROTATE", X_ROTATE}, {"Y_ROTATE", Y_ROTATE}, {"Z_ROTATE", Z_ROTATE}};
    return table;
}

std::string GTypeToString(int value)
{
    for (const auto& entry : GetGTypeTable())
        if (entry.second == value) return entry.first;
    return std::string();
}

bool StringToGType(const std::string& name, int& value)
{
    const EnumStringTable& table = GetGTypeTable();
    auto it = table.find(name);
    if (it == table.end()) return false;
    value = it->second;
    return true;
}

glm::vec3 AlignToScale(const glm::vec3& position, const glm::vec3& scale)
{
    glm::vec3 result = position;
    bool allOdd = true;
    for (int axis = 0; axis < 3; ++axis) {
        if (IsEvenWhole(scale[axis])) result[axis] = std::fabs(WholePart(position[axis]));
        if (!IsOddWhole(scale[axis])) allOdd = false;
    }
    if (allOdd)
        for (int axis = 0; axis < 3; ++axis) result[axis] = WholePart(position[axis]) + 0.5f;
    return result;
}

GizmoComponent::GizmoComponent() : Component(CT_GIZMO) {}

int GizmoComponent::HandleAxis(ObjectType handle)
{
    switch (handle) {
    case MOVE_X:
    case SCALE_X:
    case ROTATE_X:
        return 0;
    case MOVE_Y:
    case SCALE_Y:
    case ROTATE_Y:
        return 1;
    case MOVE_Z:
    case SCALE_Z:
    case ROTATE_Z:
        return 2;
    default:
        return -1;
    }
}

glm::vec3 GizmoComponent::RawStep(ObjectType handle, const glm::vec3& d, const glm::vec3& dv)
{
    // The vertical handles follow the drag toward or away from the camera.
    switch (handle) {
    case MOVE_X:
    case SCALE_X:
        return glm::vec3(d.x, 0.0f, 0.0f);
    case MOVE_Y:
    case SCALE_Y:
    case ROTATE_Y:
        return glm::vec3(0.0f, -dv.z, 0.0f);
    case MOVE_Z:
        return glm::vec3(0.0f, 0.0f, d.z);
    case SCALE_Z:
        return glm::vec3(0.0f, 0.0f, -d.z);
    case ROTATE_X:
        return glm::vec3(d.z, 0.0f, 0.0f);
    case ROTATE_Z:
        return glm::vec3(0.0f, 0.0f, -d.x);
    default:
        return glm::vec3(0.0f);
    }
}

void GizmoComponent::Update()
{
    if (!owner || !m_target.Refresh()) return;
    FitAxisToTarget();

    System* system = System::PeekInstance();
    InputManager* input = system ? system->inputManager : nullptr;
    if (!input) return;
    if (!InputManager::IsHeld(KEY_LBUTTON) || input->GetPickedObject() != owner) {
        m_accumulated = glm::vec3(0.0f);
        return;
    }
    if (input->GetMouseX() == input->GetPreviousMouseX() && input->GetMouseY() == input->GetPreviousMouseY()) return;

    const glm::vec3 plane = m_target.object->position;
    const glm::vec3 drag = input->GetMouseOnPlane(plane, true) - input->GetMouseOnPlane(plane, false);
    glm::vec3 cameraDrag = drag;
    if (system->camera) cameraDrag = glm::vec3(system->camera->GetViewMatrix() * glm::vec4(drag, 0.0f));
    Drag(drag, cameraDrag);
}

void GizmoComponent::Drag(const glm::vec3& worldDrag, const glm::vec3& cameraDrag)
{
    if (!owner || !m_target.Refresh()) return;
    const int axis = HandleAxis(owner->type);
    if (axis < 0) return;
    const glm::vec3 raw = RawStep(owner->type, worldDrag, cameraDrag);
    if (!std::isfinite(raw.x) || !std::isfinite(raw.y) || !std::isfinite(raw.z)) return;

    glm::vec3 step = raw;
    if (m_snap) {
        step = glm::vec3(0.0f);
        m_accumulated[axis] += raw[axis];
        step[axis] = std::trunc(m_accumulated[axis]);
        if (m_accumulated[axis] * m_accumulated[axis] >= 1.0f) m_accumulated[axis] = 0.0f;
    }
    ApplyStep(m_target.object, step);
}

void GizmoComponent::ApplyStep(GameObject* target, const glm::vec3& step)
{
    const ObjectType kind = owner->type;
    if (IsMoveHandle(kind) || IsScaleHandle(kind)) {
        if (IsMoveHandle(kind)) target->position += step;
        else target->scale += step;
        target->position = AlignToScale(target->position, target->scale);
        if (target->position.y < MIN_HEIGHT) target->position.y = MIN_HEIGHT;
    } else if (IsRotateHandle(kind)) {
        // A turn about the handle's world axis: Euler angles read back from
        // the quaternion would fold some turns back (a y turn never passes 135).
        const int axis = HandleAxis(kind);
        if (step[axis] == 0.0f) return;
        glm::vec3 worldAxis(0.0f);
        worldAxis[axis] = 1.0f;
        const float angle = ROTATION_STEP_DEGREES * step[axis] * DEGREES_TO_RADIANS;
        target->rotation = glm::normalize(glm::angleAxis(angle, worldAxis) * target->rotation);
    } else {
        return;
    }
    target->flags &= ~OBJ_WORLD_VALID;
}

void GizmoComponent::FollowTarget()
{
    if (!owner || !m_target.Refresh()) return;
    owner->position = m_target.object->position;
    owner->flags &= ~OBJ_WORLD_VALID;
}

void GizmoComponent::FitAxisToTarget()
{
    if (!owner || !m_target.Refresh()) return;
    const glm::vec3 t = m_target.object->scale;
    glm::vec3& a = owner->scale;
    const ObjectType kind = owner->type;
    if (IsMoveHandle(kind) || IsScaleHandle(kind)) {
        int longest = 2;
        if (a.y < a.x && a.z < a.x) longest = 0;
        else if (a.x < a.y && a.z < a.y) longest = 1;
        a[longest] = std::fabs(t[longest]) + HANDLE_OVERHANG;
    } else if (kind == ROTATE_X) {
        if (t.z >= t.y) {
            const float m = std::fabs(t.z);
            a = glm::vec3(RING_THICKNESS * m, m + RING_OVERHANG_LARGE, m + RING_OVERHANG_LARGE);
        } else {
            const float m = std::fabs(t.y);
            a = glm::vec3(RING_THICKNESS * m, m + RING_OVERHANG_SMALL, m + RING_OVERHANG_SMALL);
        }
    } else if (kind == ROTATE_Y) {
        const float m = t.z >= t.x ? std::fabs(t.z) : std::fabs(t.x);
        a = glm::vec3(m + RING_OVERHANG_LARGE, RING_THICKNESS * m, m + RING_OVERHANG_LARGE);
    } else if (kind == ROTATE_Z) {
        const float m = t.y >= t.x ? std::fabs(t.y) : std::fabs(t.x);
        a = glm::vec3(m + RING_OVERHANG_LARGE, m + RING_OVERHANG_LARGE, RING_THICKNESS * m);
    } else {
        return;
    }
    owner->flags &= ~OBJ_WORLD_VALID;
}

void GizmoComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Name(), "GType") != 0) continue;
        const char* text = ElementText(e);
        if (!text || !StringToGType(text, GType))
            QRX_LOG_WARNING("Unknown gizmo handle kind \"%s\"; the handle keeps its kind.", text ? text : "");
    }
}

void GizmoComponent::Write(const Component* master)
{
    System* system = System::PeekInstance();
    FileManager* files = system ? system->fileManager : nullptr;
    if (!files || IsEqual(master)) return;
    files->WriteSibling("Component");
    files->WriteChild("Type");
    files->WriteValue(ComponentsToString(CT_GIZMO));
    const std::string name = GTypeToString(GType);
    if (!name.empty()) {
        files->WriteSibling("GType");
        files->WriteValue(name);
    }
    // One return closes the component; a second would leave the next
    // component's scope inside this one.
    files->WriteReturn();
}

bool GizmoComponent::IsEqual(const Component* other) const
{
    const auto* gizmo = dynamic_cast<const GizmoComponent*>(other);
    return !gizmo || gizmo->GType == GType;
}

void GizmoComponent::CopyFrom(const Component* other)
{
    if (const auto* gizmo = dynamic_cast<const GizmoComponent*>(other)) GType = gizmo->GType;
}

} // namespace QRX
