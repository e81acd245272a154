// The physics manager: the physics settings and the factory maps from which
// every collision primitive, force generator and steering generator is made
// and unmade, and the contact pool (all its contacts made here, once).
//
// One exists, owned by the System (created at start-up before the object
// manager, deleted after it). Its three maps own their factories; the
// start-up registrations fill them once, by key: primitives PR_SPHERE,
// PR_BOX, PR_PLANE; force generators FG_GRAVITY, FG_DRAG; steering
// generators SG_SEEK, SG_ARRIVE. Asking for a type without a factory is an
// assertion: a make gives null, a delete leaves the object alone.
#pragma once

#include "engine/objects/TemplateFactory.h"
#include "engine/physics/Contact.h"

namespace QRX {

class ForceGenerator;
class Primitive;
class SteerGenerator;

class PhysicsManager
{
public:
    static constexpr float DEFAULT_SLEEP_TIME = 0.3f;
    static constexpr float DEFAULT_WAKE_INTERVAL = 0.01f;
    static constexpr int MAX_CONTACTS = ContactPool::CAPACITY;

    // The default settings, the contact pool and three empty maps.
    PhysicsManager();
    // Deletes every factory (primitives, force generators, then steering
    // generators), then the contact pool.
    ~PhysicsManager();
    PhysicsManager(const PhysicsManager&) = delete;
    PhysicsManager& operator=(const PhysicsManager&) = delete;

    // A new default generator of the type, owned by the caller until it is
    // handed back; null, with an assertion, when no factory makes the type.
    ForceGenerator* MakeForceGenerator(int type);
    SteerGenerator* MakeSteerGenerator(int type);
    // Destroys a generator through the factory of its own type; null is
    // ignored, a type without a factory asserts and destroys nothing.
    void DeleteForceGenerator(ForceGenerator* generator);
    void DeleteSteerGenerator(SteerGenerator* generator);

    FactoryMap<Primitive>& GetPrimitiveFactories() { return m_primitiveFactories; }
    FactoryMap<ForceGenerator>& GetForceGeneratorFactories() { return m_forceFactories; }
    FactoryMap<SteerGenerator>& GetSteerGeneratorFactories() { return m_steerFactories; }

    // A body whose motion average falls below this falls asleep; the average
    // is capped at 10 times it.
    float SleepTime = DEFAULT_SLEEP_TIME;
    // Seconds a sleeping body must go without contact before it wakes.
    float WakeInterval = DEFAULT_WAKE_INTERVAL;
    int maxContacts = MAX_CONTACTS;  // capacity of the contact pool
    ContactPool contactPool;

private:
    FactoryMap<Primitive> m_primitiveFactories;
    FactoryMap<ForceGenerator> m_forceFactories;
    FactoryMap<SteerGenerator> m_steerFactories;
};

} // namespace QRX
