// The physics component (CT_PHYSICS): makes a game object a body for the
// physics step.
//
// A body has flags, an inverse mass (0: immovable), a velocity, the force
// accumulator its generators fill each step, the sleep bookkeeping, and its
// force and steering generators, at most one of each type, kept under their
// type. Its position is the owner object's. The generators are owned by the
// component but made, cloned and handed back only through the physics
// manager's factories; a map entry never holds null.
//
// In files the component's data are "InverseMass" and any number of "Force"
// and "Steer" elements, each with an optional first child "Type" naming the
// generator (a missing or unknown name means gravity, or seek) followed by
// the generator's parameters. Reading updates a generator already held, so a
// level file can override a master's values. Only the inverse mass is
// written: objects always carry their master's generators.
#pragma once
#include <cstdint>
#include <map>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class ForceGenerator;
class GameObject;
class SteerGenerator;

// Bits of PhysicsComponent::flags.
constexpr std::uint32_t BODY_ENABLED = 0x01;    // the physics step processes the body
constexpr std::uint32_t BODY_AWAKE = 0x02;
constexpr std::uint32_t BODY_CAN_SLEEP = 0x04;  // clear: the body never falls asleep
constexpr std::uint32_t BODY_DEFAULT_FLAGS = BODY_ENABLED | BODY_AWAKE | BODY_CAN_SLEEP;

class PhysicsComponent : public Component
{
public:
    static constexpr Components TYPE = CT_PHYSICS;
    using ForceGeneratorMap = std::map<int, ForceGenerator*>;
    using SteerGeneratorMap = std::map<int, SteerGenerator*>;

    PhysicsComponent();
    // Hands every generator back to its factory.
    ~PhysicsComponent() override;

    // Applies "InverseMass", "Force" and "Steer" from the element and its
    // following siblings; other names are ignored. An empty "Force"/"Steer"
    // is a WARNING; a type without a factory asserts and is skipped; an
    // element without text changes nothing.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    // "Component" with "Type" and "InverseMass" when the inverse mass
    // differs from the master's (or the master is another class); nothing
    // otherwise, a difference in the generators alone included.
    void Write(const Component* master) override;
    // Every generator of the other has an equal one here, and the inverse
    // masses are equal. True for null, false for another class.
    bool IsEqual(const Component* other) const override;
    // Copies the state of another body and clones its generators through
    // the factories (the generators held before are handed back first).
    void CopyFrom(const Component* other) override;

    // The generator of the type, made through the physics manager when the
    // body has none; null (nothing stored) when no factory makes it.
    ForceGenerator* AddForceGenerator(int type);
    SteerGenerator* AddSteerGenerator(int type);
    // The generator of the type, or null.
    ForceGenerator* GetForceGenerator(int type) const;
    // velocity += v; the flags are left alone (a sleeping body stays asleep).
    void AddVelocity(const glm::vec3& v);

    float wakeTimer = 0.0f;  // seconds a sleeping body has gone without contact
    std::uint32_t flags = BODY_DEFAULT_FLAGS;
    float inverseMass = 0.0f;
    glm::vec3 velocity{0.0f};    // world units per second
    float motion = 0.0f;         // recency-weighted average of the squared speed
    glm::vec3 forceAccum{0.0f};  // this step's forces; cleared after integration
    glm::vec3 acceleration{0.0f};  // the velocity change of the last integration
    ForceGeneratorMap forceGenerators;
    SteerGeneratorMap steerGenerators;

private:
    void ReleaseGenerators();
};

// The object's physics component, or null (also for a null object).
PhysicsComponent* GetPhysicsComponent(const GameObject* object);

} // namespace QRX
