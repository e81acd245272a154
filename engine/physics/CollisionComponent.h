// The collision component (CT_COLLISION): gives a game object a collision
// shape and the switches that decide how the physics step treats its contacts.
//
// Only objects whose component is active take part in detection. Collided is
// set for both bodies of every contact of the current step and cleared at the
// start of the next; it is never saved. AutoResolve lets contact resolution
// move the object and change its velocity; Ethereal lets bodies pass except
// those its object type blocks. The two frictions are averaged with the other
// body's into each contact.
//
// The component owns one primitive, made and handed back only through the
// physics manager's primitive factories; the primitive's owner is always this
// component's owner. After a read or a copy the primitive is brought up to
// date with its owner, so a fresh copy never carries an empty transform.
//
// In files the data are "Active", "Collided", "AutoResolve", "Ethereal"
// ("true" or anything else), "StaticFriction", "DynamicFriction" and a
// "Primitive" element whose first child "Type" names its kind (missing, empty
// or unknown: PR_SPHERE) followed by the primitive's fields.
#pragma once

#include "engine/objects/Component.h"

namespace QRX {

class GameObject;
class Primitive;

class CollisionComponent : public Component
{
public:
    static constexpr Components TYPE = CT_COLLISION;
    // Every flag false, frictions 0, no primitive.
    CollisionComponent();
    // Hands the primitive back to its factory.
    ~CollisionComponent() override;

    // Applies the known elements from the first one on; an element without
    // text leaves its field alone. A "Primitive" of the kind already held
    // refines it; of another kind replaces it with a fresh one.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    // Nothing when equal to the master; otherwise "Component" with "Type",
    // the differing flags and frictions (never Collided), and the primitive's
    // own "Primitive" element against the master's primitive.
    void Write(const Component* master) override;
    // Flags (but Collided) and frictions exactly equal, and the primitives
    // of the same kind with equal sizes (or either one missing). True for null, false for
    // another class.
    bool IsEqual(const Component* other) const override;
    // Copies flags and frictions and, when the other has a primitive, a new
    // primitive of its kind with its sizes. A source without one leaves ours.
    void CopyFrom(const Component* other) override;

    // Hands back the current primitive (if any) and makes a new one of the
    // type, owned by this component's owner. Null when it cannot be made.
    Primitive* MakePrimitive(PrimitiveType primitiveType);
    // The same; used when a read names another kind.
    Primitive* RemakePrimitive(PrimitiveType primitiveType);
    // Rebuilds the primitive's transform from the owner; a WARNING without
    // a primitive.
    void UpdatePrimitive();

    Primitive* GetPrimitive() const { return m_primitive; }

    bool active = false;     // "Active": the object takes part in detection
    bool collided = false;   // touched something in the current step
    bool autoResolve = false;  // "AutoResolve": contacts move it and change its velocity
    bool ethereal = false;     // "Ethereal"
    float staticFriction = 0.0f;   // "StaticFriction"
    float dynamicFriction = 0.0f;  // "DynamicFriction"

private:
    void ReleasePrimitive();

    Primitive* m_primitive = nullptr;  // owned
};

// The object's collision component, or null (also for a null object).
CollisionComponent* GetCollisionComponent(const GameObject* object);

// The cursor pick's test: whether the segment start..end enters the object's
// pick box (a unit box scaled, turned and placed as the object, moved by its
// collision primitive's offset when it has one), and at which ray parameter.
bool SegmentEntersPickBox(const glm::vec3& start, const glm::vec3& end, GameObject& object, float& t);

} // namespace QRX
