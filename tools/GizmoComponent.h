// One handle of the level editor's gizmo (CT_GIZMO).
//
// Each axis object of the gizmo (object types MOVE_X to ROTATE_Z) carries one
// of these. While the left mouse button holds the handle (the input
// manager's picked object is the owner), every frame's cursor movement,
// measured on the horizontal plane through the target, becomes a step along
// the handle's axis: a move, a scale change or a turn of the target. The
// gizmo runs Update; the editor state never updates these objects itself.
//
// Rules:
// - What a handle does is chosen by its owner's object type; GType only names
//   the handle kind in files and is read, written, compared and copied.
// - Snapping: the drag along the handle's axis accumulates; the whole part of
//   the sum is applied and the sum restarts at 0 once its square reaches 1.
//   The sum is cleared whenever the handle is not being dragged.
// - A move or scale aligns the target to its scale (AlignToScale) and never
//   leaves its y below MIN_HEIGHT; a turn is ROTATION_STEP_DEGREES per unit
//   of step about the handle's world axis.
// - Nothing happens without a valid target.
//
// XML: "GType" naming the handle kind (X_MOVE ... Z_ROTATE); an unknown name
// keeps the current value, with a warning. Write (against the master's
// component) queues nothing when the kinds are equal.
#pragma once
#include <string>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"

namespace QRX {

// Handle kinds named in files.
enum GizmoType {
    GTYPE_NONE = -1,  // before a file or a master named one
    X_MOVE = 0,
    Y_MOVE = 1,
    Z_MOVE = 2,
    X_SCALE = 3,
    Y_SCALE = 4,
    Z_SCALE = 5,
    X_ROTATE = 6,
    Y_ROTATE = 7,
    Z_ROTATE = 8
};

// The GType name table, filled on first use.
EnumStringTable& GetGTypeTable();
// The name of a kind; empty when the table has none.
std::string GTypeToString(int value);
// True and the kind when the name is in the table; otherwise false and the
// value untouched.
bool StringToGType(const std::string& name, int& value);

// The target's coordinates fitted to its scale: an axis whose scale has an
// even whole part takes the absolute value of its coordinate's whole part;
// when all three whole parts are odd, every coordinate becomes its whole part
// plus 0.5; otherwise the odd axes keep their coordinates. Whole parts are
// truncated toward zero; a non-finite scale counts as neither odd nor even.
glm::vec3 AlignToScale(const glm::vec3& position, const glm::vec3& scale);

class GizmoComponent : public Component
{
public:
    static constexpr Components TYPE = CT_GIZMO;
    // The lowest y a dragged target keeps.
    static constexpr float MIN_HEIGHT = 0.5f;
    static constexpr float ROTATION_STEP_DEGREES = 45.0f;
    // What a move or scale handle reaches beyond the target's size.
    static constexpr float HANDLE_OVERHANG = 4.0f;
    // A ring's thickness per unit of the target's size, and its overhang
    // beyond the larger (8) or the other (6) of the two sizes it spans.
    static constexpr float RING_THICKNESS = 0.15f;
    static constexpr float RING_OVERHANG_LARGE = 8.0f;
    static constexpr float RING_OVERHANG_SMALL = 6.0f;

    GizmoComponent();
    ~GizmoComponent() override = default;

    // One frame of the handle (see the header's rules). Needs the System's
    // input manager; the camera only turns the vertical handles' drag.
    void Update() override;
    // "GType" children set the kind; other elements are ignored.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    // Queues a "Component" with "Type" and "GType" when the kind differs from
    // the master's; nothing otherwise, or without a file manager.
    void Write(const Component* master) override;
    // Compares the kind only; true for null or another class.
    bool IsEqual(const Component* other) const override;
    // Copies the kind of another gizmo component; nothing for another class.
    void CopyFrom(const Component* other) override;

    void SetTarget(const GameObjectHandle& target) { m_target = target; }
    // The owner moves onto the target (while the target lives).
    void FollowTarget();
    // The owner's size follows the target's scale (see the source's table).
    void FitAxisToTarget();
    // Steps a drag: worldDrag is the cursor's movement on the target's
    // horizontal plane, cameraDrag the same turned into camera space. Applies
    // the owner type's step to the target (snapped when m_snap is set).
    void Drag(const glm::vec3& worldDrag, const glm::vec3& cameraDrag);

    // The raw step of a handle type for a drag; zero for a type that is no
    // handle.
    static glm::vec3 RawStep(ObjectType handle, const glm::vec3& worldDrag, const glm::vec3& cameraDrag);
    // The axis (0 x, 1 y, 2 z) a handle type works along; -1 for none.
    static int HandleAxis(ObjectType handle);

    int GType = GTYPE_NONE;
    GameObjectHandle m_target;
    bool m_snap = true;
    glm::vec3 m_accumulated{0.0f};

private:
    // Applies one step of the owner's kind to the target.
    void ApplyStep(GameObject* target, const glm::vec3& step);
};

} // namespace QRX
