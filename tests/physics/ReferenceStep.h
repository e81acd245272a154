// A plain physics step kept beside the real one to check it: every rule of
// the step written the obvious way, with no broad phase, every pair of
// objects visited, and a linear scan of every contact wherever the resolver
// looks for work. It steps the objects it is given (not the object manager's) and
// owns its own contact pool, so two copies of a scene can be stepped side by
// side, one by PhysicsManager::Update and one by this, and compared.
//
// The arithmetic follows the real step operation for operation (same
// expressions, same order), so the two agree bit for bit; only the way the
// work is found differs. The narrow-phase tests are shared; a box with a body
// meeting a block is given every block of the step as the blocks that may
// cover the block's faces (the real step gives only those its broad phase
// pairs with the body).
#pragma once
#include <cmath>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/GameObject.h"
#include "engine/physics/AccurateCollision.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/Contact.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/Primitive.h"
#include "engine/physics/SteerGenerators.h"

namespace QRX {
namespace StepKit {

class ReferenceStep
{
public:
    void Update(const std::vector<GameObject*>& objects, float dt)
    {
        for (GameObject* object : objects) {
            if (!object) continue;
            PhysicsComponent* body = GetPhysicsComponent(object);
            if (body && (body->flags & BODY_ENABLED)) {
                for (auto& entry : body->forceGenerators) entry.second->UpdateForce(body, dt);
                for (auto& entry : body->steerGenerators)
                    if (entry.second->enabled) entry.second->UpdateForce(body, dt);
                Integrate(object, body, dt);
                WakeTimer(object, body, dt);
                body->forceAccum = glm::vec3(0.0f);
            }
            if (CollisionComponent* collision = GetCollisionComponent(object)) {
                collision->collided = false;
                if (collision->GetPrimitive()) collision->UpdatePrimitive();
            }
        }

        Detect(objects);
        for (Contact* contact : pool.activeContacts)
            for (GameObject* body : contact->bodies)
                if (CollisionComponent* collision = GetCollisionComponent(body)) collision->collided = true;
        iterations = ContactResolver::ITERATIONS_PER_CONTACT * static_cast<int>(pool.activeContacts.size());
        const std::vector<Contact*> told = pool.activeContacts;
        for (Contact* contact : told) {
            if (contact->bodies[0]) contact->bodies[0]->NotifyCollision(contact->bodies[1]);
            if (contact->bodies[1]) contact->bodies[1]->NotifyCollision(contact->bodies[0]);
        }
        if (!pool.activeContacts.empty()) {
            ResolvePositions();
            ResolveVelocities();
        }
        pool.ReleaseAll();
        for (GameObject* object : objects) {
            CollisionComponent* collision = GetCollisionComponent(object);
            if (collision && collision->GetPrimitive()) collision->UpdatePrimitive();
        }
    }

    ContactPool pool;
    int iterations = 0;
    float sleepTime = PhysicsManager::DEFAULT_SLEEP_TIME;
    float wakeInterval = PhysicsManager::DEFAULT_WAKE_INTERVAL;

private:
    static bool Awake(const PhysicsComponent* body) { return body && (body->flags & BODY_AWAKE); }
    static GravityForceGenerator* GravityOf(PhysicsComponent* body)
    {
        return dynamic_cast<GravityForceGenerator*>(body->GetForceGenerator(FG_GRAVITY));
    }

    void Integrate(GameObject* object, PhysicsComponent* body, float dt) const
    {
        // Runge-Kutta stages with the force held over the step.
        const glm::vec3 acc = body->inverseMass * body->forceAccum;
        const float h = dt * 0.5f;
        const glm::vec3 aDx = body->velocity, aDv = acc;
        const glm::vec3 bDx = body->velocity + aDv * h, bDv = acc;
        const glm::vec3 cDx = body->velocity + bDv * h, cDv = acc;
        const glm::vec3 dDx = body->velocity + cDv * dt, dDv = acc;
        const float sixth = 1.0f / 6.0f;
        const glm::vec3 dxdt = (aDx + 2.0f * (bDx + cDx) + dDx) * sixth;
        const glm::vec3 dvdt = (aDv + 2.0f * (bDv + cDv) + dDv) * sixth;
        object->position += dxdt * dt;
        object->flags &= ~OBJ_WORLD_VALID;
        const glm::vec3 dv = dvdt * dt;
        body->velocity += dv;
        body->acceleration = dv;

        if (!(body->flags & BODY_CAN_SLEEP) || !(body->flags & BODY_AWAKE)) return;
        const double bias = std::pow(0.01, static_cast<double>(dt));
        const double speedSquared = glm::dot(body->velocity, body->velocity);
        body->motion = static_cast<float>(bias * body->motion + (1.0 - bias) * speedSquared);
        if (body->motion < sleepTime) {
            if (object->type == PLAYER) return;
            body->flags &= ~BODY_AWAKE;
            body->velocity = glm::vec3(0.0f);
            body->wakeTimer = 0.0f;
        } else if (body->motion > PhysicsManager::MOTION_CAP_FACTOR * sleepTime) {
            body->motion = PhysicsManager::MOTION_CAP_FACTOR * sleepTime;
        }
    }

    void WakeTimer(GameObject* object, PhysicsComponent* body, float dt) const
    {
        if (body->flags & BODY_AWAKE) return;
        const CollisionComponent* collision = GetCollisionComponent(object);
        if (collision && collision->collided) return;
        body->wakeTimer += dt;
        if (body->wakeTimer <= wakeInterval) return;
        body->flags |= BODY_AWAKE;
        if (GravityForceGenerator* gravity = GravityOf(body)) gravity->gravity.y = PhysicsManager::WAKE_GRAVITY_Y;
        body->velocity.y = PhysicsManager::WAKE_VELOCITY_Y;
    }

    void Detect(const std::vector<GameObject*>& objects)
    {
        struct Shaped
        {
            GameObject* object;
            const Primitive* primitive;
            bool body;
            bool block;
        };
        std::vector<Shaped> shaped;
        // Every block of the list may cover a face of any other.
        std::vector<const CollisionBox*> blocks;
        for (GameObject* object : objects) {
            const CollisionComponent* collision = GetCollisionComponent(object);
            if (!collision || !collision->active || !collision->GetPrimitive()) continue;
            const PhysicsComponent* body = GetPhysicsComponent(object);
            const bool block = PhysicsManager::IsBlock(object, body, collision);
            shaped.push_back({object, collision->GetPrimitive(), body != nullptr, block});
            if (block) blocks.push_back(static_cast<const CollisionBox*>(collision->GetPrimitive()));
        }
        for (size_t a = 0; a < shaped.size(); ++a) {
            for (size_t b = a + 1; b < shaped.size(); ++b) {
                if (!shaped[a].body && !shaped[b].body) continue;
                if (shaped[a].object->type == ENEMY && shaped[b].object->type == ENEMY) continue;
                // A box with a body meeting a block: the other blocks go with it.
                BlockFaces around;
                const BlockFaces* given = nullptr;
                for (const auto& [body, block] : {std::make_pair(&shaped[a], &shaped[b]), std::make_pair(&shaped[b], &shaped[a])}) {
                    if (body->body && !body->block && body->primitive->type == PR_BOX && block->block) {
                        around = {static_cast<const CollisionBox*>(block->primitive), blocks.data(), blocks.size()};
                        given = &around;
                    }
                }
                CollisionDetector::CollidePair(*shaped[a].primitive, *shaped[b].primitive, pool, given);
            }
        }
    }

    // A contact as resolution sees it: its bodies' components, fetched when a
    // pass starts (after the hooks have run; nothing changes them during it).
    struct Seen
    {
        Contact* c = nullptr;
        PhysicsComponent* body[2] = {nullptr, nullptr};
        CollisionComponent* shape[2] = {nullptr, nullptr};
        bool workable = false;  // counts and is resolvable
        bool resolvable = false;
        float inverseMass = 0.0f;
    };

    static bool Blocks(const Contact& c, ObjectType field, ObjectType other)
    {
        bool listed = false;
        for (int type : c.blockedTypes) listed = listed || type == other;
        if (!listed) return false;
        return field == FORCEFIELD ? other != CRATE : other != PLAYER && other != ENEMY;
    }

    static std::vector<Seen> Look(const std::vector<Contact*>& contacts)
    {
        std::vector<Seen> seen(contacts.size());
        for (size_t i = 0; i < contacts.size(); ++i) {
            Seen& s = seen[i];
            Contact& c = *contacts[i];
            s.c = &c;
            for (int k = 0; k < 2; ++k) {
                s.body[k] = GetPhysicsComponent(c.bodies[k]);
                s.shape[k] = GetCollisionComponent(c.bodies[k]);
                if (s.body[k]) s.inverseMass += s.body[k]->inverseMass;
            }
            const bool counts = !c.bodies[0] || !c.bodies[1] || s.body[0] || s.body[1];
            const CollisionComponent* a = s.shape[0];
            const CollisionComponent* b = s.shape[1];
            if (!a || !b) s.resolvable = true;
            else if (!a->ethereal && !b->ethereal) s.resolvable = a->autoResolve || b->autoResolve;
            else {
                const ObjectType ta = c.bodies[0]->type;
                const ObjectType tb = c.bodies[1]->type;
                if (a->ethereal && ta == FORCEFIELD) s.resolvable = Blocks(c, FORCEFIELD, tb);
                else if (b->ethereal && tb == FORCEFIELD) s.resolvable = Blocks(c, FORCEFIELD, ta);
                else if (a->ethereal && ta == CRATEFORCEFIELD) s.resolvable = Blocks(c, CRATEFORCEFIELD, tb);
                else if (b->ethereal && tb == CRATEFORCEFIELD) s.resolvable = Blocks(c, CRATEFORCEFIELD, ta);
            }
            s.workable = counts && s.resolvable;
        }
        return seen;
    }

    static void MatchAwake(const Seen& s)
    {
        if (!s.c->bodies[0] || !s.c->bodies[1]) return;
        if (Awake(s.body[0]) == Awake(s.body[1])) return;
        PhysicsComponent* sleeper = Awake(s.body[0]) ? s.body[1] : s.body[0];
        if (sleeper) sleeper->flags |= BODY_AWAKE;
    }

    static void Separating(const Seen& s, float limit, float& approach, float& desired, float& accTerm,
                           glm::vec3& rel)
    {
        const PhysicsComponent* a = s.body[0];
        const PhysicsComponent* b = s.body[1];
        const Contact& c = *s.c;
        if (Awake(a)) rel += a->velocity;
        if (Awake(b)) rel -= b->velocity;
        const float sep = glm::dot(rel, c.contactNormal);
        if (sep >= 0.0f) return;
        approach = -sep;
        glm::vec3 acc(0.0f);
        if (Awake(a)) acc += a->acceleration;
        if (Awake(b)) acc -= b->acceleration;
        accTerm = glm::dot(acc, c.contactNormal);
        if (accTerm < 0.0f) {
            approach = -sep - accTerm;
            if (approach < 0.0f) approach = 0.0f;
        }
        const float bounce = std::fabs(sep) >= limit ? c.restitution : 0.0f;
        desired = bounce * approach - sep;
    }

    static void PositionChange(const Seen& s, glm::vec3 changes[2])
    {
        Contact& c = *s.c;
        c.resolutionFlags |= CONTACT_POSITION_RESOLVED;
        if (!s.resolvable || c.penetration <= 0.0f) return;
        const float total = s.inverseMass;
        if (total <= 0.0f) return;
        const glm::vec3 move = c.contactNormal * (c.penetration / total);
        for (int i = 0; i < 2; ++i) {
            PhysicsComponent* body = s.body[i];
            if (!body) continue;
            const glm::vec3 d = (i == 0 ? move : -move) * body->inverseMass;
            changes[i] = d;
            CollisionComponent* collision = s.shape[i];
            if (!collision || !collision->autoResolve) continue;
            c.bodies[i]->position += d;
            c.bodies[i]->flags &= ~OBJ_WORLD_VALID;
            if (collision->GetPrimitive()) collision->UpdatePrimitive();
        }
        c.penetration = 0.0f;
    }

    void Velocity(const Seen& s) const
    {
        Contact& c = *s.c;
        c.resolutionFlags |= CONTACT_VELOCITY_RESOLVED;
        if (!s.resolvable) return;
        // A sleeping body's own velocity into the contact is stopped.
        for (int i = 0; i < 2; ++i) {
            PhysicsComponent* body = s.body[i];
            if (!body || Awake(body) || body->inverseMass <= MIN_INVERSE_MASS || !s.shape[i] ||
                !s.shape[i]->autoResolve)
                continue;
            const float along = glm::dot(body->velocity, c.contactNormal);
            if (i == 0 ? along < 0.0f : along > 0.0f) body->velocity -= c.contactNormal * along;
        }
        float approach = 0.0f, desired = 0.0f, accTerm = 0.0f;
        glm::vec3 rel(0.0f);
        Separating(s, restitutionLimit, approach, desired, accTerm, rel);
        const float total = s.inverseMass;
        if (total <= 0.0f) return;
        const float j = desired / total;
        glm::vec3 impulse = c.contactNormal * j;
        const glm::vec3 tangential = (rel + c.contactNormal * (approach + accTerm)) / total;
        const bool floorLike = std::fabs(c.contactNormal.y) >= Contact::FLOOR_NORMAL_Y;
        if (floorLike) {
            const float slide = glm::length(tangential);
            if (j * c.staticFriction >= slide) impulse -= tangential;
            else if (slide > 0.0f) impulse -= (tangential / slide) * c.dynamicFriction * glm::length(impulse);
        }
        for (int i = 0; i < 2; ++i) {
            PhysicsComponent* body = s.body[i];
            if (!body || !s.shape[i] || !s.shape[i]->autoResolve) continue;
            body->velocity += (i == 0 ? impulse : -impulse) * body->inverseMass;
            if (!Awake(body) || !floorLike) continue;
            if (GravityForceGenerator* gravity = GravityOf(body)) {
                if (gravity->gravity.y >= Contact::FADED_GRAVITY_Y) gravity->gravity.y = Contact::FADED_GRAVITY_Y;
                else gravity->gravity -= Contact::GRAVITY_FADE * gravity->gravity;
            }
        }
    }

    // Every other workable contact sharing a body (with physics) with the moved one.
    static void Penetrations(std::vector<Seen>& seen, const Seen& moved, const glm::vec3 changes[2])
    {
        for (Seen& other : seen) {
            if (other.c == moved.c || !other.workable) continue;
            for (int k = 0; k < 2; ++k) {
                GameObject* body = other.c->bodies[k];
                if (!body || !other.body[k]) continue;
                const float sign = k == 0 ? -1.0f : 1.0f;
                for (int m = 0; m < 2; ++m)
                    if (moved.c->bodies[m] == body)
                        other.c->penetration += sign * glm::dot(changes[m], other.c->contactNormal);
            }
        }
    }

    void ResolvePositions()
    {
        std::vector<Seen> seen = Look(pool.activeContacts);
        for (Seen& s : seen) {
            if (!s.workable) continue;
            glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
            MatchAwake(s);
            PositionChange(s, changes);
            Penetrations(seen, s, changes);
        }
        int used = 0;
        while (used < iterations) {
            Seen* worst = nullptr;
            float deepest = positionEpsilon;
            for (Seen& s : seen) {
                if (!s.workable || s.inverseMass <= 0.0f) continue;
                if (s.c->penetration > deepest) {
                    deepest = s.c->penetration;
                    worst = &s;
                }
            }
            if (!worst) break;
            glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
            MatchAwake(*worst);
            PositionChange(*worst, changes);
            Penetrations(seen, *worst, changes);
            ++used;
        }
    }

    void ResolveVelocities()
    {
        const std::vector<Seen> seen = Look(pool.activeContacts);
        for (const Seen& s : seen) {
            Velocity(s);
            MatchAwake(s);
        }
        int used = 0;
        while (used < iterations) {
            const Seen* worst = nullptr;
            float largest = velocityEpsilon;
            for (const Seen& s : seen) {
                if (!s.workable || s.inverseMass <= 0.0f) continue;
                float approach = 0.0f, desired = 0.0f, accTerm = 0.0f;
                glm::vec3 rel(0.0f);
                Separating(s, restitutionLimit, approach, desired, accTerm, rel);
                if (desired > largest) {
                    largest = desired;
                    worst = &s;
                }
            }
            if (!worst) break;
            MatchAwake(*worst);
            Velocity(*worst);
            ++used;
        }
    }

    float restitutionLimit = ContactResolver::DEFAULT_RESTITUTION_LIMIT;
    float positionEpsilon = ContactResolver::DEFAULT_POSITION_EPSILON;
    float velocityEpsilon = ContactResolver::DEFAULT_VELOCITY_EPSILON;
};

} // namespace StepKit
} // namespace QRX
