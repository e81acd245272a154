#include "engine/physics/PhysicsManager.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/core/FrameRateController.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/AccurateCollision.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/Primitive.h"
#include "engine/physics/SteerGenerators.h"

namespace QRX {

namespace {

template <typename Base>
Base* MakeFrom(FactoryMap<Base>& factories, int type, const char* function, int line)
{
    auto it = factories.find(type);
    if (it == factories.end() || !it->second) {
        AssertFailed(1, "it->second", function, __FILE__, line, "");
        return nullptr;
    }
    return it->second->Create();
}

template <typename Base>
void DeleteThrough(FactoryMap<Base>& factories, Base* object, const char* message, const char* function, int line)
{
    if (!object) return;
    auto it = factories.find(object->type);
    if (it == factories.end() || !it->second) {
        AssertFailed(1, "it->second", function, __FILE__, line, message);
        return;
    }
    it->second->Destroy(object);
}

// One fourth-order Runge-Kutta step of position and velocity under a
// constant acceleration (the force is not re-evaluated between stages).
// Returns the velocity change.
glm::vec3 RungeKutta(glm::vec3& position, glm::vec3& velocity, const glm::vec3& acceleration, float dt)
{
    const float h = dt * 0.5f;
    const glm::vec3 aDx = velocity;
    const glm::vec3 bDx = velocity + acceleration * h;
    const glm::vec3 cDx = velocity + acceleration * h;
    const glm::vec3 dDx = velocity + acceleration * dt;
    const float sixth = 1.0f / 6.0f;
    const glm::vec3 dxdt = (aDx + 2.0f * (bDx + cDx) + dDx) * sixth;
    const glm::vec3 dvdt = (acceleration + 2.0f * (acceleration + acceleration) + acceleration) * sixth;
    position += dxdt * dt;
    const glm::vec3 dv = dvdt * dt;
    velocity += dv;
    return dv;
}

// The half extent along the world axes of a primitive as the narrow phase
// sees it (scaled, turned); false for a plane, which has none.
bool PrimitiveReach(const Primitive& primitive, glm::vec3& reach)
{
    reach = glm::vec3(0.0f);
    if (primitive.type == PR_BOX) {
        const glm::vec3 half = glm::abs(static_cast<const CollisionBox&>(primitive).scaledHalfSize);
        for (int k = 0; k < 3; ++k) reach += glm::abs(primitive.orientation[k]) * half[k];
        return true;
    }
    if (primitive.type == PR_SPHERE) {
        reach = glm::vec3(std::fabs(static_cast<const CollisionSphere&>(primitive).scaledRadius));
        return true;
    }
    return false;
}

// Whether two boxes given by their corners meet (touching counts).
bool Overlapping(const glm::vec3& loA, const glm::vec3& hiA, const glm::vec3& loB, const glm::vec3& hiB)
{
    return loA.x <= hiB.x && loB.x <= hiA.x && loA.y <= hiB.y && loB.y <= hiA.y && loA.z <= hiB.z && loB.z <= hiA.z;
}

// Whether two boxes about the world axes overlap by more than the
// tolerance on every axis (not a number never does).
bool Overlapping(const glm::vec3& centreA, const glm::vec3& reachA, const glm::vec3& centreB,
                 const glm::vec3& reachB, float tolerance)
{
    for (int k = 0; k < 3; ++k)
        if (!(reachA[k] + reachB[k] - std::fabs(centreA[k] - centreB[k]) > tolerance)) return false;
    return true;
}

// Whether a box about the world axes reaches into a plane's lower side by
// more than the tolerance.
bool BelowPlane(const glm::vec3& centre, const glm::vec3& reach, const CollisionPlane& plane, float tolerance)
{
    const float radius = glm::dot(glm::abs(plane.normal), reach);
    return plane.offset - (glm::dot(plane.normal, centre) - radius) > tolerance;
}

} // namespace

PhysicsManager::PhysicsManager() = default;

PhysicsManager::~PhysicsManager()
{
    DeleteMapValues(m_primitiveFactories);
    DeleteMapValues(m_forceFactories);
    DeleteMapValues(m_steerFactories);
    m_primitiveFactories.clear();
    m_forceFactories.clear();
    m_steerFactories.clear();
}

Primitive* PhysicsManager::MakePrimitive(int type)
{
    return MakeFrom(m_primitiveFactories, type, QRX_FUNCTION, __LINE__);
}

ForceGenerator* PhysicsManager::MakeForceGenerator(int type)
{
    return MakeFrom(m_forceFactories, type, QRX_FUNCTION, __LINE__);
}

SteerGenerator* PhysicsManager::MakeSteerGenerator(int type)
{
    return MakeFrom(m_steerFactories, type, QRX_FUNCTION, __LINE__);
}

void PhysicsManager::DeletePrimitive(Primitive* primitive)
{
    DeleteThrough(m_primitiveFactories, primitive, "No such primitive", QRX_FUNCTION, __LINE__);
}

void PhysicsManager::DeleteForceGenerator(ForceGenerator* generator)
{
    DeleteThrough(m_forceFactories, generator, "No such force generator", QRX_FUNCTION, __LINE__);
}

void PhysicsManager::DeleteSteerGenerator(SteerGenerator* generator)
{
    DeleteThrough(m_steerFactories, generator, "No such steer generator", QRX_FUNCTION, __LINE__);
}

float PhysicsManager::StepTime()
{
    System* system = System::PeekInstance();
    if (!system || !system->frameRateController) return 0.0f;
    return static_cast<float>(std::min(system->frameRateController->dt, static_cast<double>(MAX_STEP)));
}

void PhysicsManager::Update()
{
    System* system = System::PeekInstance();
    if (!system || !system->objectManager || !system->frameRateController) return;
    const float dt = StepTime();
    // The same for every body of the step.
    const double bias = std::pow(0.01, static_cast<double>(dt));
    // A copy: generators and hooks may query the object manager while the
    // step walks its list.
    m_objects = system->objectManager->GetActiveObjects();

    m_stepObjects.clear();
    m_stepObjects.reserve(m_objects.size());
    for (GameObject* object : m_objects) {
        m_stepObjects.emplace_back();
        StepObject& entry = m_stepObjects.back();
        entry.object = object;
        if (!object) continue;
        PhysicsComponent* body = entry.body = GetPhysicsComponent(object);
        Component* found = object->GetComponent(CT_COLLISION);
        entry.collisionFound = found;
        entry.collision = found ? dynamic_cast<CollisionComponent*>(found) : nullptr;

        if (body && (body->flags & BODY_ENABLED)) {
            ApplyGenerators(body, dt);
            Integrate(entry.object, body, dt, bias);
            UpdateWakeTimer(body, entry.collision, dt);
            body->forceAccum = glm::vec3(0.0f);
        }
        if (CollisionComponent* collision = entry.collision) {
            collision->collided = false;
            if (collision->GetPrimitive()) collision->UpdatePrimitive();
        }
    }

    DetectCollisions();
    MarkCollided();
    resolver.iterations = ContactResolver::ITERATIONS_PER_CONTACT * static_cast<int>(contactPool.activeContacts.size());
    NotifyCollisions();
    // UpdatePrimitives rebuilds every primitive of the list afterwards, so the
    // resolver need not after each move, unless a contact was already in the
    // pool before detection (its bodies need not be in the list).
    if (!contactPool.activeContacts.empty()) resolver.Resolve(contactPool, m_firstDetected == 0);
    contactPool.ReleaseAll();
    UpdatePrimitives();
}

void PhysicsManager::ApplyGenerators(PhysicsComponent* body, float dt)
{
    for (auto& entry : body->forceGenerators) entry.second->UpdateForce(body, dt);
    for (auto& entry : body->steerGenerators) {
        if (entry.second->enabled) entry.second->UpdateForce(body, dt);
    }
}

void PhysicsManager::Integrate(GameObject* object, PhysicsComponent* body, float dt, double bias) const
{
    const glm::vec3 acceleration = body->inverseMass * body->forceAccum;
    body->acceleration = RungeKutta(object->position, body->velocity, acceleration, dt);
    object->flags &= ~OBJ_WORLD_VALID;

    if ((body->flags & BODY_CAN_SLEEP) == 0 || (body->flags & BODY_AWAKE) == 0) return;
    // A recency-weighted average of the squared speed: older frames count
    // less the longer the step.
    const double speedSquared = glm::dot(body->velocity, body->velocity);
    body->motion = static_cast<float>(bias * body->motion + (1.0 - bias) * speedSquared);
    if (body->motion < SleepTime) {
        if (object->type == PLAYER) return;  // the robot never falls asleep
        body->flags &= ~BODY_AWAKE;
        body->velocity = glm::vec3(0.0f);
        body->wakeTimer = 0.0f;
    } else if (body->motion > MOTION_CAP_FACTOR * SleepTime) {
        body->motion = MOTION_CAP_FACTOR * SleepTime;
    }
}

void PhysicsManager::UpdateWakeTimer(PhysicsComponent* body, const CollisionComponent* collision, float dt) const
{
    if (body->flags & BODY_AWAKE) return;
    // Collided still holds the previous step's contacts here; a body
    // without a collision component never touches anything.
    if (collision && collision->collided) return;
    body->wakeTimer += dt;
    if (body->wakeTimer <= WakeInterval) return;
    body->flags |= BODY_AWAKE;
    if (auto* gravity = dynamic_cast<GravityForceGenerator*>(body->GetForceGenerator(FG_GRAVITY)))
        gravity->gravity.y = WAKE_GRAVITY_Y;
    body->velocity.y = WAKE_VELOCITY_Y;
}

void PhysicsManager::DetectCollisions()
{
    // The objects that take part, in list order. A collision component
    // without a primitive leaves its object out.
    m_items.clear();
    m_itemObjects.clear();
    m_itemKinds.clear();
    for (std::uint32_t i = 0; i < m_stepObjects.size(); ++i) {
        const StepObject& entry = m_stepObjects[i];
        const CollisionComponent* collision = entry.collision;
        if (!collision || !collision->active || !collision->GetPrimitive()) continue;
        m_items.push_back({collision->GetPrimitive(), entry.body != nullptr, entry.object->type == ENEMY});
        m_itemObjects.push_back(i);
        m_itemKinds.push_back(KindOf(entry));
    }
    m_broadPhase.FindPairs(m_items, m_pairs);
    GatherBlocks();

    // The collision component of each new contact's bodies, for MarkCollided.
    m_firstDetected = contactPool.activeContacts.size();
    m_contactShapes.clear();
    for (const BroadPhase::Pair& pair : m_pairs) {
        // A full pool takes no more contacts: the remaining pairs would make none.
        if (contactPool.freeContacts.empty()) break;
        const std::size_t before = contactPool.activeContacts.size();
        BlockFaces blocks;
        const BlockFaces* around = nullptr;
        const std::uint8_t kinds = static_cast<std::uint8_t>(m_itemKinds[pair.first] | m_itemKinds[pair.second]);
        if (kinds == (KIND_BODY_BOX | KIND_BLOCK)) {
            const bool firstIsBody = m_itemKinds[pair.first] == KIND_BODY_BOX;
            const std::uint32_t body = firstIsBody ? pair.first : pair.second;
            blocks.block = static_cast<const CollisionBox*>(m_items[firstIsBody ? pair.second : pair.first].primitive);
            blocks.others = m_blockList.data() + m_blockStart[body];
            blocks.count = m_blockStart[body + 1] - m_blockStart[body];
            around = &blocks;
        }
        CollisionDetector::CollidePair(*m_items[pair.first].primitive, *m_items[pair.second].primitive, contactPool,
                                       around);
        if (contactPool.activeContacts.size() == before) continue;
        const StepObject& a = m_stepObjects[m_itemObjects[pair.first]];
        const StepObject& b = m_stepObjects[m_itemObjects[pair.second]];
        for (GameObject* body : contactPool.activeContacts.back()->bodies) {
            if (body == a.object) m_contactShapes.push_back(a.collision);
            else if (body == b.object) m_contactShapes.push_back(b.collision);
            else m_contactShapes.push_back(GetCollisionComponent(body));
        }
    }
}

glm::vec3 PhysicsManager::WorldReach(const GameObject& object, const Primitive& primitive)
{
    const glm::mat3 rotation = glm::mat3_cast(object.rotation);
    const glm::vec3 half = glm::abs(primitive.GetHalfSize() * object.scale);
    glm::vec3 reach(0.0f);
    for (int k = 0; k < 3; ++k) reach += glm::abs(rotation[k]) * half[k];
    return reach;
}

bool PhysicsManager::IsBlock(const GameObject* object, const PhysicsComponent* body,
                             const CollisionComponent* collision)
{
    // Enemies are never part of the level's solid (and two never meet).
    return object && (!body || body->inverseMass <= BLOCK_INVERSE_MASS) && collision && collision->active && collision->GetPrimitive() &&
           collision->GetPrimitive()->type == PR_BOX && collision->autoResolve && !collision->ethereal &&
           object->type != ENEMY;
}

std::uint8_t PhysicsManager::KindOf(const StepObject& entry)
{
    if (IsBlock(entry.object, entry.body, entry.collision)) return KIND_BLOCK;
    return entry.body && entry.collision->GetPrimitive()->type == PR_BOX ? KIND_BODY_BOX : 0;
}

void PhysicsManager::GatherBlocks()
{
    // Every block the broad phase pairs with a body box: all the blocks that
    // can overlap the body, so all that can cover a face where it touches.
    m_blockStart.assign(m_items.size() + 1, 0);
    for (const BroadPhase::Pair& pair : m_pairs) {
        const std::uint8_t first = m_itemKinds[pair.first];
        const std::uint8_t second = m_itemKinds[pair.second];
        if (first == KIND_BODY_BOX && second == KIND_BLOCK) ++m_blockStart[pair.first + 1];
        else if (first == KIND_BLOCK && second == KIND_BODY_BOX) ++m_blockStart[pair.second + 1];
    }
    for (std::size_t i = 0; i < m_items.size(); ++i) m_blockStart[i + 1] += m_blockStart[i];
    m_blockList.resize(m_blockStart.back());
    m_blockFill.assign(m_blockStart.begin(), m_blockStart.end() - 1);
    for (const BroadPhase::Pair& pair : m_pairs) {
        const std::uint8_t first = m_itemKinds[pair.first];
        const std::uint8_t second = m_itemKinds[pair.second];
        if (first == KIND_BODY_BOX && second == KIND_BLOCK)
            m_blockList[m_blockFill[pair.first]++] = static_cast<const CollisionBox*>(m_items[pair.second].primitive);
        else if (first == KIND_BLOCK && second == KIND_BODY_BOX)
            m_blockList[m_blockFill[pair.second]++] = static_cast<const CollisionBox*>(m_items[pair.first].primitive);
    }
}

void PhysicsManager::MarkCollided()
{
    const std::vector<Contact*>& contacts = contactPool.activeContacts;
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        for (int k = 0; k < 2; ++k) {
            CollisionComponent* collision = i < m_firstDetected ? GetCollisionComponent(contacts[i]->bodies[k])
                                                                : m_contactShapes[2 * (i - m_firstDetected) + k];
            if (collision) collision->collided = true;
        }
    }
}

void PhysicsManager::NotifyCollisions()
{
    const std::vector<Contact*> contacts = contactPool.activeContacts;
    for (Contact* contact : contacts) {
        GameObject* first = contact->bodies[0];
        GameObject* second = contact->bodies[1];
        if (first) first->NotifyCollision(second);
        if (second) second->NotifyCollision(first);
    }
}

void PhysicsManager::UpdatePrimitives()
{
    // A hook may have removed or replaced a collision component: the one
    // found at the start is used only while it is still the object's.
    for (const StepObject& entry : m_stepObjects) {
        if (!entry.object) continue;
        Component* found = entry.object->GetComponent(CT_COLLISION);
        CollisionComponent* collision =
            found == entry.collisionFound ? entry.collision : dynamic_cast<CollisionComponent*>(found);
        if (collision && collision->GetPrimitive()) collision->UpdatePrimitive();
    }
}

std::vector<glm::vec3> PhysicsManager::PredictTrajectory(GameObject* object, float totalTime, float sampleInterval,
                                                         const glm::vec3& launchVelocity,
                                                         bool (*endsOnTouch)(ObjectType))
{
    std::vector<glm::vec3> path;
    if (!object) return path;
    path.push_back(object->position);
    const CollisionComponent* collision = GetCollisionComponent(object);
    const PhysicsComponent* body = GetPhysicsComponent(object);
    if (!collision || !collision->GetPrimitive() || !body) return path;
    const float dt = StepTime();
    // With no time passing the loop would never end.
    if (totalTime <= 0.0f || dt <= 0.0f) return path;

    // The copy, outside the pool: its own body and shape, made through the
    // factories (its steering generators come out disabled, so only the
    // force generators act on it). A throw sets the velocity and wakes the
    // body: whatever it still had of its own does not count.
    GameObject probe;
    probe.id = object->id;
    probe.type = object->type;
    probe.flags = object->flags;
    probe.position = object->position;
    probe.rotation = object->rotation;
    probe.scale = object->scale;
    auto* probeBody = dynamic_cast<PhysicsComponent*>(probe.AddComponentHelper(CT_PHYSICS));
    auto* probeShape = dynamic_cast<CollisionComponent*>(probe.AddComponentHelper(CT_COLLISION));
    if (!probeBody || !probeShape) return path;
    probeBody->CopyFrom(body);
    probeShape->CopyFrom(collision);
    const Primitive* primitive = probeShape->GetPrimitive();
    if (!primitive) return path;
    probeBody->velocity = launchVelocity;
    probeBody->flags |= BODY_AWAKE;
    probeShape->active = true;
    probeShape->collided = false;
    probeShape->UpdatePrimitive();
    const bool bodyBox = primitive->type == PR_BOX && !IsBlock(&probe, probeBody, probeShape);
    const auto* gravity = dynamic_cast<const GravityForceGenerator*>(probeBody->GetForceGenerator(FG_GRAVITY));

    const float lowest = GatherObstacles(object);
    m_predictionResolver.restitutionLimit = resolver.restitutionLimit;
    m_predictionResolver.positionEpsilon = resolver.positionEpsilon;
    m_predictionResolver.velocityEpsilon = resolver.velocityEpsilon;
    const double bias = std::pow(0.01, static_cast<double>(dt));

    float elapsed = 0.0f;
    float sinceSample = 0.0f;
    do {
        // The step's stages, for this one body.
        ApplyGenerators(probeBody, dt);
        Integrate(&probe, probeBody, dt, bias);
        UpdateWakeTimer(probeBody, probeShape, dt);
        probeBody->forceAccum = glm::vec3(0.0f);
        probeShape->collided = false;
        probeShape->UpdatePrimitive();
        // Below every obstacle, falling and pulled down (drag only slows
        // it), nothing can meet it any more.
        glm::vec3 reach;
        const bool fallenAway = PrimitiveReach(*primitive, reach) && primitive->GetCentre().y + reach.y < lowest &&
                                probeBody->velocity.y <= 0.0f && (!gravity || gravity->gravity.y <= 0.0f);
        if (!fallenAway) PredictionContacts(*primitive, bodyBox);
        std::vector<Contact*>& contacts = m_predictionPool.activeContacts;
        bool touched = false;
        for (const Contact* contact : contacts) {
            const GameObject* other = contact->bodies[0] == &probe ? contact->bodies[1] : contact->bodies[0];
            touched = touched || (endsOnTouch && other && endsOnTouch(other->type));
        }
        if (touched) {
            m_predictionPool.ReleaseAll();
            path.push_back(probe.position);
            return path;
        }
        if (!contacts.empty()) {
            probeShape->collided = true;
            m_predictionResolver.iterations = ContactResolver::ITERATIONS_PER_CONTACT * static_cast<int>(contacts.size());
            m_predictionResolver.Resolve(m_predictionPool, true, &probe);
        }
        m_predictionPool.ReleaseAll();
        probeShape->UpdatePrimitive();

        // At rest: asleep on something.
        if (!(probeBody->flags & BODY_AWAKE) && probeShape->collided) {
            path.push_back(probe.position);
            return path;
        }
        sinceSample += dt;
        if (sampleInterval <= sinceSample) {
            sinceSample = 0.0f;
            path.push_back(probe.position);
        }
        // A frame time too small to advance the clock would never end the loop.
        const float next = elapsed + dt;
        if (next == elapsed) break;
        elapsed = next;
    } while (elapsed < totalTime);
    return path;
}

float PhysicsManager::GatherObstacles(const GameObject* object)
{
    m_obstacles.clear();
    float lowest = std::numeric_limits<float>::infinity();
    System* system = System::PeekInstance();
    if (!system || !system->objectManager) return lowest;
    // A copy: the manager's result list is overwritten by the next query.
    const GameObjectGroup objects = system->objectManager->GetActiveObjects();
    for (GameObject* other : objects) {
        if (!other || other == object || other->id == object->id) continue;
        // The step never tests two enemies.
        if (other->type == ENEMY && object->type == ENEMY) continue;
        CollisionComponent* shape = GetCollisionComponent(other);
        const Primitive* primitive = shape ? shape->GetPrimitive() : nullptr;
        if (!primitive || !shape->active) continue;
        // Where the step will find it: gameplay may have moved it since.
        shape->UpdatePrimitive();
        Obstacle obstacle;
        obstacle.object = other;
        obstacle.primitive = primitive;
        obstacle.block = IsBlock(other, GetPhysicsComponent(other), shape);
        obstacle.before = other->id < object->id;
        glm::vec3 reach;
        obstacle.bounded = PrimitiveReach(*primitive, reach);
        obstacle.lo = primitive->GetCentre() - reach - NEAR_MARGIN;
        obstacle.hi = primitive->GetCentre() + reach + NEAR_MARGIN;
        obstacle.bounded = obstacle.bounded && std::isfinite(obstacle.lo.x + obstacle.lo.y + obstacle.lo.z) &&
                           std::isfinite(obstacle.hi.x + obstacle.hi.y + obstacle.hi.z);
        lowest = obstacle.bounded ? std::min(lowest, obstacle.lo.y) : -std::numeric_limits<float>::infinity();
        m_obstacles.push_back(obstacle);
    }
    return lowest;
}

void PhysicsManager::PredictionContacts(const Primitive& primitive, bool bodyBox)
{
    glm::vec3 reach;
    const bool bounded = PrimitiveReach(primitive, reach);
    const glm::vec3 lo = primitive.GetCentre() - reach - NEAR_MARGIN;
    const glm::vec3 hi = primitive.GetCentre() + reach + NEAR_MARGIN;
    m_nearObstacles.clear();
    m_nearBlocks.clear();
    for (std::uint32_t i = 0; i < m_obstacles.size(); ++i) {
        const Obstacle& obstacle = m_obstacles[i];
        if (bounded && obstacle.bounded && !Overlapping(lo, hi, obstacle.lo, obstacle.hi)) continue;
        m_nearObstacles.push_back(i);
        if (obstacle.block) m_nearBlocks.push_back(static_cast<const CollisionBox*>(obstacle.primitive));
    }
    // As the step tests them: the earlier object of the list first, a box
    // with a body against a block with the blocks around it.
    for (std::uint32_t i : m_nearObstacles) {
        if (m_predictionPool.freeContacts.empty()) break;
        const Obstacle& obstacle = m_obstacles[i];
        BlockFaces blocks;
        const BlockFaces* around = nullptr;
        if (bodyBox && obstacle.block) {
            blocks.block = static_cast<const CollisionBox*>(obstacle.primitive);
            blocks.others = m_nearBlocks.data();
            blocks.count = m_nearBlocks.size();
            around = &blocks;
        }
        if (obstacle.before) CollisionDetector::CollidePair(*obstacle.primitive, primitive, m_predictionPool, around);
        else CollisionDetector::CollidePair(primitive, *obstacle.primitive, m_predictionPool, around);
    }
}

void PhysicsManager::GatherStoppers(const GameObject* object, bool withFields, std::initializer_list<ObjectType> passed,
                                    std::vector<Stopper>& stoppers)
{
    stoppers.clear();
    System* system = System::PeekInstance();
    if (!system || !system->objectManager || !object) return;
    // A copy: the manager's result list is overwritten by the next query.
    const GameObjectGroup objects = system->objectManager->GetActiveObjects();
    for (GameObject* other : objects) {
        if (!other || other == object || other->id == object->id || other->type == PLAYER) continue;
        if (std::find(passed.begin(), passed.end(), other->type) != passed.end()) continue;
        const CollisionComponent* shape = GetCollisionComponent(other);
        const Primitive* primitive = shape ? shape->GetPrimitive() : nullptr;
        if (!primitive || !shape->active) continue;
        const bool field = other->type == FORCEFIELD || other->type == CRATEFORCEFIELD;
        if (!(withFields && field)) {
            Contact contact(glm::vec3(0.0f), 0.0f, 0.0f);
            contact.SetBodyData(const_cast<GameObject*>(object), other, 0.0f);
            if (!contact.IsResolvable()) continue;
        }
        const auto* plane = primitive->type == PR_PLANE ? static_cast<const CollisionPlane*>(primitive) : nullptr;
        stoppers.push_back({other, other->position, WorldReach(*other, *primitive), plane});
    }
}

GameObject* PhysicsManager::FirstStopper(const std::vector<Stopper>& stoppers, const glm::vec3& position,
                                         const glm::vec3& reach, float tolerance)
{
    for (const Stopper& stopper : stoppers) {
        const bool overlapping = stopper.plane ? BelowPlane(position, reach, *stopper.plane, tolerance)
                                               : Overlapping(position, reach, stopper.centre, stopper.reach, tolerance);
        if (overlapping) return stopper.object;
    }
    return nullptr;
}

GameObject* PhysicsManager::FindStopper(const GameObject* object, const glm::vec3& position, float tolerance,
                                        bool withFields, std::initializer_list<ObjectType> passed) const
{
    const CollisionComponent* collision = GetCollisionComponent(object);
    if (!collision || !collision->GetPrimitive()) return nullptr;
    std::vector<Stopper> stoppers;
    GatherStoppers(object, withFields, passed, stoppers);
    return FirstStopper(stoppers, position, WorldReach(*object, *collision->GetPrimitive()), tolerance);
}

glm::vec4 QuatConjugate(const glm::vec4& wxyz) { return glm::vec4(wxyz.x, -wxyz.y, -wxyz.z, -wxyz.w); }

} // namespace QRX
