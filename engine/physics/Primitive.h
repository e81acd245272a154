// Collision primitives: the sphere, oriented box and plane that stand for a
// game object in collision detection.
//
// A primitive belongs to one collision component and follows its owner
// object. Sizes are given in the owner's unscaled frame; UpdateTransform
// scales them by the owner's scale and rebuilds the orientation (columns are
// the owner's local axes in world space) and the world transform, which maps
// a unit shape centred on the origin (a cube of edge 1, a sphere of diameter
// 1) onto the primitive, times the offset transform. The narrow phase reads
// the public fields directly: centre = translation column of the world
// transform, axis i = column i of the orientation.
//
// Primitives are made and unmade through the primitive factories, keyed by
// PrimitiveType. In files a primitive is a "Primitive" element whose first
// child "Type" names its kind, followed by its field elements. Float
// comparisons (IsEqual, Write) are exact. A master of another kind (or none)
// never compares equal, and writing against it writes every field.
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/TypeNames.h"

namespace tinyxml2 {
class XMLElement;
}

namespace QRX {

class GameObject;

class Primitive
{
public:
    explicit Primitive(PrimitiveType primitiveType);
    virtual ~Primitive() = default;
    Primitive(const Primitive&) = delete;
    Primitive& operator=(const Primitive&) = delete;

    // Copies the size fields and the offset transform of a primitive of the
    // same kind; another kind or null changes nothing (with a WARNING).
    virtual void CopyFrom(const Primitive* other) = 0;
    // Sets the scaled size from the unscaled one and a scale.
    virtual void ApplyScale(const glm::vec3& s) = 0;
    // Multiply the unscaled size along one axis (a sphere's radius on any).
    virtual void ScaleX(float f) = 0;
    virtual void ScaleY(float f) = 0;
    virtual void ScaleZ(float f) = 0;
    // Rebuilds scaled size, orientation and world transform from the owner;
    // does nothing without an owner.
    virtual void UpdateTransform() = 0;
    // The full extent: a sphere's from its unscaled radius, a box's and a
    // plane's from their scaled half size.
    virtual glm::vec3 GetSize() const = 0;
    // Sets the scaled size to fill the owner's scale; nothing without an owner.
    virtual void FitToOwner() = 0;
    // The unscaled half extent.
    virtual glm::vec3 GetHalfSize() const = 0;
    // Applies the known field elements from the first one on; an empty known
    // element logs a WARNING and leaves its field alone. Scaled sizes are
    // left for the next UpdateTransform.
    virtual void Read(const tinyxml2::XMLElement* firstElement) = 0;
    // Queues, on the System's file manager, a "Primitive" element with its
    // "Type" and the fields that differ from the master's, then a return;
    // nothing when equal to the master.
    virtual void Write(const Primitive* master) const = 0;
    // Whether other is of the same kind with the same unscaled fields.
    virtual bool IsEqual(const Primitive* other) const = 0;

    // The centre in world space (translation of the world transform).
    glm::vec3 GetCentre() const { return glm::vec3(transform[3]); }
    // Local axis i (0 x, 1 y, 2 z) in world space.
    glm::vec3 GetAxis(int i) const { return orientation[i]; }

    glm::mat3 orientation{1.0f};
    glm::mat4 transform{1.0f};        // unit shape to world
    glm::mat4 offsetTransform{1.0f};  // applied on the right of every rebuilt transform
    PrimitiveType type;
    GameObject* owner = nullptr;  // the collision component's object; not owned

protected:
    // Orientation and transform from the owner's rotation and position and
    // the full extent of the shape along each local axis.
    void BuildTransform(const glm::vec3& extent);
    // Queues "Primitive" and its "Type"; false when there is no file manager.
    bool BeginWrite() const;
};

class CollisionSphere : public Primitive
{
public:
    static constexpr float DEFAULT_RADIUS = 1.0f;

    CollisionSphere();

    void CopyFrom(const Primitive* other) override;
    void ApplyScale(const glm::vec3& s) override;
    void ScaleX(float f) override;
    void ScaleY(float f) override;
    void ScaleZ(float f) override;
    void UpdateTransform() override;
    glm::vec3 GetSize() const override;
    void FitToOwner() override;
    glm::vec3 GetHalfSize() const override;
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const Primitive* master) const override;
    bool IsEqual(const Primitive* other) const override;

    float radius = DEFAULT_RADIUS;        // unscaled
    float scaledRadius = DEFAULT_RADIUS;  // radius x owner scale.x; what the tests use
};

class CollisionBox : public Primitive
{
public:
    CollisionBox();

    void CopyFrom(const Primitive* other) override;
    void ApplyScale(const glm::vec3& s) override;
    void ScaleX(float f) override;
    void ScaleY(float f) override;
    void ScaleZ(float f) override;
    void UpdateTransform() override;
    glm::vec3 GetSize() const override;
    void FitToOwner() override;
    glm::vec3 GetHalfSize() const override;
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const Primitive* master) const override;
    bool IsEqual(const Primitive* other) const override;

    glm::vec3 halfSize{0.0f};        // along the owner's local axes, unscaled
    glm::vec3 scaledHalfSize{0.0f};  // what the tests use
};

// The set of points p with normal . p = offset. The normal is in world space,
// does not turn with the owner and is used as given (not normalised); the
// offset is re-derived from the owner's position by every UpdateTransform.
// The half size is only the extent of the visible plate.
class CollisionPlane : public Primitive
{
public:
    CollisionPlane();
    CollisionPlane(const glm::vec3& planeNormal, const glm::vec3& plateHalfSize, float planeOffset);

    void CopyFrom(const Primitive* other) override;
    void ApplyScale(const glm::vec3& s) override;
    void ScaleX(float f) override;
    void ScaleY(float f) override;
    void ScaleZ(float f) override;
    void UpdateTransform() override;
    glm::vec3 GetSize() const override;
    void FitToOwner() override;
    glm::vec3 GetHalfSize() const override;
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const Primitive* master) const override;
    bool IsEqual(const Primitive* other) const override;

    glm::vec3 normal{0.0f, 1.0f, 0.0f};
    glm::vec3 halfSize{0.0f};
    glm::vec3 scaledHalfSize{0.0f};
    float offset = 0.0f;
};

} // namespace QRX
