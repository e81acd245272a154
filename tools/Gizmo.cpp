#include "tools/Gizmo.h"

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "tools/GizmoComponent.h"

namespace QRX {

namespace {

const char* const MISSING_COMPONENT = "GIZMO AXIS IS MISSING GIZMO COMPONENT! THIS SHOULDN'T HAPPEN!";

} // namespace

bool Gizmo::AxisTypes(int mode, ObjectType (&types)[3])
{
    switch (mode) {
    case MODE_MOVE:
        types[0] = MOVE_X, types[1] = MOVE_Y, types[2] = MOVE_Z;
        return true;
    case MODE_SCALE:
        types[0] = SCALE_X, types[1] = SCALE_Y, types[2] = SCALE_Z;
        return true;
    case MODE_ROTATE:
        types[0] = ROTATE_X, types[1] = ROTATE_Y, types[2] = ROTATE_Z;
        return true;
    default:
        return false;
    }
}

GameObject* Gizmo::GetAxis(int axis)
{
    GameObjectHandle* handles[3] = {&m_xAxis, &m_yAxis, &m_zAxis};
    if (axis < 0 || axis > 2) return nullptr;
    GameObjectHandle& handle = *handles[axis];
    return handle.object && handle.Refresh() ? handle.object : nullptr;
}

void Gizmo::SetGizmoMode(int mode, GameObject* target, int stateId)
{
    if (mode < MODE_NONE || mode > MODE_ROTATE) mode = MODE_NONE;
    if (mode == m_mode) return;
    DestroyAxes();
    m_mode = mode;

    ObjectType types[3];
    ObjectManager* objects = System::GetInstance()->objectManager;
    if (!AxisTypes(mode, types) || !objects) return;
    const glm::vec3 at = target ? target->position : glm::vec3(0.0f);
    m_xAxis = objects->CreateGizmoInstance(types[0], at, AXIS_LAYER, stateId, true);
    m_yAxis = objects->CreateGizmoInstance(types[1], at, AXIS_LAYER, stateId, true);
    m_zAxis = objects->CreateGizmoInstance(types[2], at, AXIS_LAYER, stateId, true);
    if (target) Attach(target);
}

bool Gizmo::Components(GizmoComponent* (&components)[3])
{
    static const char* const conditions[3] = {"!m_xAxis->GetComponent(CT_GIZMO)", "!m_yAxis->GetComponent(CT_GIZMO)",
                                              "!m_zAxis->GetComponent(CT_GIZMO)"};
    for (int axis = 0; axis < 3; ++axis) {
        GameObject* object = GetAxis(axis);
        components[axis] = object ? object->GetComponent<GizmoComponent>() : nullptr;
        if (!components[axis]) {
            AssertFailed(0, conditions[axis], QRX_FUNCTION, __FILE__, __LINE__, MISSING_COMPONENT);
            return false;
        }
    }
    return true;
}

void Gizmo::Attach(GameObject* target)
{
    static const char* const conditions[3] = {"!m_xAxis || !m_xAxis->GetComponent(CT_GIZMO)",
                                              "!m_yAxis || !m_yAxis->GetComponent(CT_GIZMO)",
                                              "!m_zAxis || !m_zAxis->GetComponent(CT_GIZMO)"};
    GizmoComponent* components[3] = {};
    for (int axis = 0; axis < 3; ++axis) {
        GameObject* object = GetAxis(axis);
        components[axis] = object ? object->GetComponent<GizmoComponent>() : nullptr;
        if (!components[axis]) {
            AssertFailed(0, conditions[axis], QRX_FUNCTION, __FILE__, __LINE__, MISSING_COMPONENT);
            return;
        }
    }
    const GameObjectHandle handle(target);
    for (GizmoComponent* component : components) component->SetTarget(handle);
}

void Gizmo::Update()
{
    if (m_mode == MODE_NONE) return;
    GizmoComponent* components[3] = {};
    if (!Components(components)) return;
    for (GizmoComponent* component : components) component->Update();
    for (GizmoComponent* component : components) component->FollowTarget();
    for (GizmoComponent* component : components) component->m_snap = snap;
}

void Gizmo::DestroyAxes()
{
    for (GameObjectHandle* handle : {&m_xAxis, &m_yAxis, &m_zAxis}) {
        if (handle->object && handle->Refresh()) handle->object->flags |= OBJ_DESTROY;
        *handle = nullptr;
    }
}

} // namespace QRX
