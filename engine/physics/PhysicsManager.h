// The physics manager: the physics settings, the factory maps from which
// every collision primitive, force generator and steering generator is made
// and unmade, the contact pool (all its contacts made here, once) and the
// resolver settings; and the physics step.
//
// One exists, owned by the System (created at start-up before the object
// manager, deleted after it). Its three maps own their factories; the
// start-up registrations fill them once, by key: primitives PR_SPHERE,
// PR_BOX, PR_PLANE; force generators FG_GRAVITY, FG_DRAG; steering
// generators SG_SEEK, SG_ARRIVE. Asking for a type without a factory is an
// assertion: a make gives null, a delete leaves the object alone.
//
// The step (Update, once per frame) works on a copy of the object manager's
// active objects, in ascending id, and advances by the frame time capped at
// MAX_STEP: generators, then a Runge-Kutta integration of position and
// velocity with the force held over the step, sleeping and waking; then every
// pair of objects with active collision components, at least one of which
// has a body, is tested (two objects without bodies, such as the blocks of a
// floor, could never be resolved and would only drain the contact pool),
// both objects of each contact are told of the other (before any resolution,
// so a hook may change the bodies it touches), and the contacts are resolved
// and released. Bodies are linear only: rotations are never integrated.
// A box with a body meeting a block of the level's solid (IsBlock) is tested
// with the blocks the broad phase pairs it with, so that faces blocks share
// never push it (AccurateCollision.h).
//
// The trajectory prediction runs one body through the same stages, apart
// from the step's contact pool, with every other object held where it is.
//
// The pairs are tested in the all-pairs order (a listed before b, ascending
// a then b), so that a full pool keeps the same contacts; the broad phase
// only leaves out pairs that cannot touch. Components are looked up once per
// object when the step starts, and the bodies of the contacts once more
// after the hooks have run (a hook may remove a component).
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/TemplateFactory.h"
#include "engine/objects/TypeNames.h"
#include "engine/physics/BroadPhase.h"
#include "engine/physics/Contact.h"
#include "engine/physics/ContactResolver.h"

namespace QRX {

class CollisionBox;
class CollisionComponent;
class CollisionPlane;
class Component;
class ForceGenerator;
class GameObject;
class PhysicsComponent;
class Primitive;
class SteerGenerator;

class PhysicsManager
{
public:
    static constexpr float DEFAULT_SLEEP_TIME = 0.3f;
    static constexpr float DEFAULT_WAKE_INTERVAL = 0.01f;
    static constexpr int MAX_CONTACTS = ContactPool::CAPACITY;
    // The longest time one step advances, in seconds.
    static constexpr float MAX_STEP = 0.05f;
    // The motion average is capped at this many times SleepTime.
    static constexpr float MOTION_CAP_FACTOR = 10.0f;
    // What a waking body gets: full gravity and a push downwards.
    static constexpr float WAKE_GRAVITY_Y = -20.0f;
    static constexpr float WAKE_VELOCITY_Y = -5.0f;
    // A body whose inverse mass is at most this barely moves when pushed:
    // the face rule takes it as a block.
    static constexpr float BLOCK_INVERSE_MASS = 0.01f;
    // The trajectory prediction tests its copy with the obstacles whose
    // bounds, each this much wider on every side than its primitive, meet
    // the copy's: far beyond rounding, so that a pair that only touches is
    // tested too.
    static constexpr float NEAR_MARGIN = 0.01f;

    // The default settings, the contact pool and three empty maps.
    PhysicsManager();
    // Deletes every factory (primitives, force generators, then steering
    // generators), then the contact pool.
    ~PhysicsManager();
    PhysicsManager(const PhysicsManager&) = delete;
    PhysicsManager& operator=(const PhysicsManager&) = delete;

    // A new default primitive or generator of the type, owned by the caller
    // until it is handed back; null, with an assertion, when no factory
    // makes the type.
    Primitive* MakePrimitive(int type);
    ForceGenerator* MakeForceGenerator(int type);
    SteerGenerator* MakeSteerGenerator(int type);
    // Destroys one through the factory of its own type; null is ignored, a
    // type without a factory asserts and destroys nothing.
    void DeletePrimitive(Primitive* primitive);
    void DeleteForceGenerator(ForceGenerator* generator);
    void DeleteSteerGenerator(SteerGenerator* generator);

    // One physics step over the object manager's active objects, with the
    // frame-rate controller's frame time capped at MAX_STEP. Does nothing
    // without an object manager or a frame-rate controller.
    void Update();

    // The path the object would take if launched now with the velocity,
    // followed until it first comes to rest, the rest of the world held
    // still: the start position, then one position per sample interval, and
    // last where it rests. A copy of the object, awake and moving at the
    // launch velocity alone (as a throw leaves it), goes through the step's
    // own stages at the step's frame time: its generators, integration,
    // sleeping and waking, the contacts the step would make with the other
    // active objects (a robot too, where it stands), in the step's order and
    // with its block faces, and their resolution, which holds every other
    // body still (as immovable and unmoving). No collision hook runs. It
    // rests after a step that leaves it asleep and touching something (one
    // that falls asleep in the air wakes again, as in the step); without rest
    // within the total time the path ends with its last sample. The object is
    // not changed (the others' primitives are brought up to where they
    // stand). Only the start position when the object lacks a collision
    // component (with a primitive) or a physics component, when the total
    // time or the frame time is not positive, or when the copy cannot be
    // made; empty for a null object. With endsOnTouch, the path ends where
    // the copy first touches an object whose type it accepts (a crate that
    // explodes on a touch), before the touch is resolved.
    std::vector<glm::vec3> PredictTrajectory(GameObject* object, float totalTime, float sampleInterval,
                                             const glm::vec3& launchVelocity,
                                             bool (*endsOnTouch)(ObjectType) = nullptr);

    // The first live, active object (PLAYER objects aside) whose active
    // collision primitive overlaps the object's box, were it at the position,
    // by more than the tolerance on every axis, and that would stop it: a
    // contact of the two resolves (Contact::IsResolvable). With withFields,
    // a force field of either kind counts whatever it lets through; objects
    // of the passed types never count. Null when none, or when the object
    // has no collision primitive.
    GameObject* FindStopper(const GameObject* object, const glm::vec3& position, float tolerance, bool withFields,
                            std::initializer_list<ObjectType> passed = {}) const;

    // Whether an object is a block of the level's solid, whose faces flush
    // against other blocks never push a body (AccurateCollision.h): no body,
    // or a body no heavier to push than BLOCK_INVERSE_MASS (a hovering
    // platform set among floor blocks); an active collision component with a
    // box that resolves (AutoResolve) and is not Ethereal, and no ENEMY.
    // False for a null object.
    static bool IsBlock(const GameObject* object, const PhysicsComponent* body, const CollisionComponent* collision);

    // The half extent along the world axes of an object's primitive, with
    // the object's rotation and scale (a sphere's radius on every axis).
    static glm::vec3 WorldReach(const GameObject& object, const Primitive& primitive);

    FactoryMap<Primitive>& GetPrimitiveFactories() { return m_primitiveFactories; }
    FactoryMap<ForceGenerator>& GetForceGeneratorFactories() { return m_forceFactories; }
    FactoryMap<SteerGenerator>& GetSteerGeneratorFactories() { return m_steerFactories; }

    // A body whose motion average falls below this falls asleep; the average
    // is capped at MOTION_CAP_FACTOR times it.
    float SleepTime = DEFAULT_SLEEP_TIME;
    // Seconds a sleeping body must go without contact before it wakes.
    float WakeInterval = DEFAULT_WAKE_INTERVAL;
    int maxContacts = MAX_CONTACTS;  // capacity of the contact pool
    ContactPool contactPool;
    ContactResolver resolver;

private:
    // An object that would stop a body, with its box about the world axes
    // (or its plane).
    struct Stopper
    {
        GameObject* object = nullptr;
        glm::vec3 centre{0.0f};
        glm::vec3 reach{0.0f};
        const CollisionPlane* plane = nullptr;
    };
    // An object the trajectory prediction's copy may meet, with its bounds
    // (a little wider than its primitive; none for a plane).
    struct Obstacle
    {
        GameObject* object = nullptr;
        const Primitive* primitive = nullptr;
        glm::vec3 lo{0.0f};
        glm::vec3 hi{0.0f};
        bool bounded = false;
        bool block = false;   // IsBlock: its faces follow the block rule
        bool before = false;  // listed before the predicted object in the step
    };
    // Gathers the obstacles of the object: the active objects with an active
    // collision primitive that the step would test it with; the lowest
    // bottom of them all (minus infinity with a plane or an unbounded one).
    float GatherObstacles(const GameObject* object);
    // The contacts the step would make for the copy (its primitive, a box
    // with a body but no block, or not) with the obstacles it nears.
    void PredictionContacts(const Primitive& primitive, bool bodyBox);
    // The objects that would stop the object (see FindStopper), where they are now.
    static void GatherStoppers(const GameObject* object, bool withFields, std::initializer_list<ObjectType> passed,
                               std::vector<Stopper>& stoppers);
    // The first of them that a box at the position overlaps by more than the tolerance.
    static GameObject* FirstStopper(const std::vector<Stopper>& stoppers, const glm::vec3& position,
                                    const glm::vec3& reach, float tolerance);

    // An object of the step's list with its components, looked up once per
    // step. The collision component is also kept as the base pointer it was
    // found under, to tell whether a collision hook has replaced it since.
    struct StepObject
    {
        GameObject* object = nullptr;
        PhysicsComponent* body = nullptr;
        CollisionComponent* collision = nullptr;
        const Component* collisionFound = nullptr;
    };

    // The frame time capped at MAX_STEP; 0 without a frame-rate controller.
    static float StepTime();
    // Adds the force generators' and the enabled steering generators' forces.
    static void ApplyGenerators(PhysicsComponent* body, float dt);
    // bias is 0.01 to the power dt, the weight of the motion average.
    void Integrate(GameObject* object, PhysicsComponent* body, float dt, double bias) const;
    void UpdateWakeTimer(PhysicsComponent* body, const CollisionComponent* collision, float dt) const;
    void DetectCollisions();
    // Kinds of detection items for the block face rule (a bit each).
    static constexpr std::uint8_t KIND_BODY_BOX = 1;  // a box with a body that is no block
    static constexpr std::uint8_t KIND_BLOCK = 2;     // a solid box that stands (IsBlock)
    static std::uint8_t KindOf(const StepObject& entry);
    // Lists, for each body box, the blocks the broad phase pairs it with.
    void GatherBlocks();
    void MarkCollided();
    void NotifyCollisions();
    void UpdatePrimitives();

    FactoryMap<Primitive> m_primitiveFactories;
    FactoryMap<ForceGenerator> m_forceFactories;
    FactoryMap<SteerGenerator> m_steerFactories;

    // The step's buffers, kept so that a step allocates nothing once grown.
    BroadPhase m_broadPhase;
    std::vector<GameObject*> m_objects;  // the active objects, copied
    std::vector<StepObject> m_stepObjects;
    std::vector<BroadPhase::Item> m_items;       // the objects that take part in detection
    std::vector<std::uint32_t> m_itemObjects;    // each item's index in m_stepObjects
    std::vector<BroadPhase::Pair> m_pairs;
    std::vector<std::uint8_t> m_itemKinds;           // each item's KIND_ bit, or 0
    std::vector<std::uint32_t> m_blockStart;         // per item: its blocks in m_blockList, and one past the last
    std::vector<std::uint32_t> m_blockFill;
    std::vector<const CollisionBox*> m_blockList;
    std::size_t m_firstDetected = 0;                   // contacts already active before detection
    std::vector<CollisionComponent*> m_contactShapes;  // two per contact detected in this step

    // The trajectory prediction's own contacts, resolver and buffers, apart
    // from the step's.
    ContactPool m_predictionPool;
    ContactResolver m_predictionResolver;
    std::vector<Obstacle> m_obstacles;
    std::vector<std::uint32_t> m_nearObstacles;
    std::vector<const CollisionBox*> m_nearBlocks;
};

// The conjugate of a quaternion given in the engine's order (w, x, y, z):
// (w, -x, -y, -z). A glm quaternion (stored x, y, z, w) is reordered first.
glm::vec4 QuatConjugate(const glm::vec4& wxyz);

} // namespace QRX
