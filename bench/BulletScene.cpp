// The physics scenes in Bullet: the reference the engine's step is measured
// against. Bullet is a dependency of the benchmark only.
#include <btBulletDynamicsCommon.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench/PhysicsBench.h"

namespace QRX {
namespace Bench {

namespace {

constexpr btScalar HALF_SIZE = 0.5f;
constexpr btScalar GRAVITY_Y = -20.0f;
constexpr btScalar FRICTION = 0.5f;
constexpr btScalar CRATE_MASS = 1.0f;  // the engine's crates have inverse mass 1

// Bullet's default world: dynamic AABB tree broadphase, sequential impulse
// solver; one fixed step of 1/60 s per stepSimulation.
class BulletWorld
{
public:
    BulletWorld()
        : m_dispatcher(&m_configuration),
          m_world(&m_dispatcher, &m_broadphase, &m_solver, &m_configuration)
    {
        m_world.setGravity(btVector3(0, GRAVITY_Y, 0));
    }
    ~BulletWorld()
    {
        for (auto& body : m_bodies) m_world.removeRigidBody(body.get());
    }
    BulletWorld(const BulletWorld&) = delete;
    BulletWorld& operator=(const BulletWorld&) = delete;

    btRigidBody* Add(btCollisionShape* shape, btScalar mass, const btVector3& position)
    {
        btVector3 inertia(0, 0, 0);
        if (mass > 0) shape->calculateLocalInertia(mass, inertia);
        btTransform transform;
        transform.setIdentity();
        transform.setOrigin(position);
        m_motionStates.push_back(std::make_unique<btDefaultMotionState>(transform));
        btRigidBody::btRigidBodyConstructionInfo info(mass, m_motionStates.back().get(), shape, inertia);
        info.m_friction = FRICTION;
        info.m_restitution = 0;
        m_bodies.push_back(std::make_unique<btRigidBody>(info));
        m_world.addRigidBody(m_bodies.back().get());
        return m_bodies.back().get();
    }
    void Step() { m_world.stepSimulation(static_cast<btScalar>(STEP_SECONDS), 1, static_cast<btScalar>(STEP_SECONDS)); }

private:
    btDefaultCollisionConfiguration m_configuration;
    btCollisionDispatcher m_dispatcher;
    btDbvtBroadphase m_broadphase;
    btSequentialImpulseConstraintSolver m_solver;
    btDiscreteDynamicsWorld m_world;
    std::vector<std::unique_ptr<btDefaultMotionState>> m_motionStates;
    std::vector<std::unique_ptr<btRigidBody>> m_bodies;
};

} // namespace

PhysicsRun RunBullet(const PhysicsScene& scene, bool rotation)
{
    // Shapes outlive the world that refers to them.
    btBoxShape box(btVector3(HALF_SIZE, HALF_SIZE, HALF_SIZE));
    btStaticPlaneShape plane(btVector3(0, 1, 0), 0);
    PhysicsRun run;
    {
        BulletWorld world;
        if (scene.blocks.empty()) world.Add(&plane, 0, btVector3(0, 0, 0));
        for (const glm::vec3& block : scene.blocks) world.Add(&box, 0, btVector3(block.x, block.y, block.z));
        std::vector<btRigidBody*> crates;
        for (const glm::vec3& start : scene.crates) {
            btRigidBody* crate = world.Add(&box, CRATE_MASS, btVector3(start.x, start.y, start.z));
            if (!rotation) crate->setAngularFactor(0);
            crates.push_back(crate);
        }

        const double start = Now();
        for (int i = 0; i < scene.steps; ++i) world.Step();
        run.secondsPerStep = (Now() - start) / std::max(1, scene.steps);
        for (const btRigidBody* crate : crates)
            if (!(crate->getCenterOfMassPosition().y() >= 0)) ++run.below;
    }
    return run;
}

} // namespace Bench
} // namespace QRX
