// The level editor's three-handle transform tool.
//
// A gizmo owns, by mode, three axis objects (handles) that sit on the edited
// object, its target: mode 1 moves (MOVE_X, MOVE_Y, MOVE_Z), 2 scales
// (SCALE_*), 3 rotates (ROTATE_*); mode 0 shows nothing. Each axis object
// carries a GizmoComponent that turns a drag on it into a change of the
// target. The editor creates one gizmo, sets its mode and target, copies its
// snapping flag into it and updates it once a frame.
//
// Rules:
// - Axis objects are pool objects of the object manager in AXIS_LAYER, owned
//   by the editor state, active; the gizmo only refers to them (handles), so
//   an axis that died reads as absent.
// - A mode change marks the previous axes for destruction and makes three
//   new ones at the target's position (none for mode 0).
// - An axis without a gizmo component is reported (assertion) and nothing is
//   attached or updated.
#pragma once
#include "engine/objects/GameObjectHandle.h"
#include "engine/objects/TypeNames.h"

namespace QRX {

class GameObject;
class GizmoComponent;

class Gizmo
{
public:
    static constexpr int MODE_NONE = 0;
    static constexpr int MODE_MOVE = 1;
    static constexpr int MODE_SCALE = 2;
    static constexpr int MODE_ROTATE = 3;
    // The object layer of the axis objects.
    static constexpr int AXIS_LAYER = 3;

    // Mode 0, snapping on, no axes.
    Gizmo() = default;
    // Forgets the axes (the editor destroys them first with DestroyAxes).
    ~Gizmo() = default;
    Gizmo(const Gizmo&) = delete;
    Gizmo& operator=(const Gizmo&) = delete;

    // Replaces the axes for a new mode (same mode: nothing), owned by the
    // state id given, attached to the target when there is one. A mode
    // outside 0..3 counts as 0.
    void SetGizmoMode(int mode, GameObject* target, int stateId);
    // Runs the three handles (x, y, z), moves them onto the target and hands
    // them the snapping flag for the next frame. Mode 0: nothing.
    void Update();
    // Marks the three axis objects for destruction and forgets them.
    void DestroyAxes();
    // Gives each axis's component a handle to the target.
    void Attach(GameObject* target);

    // The three axis object types of a mode, x first; false for mode 0.
    static bool AxisTypes(int mode, ObjectType (&types)[3]);

    int GetMode() const { return m_mode; }
    // The axis object (0 x, 1 y, 2 z) while it lives, else null.
    GameObject* GetAxis(int axis);

    bool snap = true;

private:
    // The live axis objects' gizmo components, x first; false (and the
    // assertion) when an axis is missing or has none.
    bool Components(GizmoComponent* (&components)[3]);

    GameObjectHandle m_xAxis;
    GameObjectHandle m_yAxis;
    GameObjectHandle m_zAxis;
    int m_mode = MODE_NONE;
};

} // namespace QRX
