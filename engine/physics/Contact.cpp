#include "engine/physics/Contact.h"

#include <cmath>

#include "engine/objects/GameObject.h"
#include "engine/objects/TypeNames.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"

namespace QRX {

namespace {

bool IsAwake(const PhysicsComponent* body) { return body && (body->flags & BODY_AWAKE) != 0; }

bool AutoResolves(const GameObject* object)
{
    const CollisionComponent* collision = GetCollisionComponent(object);
    return collision && collision->autoResolve;
}

// Floor contacts fade an awake body's gravity toward a small pull, so a
// resting body stops pressing into its support.
void FadeGravity(PhysicsComponent* body)
{
    auto* gravity = dynamic_cast<GravityForceGenerator*>(body->GetForceGenerator(FG_GRAVITY));
    if (!gravity) return;
    if (gravity->gravity.y >= Contact::FADED_GRAVITY_Y) gravity->gravity.y = Contact::FADED_GRAVITY_Y;
    else gravity->gravity -= Contact::GRAVITY_FADE * gravity->gravity;
}

// Whether a force field of this type stops a body of that type.
bool FieldBlocks(const Contact& contact, ObjectType field, ObjectType other)
{
    bool listed = false;
    for (int blocked : contact.blockedTypes) listed = listed || blocked == other;
    if (!listed) return false;
    if (field == FORCEFIELD) return other != CRATE;
    return other != PLAYER && other != ENEMY;
}

// After contact `moved` shifted its bodies by changes, the penetrations of
// the other contacts sharing one of those bodies change along their normals.
void UpdatePenetrations(const std::vector<Contact*>& contacts, const std::vector<char>& eligible,
                        const Contact* moved, const glm::vec3 changes[2])
{
    for (size_t i = 0; i < contacts.size(); ++i) {
        Contact* other = contacts[i];
        if (other == moved || !eligible[i]) continue;
        for (int k = 0; k < 2; ++k) {
            GameObject* body = other->bodies[k];
            if (!body || !GetPhysicsComponent(body)) continue;
            const float sign = k == 0 ? -1.0f : 1.0f;
            for (int m = 0; m < 2; ++m) {
                if (moved->bodies[m] == body) other->penetration += sign * glm::dot(changes[m], other->contactNormal);
            }
        }
    }
}

// Which contacts the passes work on; neither resolvability nor physics
// presence changes during resolution, so it is decided once per pass.
std::vector<char> Eligible(const std::vector<Contact*>& contacts)
{
    std::vector<char> eligible(contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i)
        eligible[i] = contacts[i]->HasPhysicsBody() && contacts[i]->IsResolvable();
    return eligible;
}

} // namespace

Contact::Contact(const glm::vec3& normal, float depth, float bounce)
    : restitution(bounce), penetration(depth), contactNormal(normal), blockedTypes{PLAYER, ENEMY, CRATE}
{
}

void Contact::SetBodyData(GameObject* first, GameObject* second, float bounce)
{
    bodies[0] = first;
    bodies[1] = second;
    restitution = bounce;
    const CollisionComponent* a = GetCollisionComponent(first);
    const CollisionComponent* b = GetCollisionComponent(second);
    staticFriction = ((a ? a->staticFriction : 0.0f) + (b ? b->staticFriction : 0.0f)) * 0.5f;
    dynamicFriction = ((a ? a->dynamicFriction : 0.0f) + (b ? b->dynamicFriction : 0.0f)) * 0.5f;
}

void Contact::MatchAwakeState()
{
    if (!bodies[0] || !bodies[1]) return;
    PhysicsComponent* a = GetPhysicsComponent(bodies[0]);
    PhysicsComponent* b = GetPhysicsComponent(bodies[1]);
    const bool awakeA = IsAwake(a);
    const bool awakeB = IsAwake(b);
    if (awakeA == awakeB) return;
    PhysicsComponent* sleeper = awakeA ? b : a;
    if (sleeper) sleeper->flags |= BODY_AWAKE;
}

bool Contact::HasPhysicsBody() const
{
    if (!bodies[0] || !bodies[1]) return true;
    return GetPhysicsComponent(bodies[0]) || GetPhysicsComponent(bodies[1]);
}

bool Contact::IsResolvable() const
{
    const CollisionComponent* a = GetCollisionComponent(bodies[0]);
    const CollisionComponent* b = GetCollisionComponent(bodies[1]);
    if (!a || !b) return true;
    if (!a->ethereal && !b->ethereal) return a->autoResolve || b->autoResolve;
    const ObjectType typeA = bodies[0]->type;
    const ObjectType typeB = bodies[1]->type;
    if (a->ethereal && typeA == FORCEFIELD) return FieldBlocks(*this, FORCEFIELD, typeB);
    if (b->ethereal && typeB == FORCEFIELD) return FieldBlocks(*this, FORCEFIELD, typeA);
    if (a->ethereal && typeA == CRATEFORCEFIELD) return FieldBlocks(*this, CRATEFORCEFIELD, typeB);
    if (b->ethereal && typeB == CRATEFORCEFIELD) return FieldBlocks(*this, CRATEFORCEFIELD, typeA);
    return false;
}

float Contact::TotalInverseMass() const
{
    float total = 0.0f;
    for (GameObject* body : bodies) {
        if (const PhysicsComponent* physics = GetPhysicsComponent(body)) total += physics->inverseMass;
    }
    return total;
}

void Contact::SeparatingVelocity(float limit, float& approach, float& desired, float& accelerationTerm,
                                 glm::vec3& relative) const
{
    const PhysicsComponent* a = GetPhysicsComponent(bodies[0]);
    const PhysicsComponent* b = GetPhysicsComponent(bodies[1]);
    const bool awakeA = IsAwake(a);
    const bool awakeB = IsAwake(b);
    if (awakeA) relative += a->velocity;
    if (awakeB) relative -= b->velocity;
    const float separating = glm::dot(relative, contactNormal);
    if (separating >= 0.0f) return;

    approach = -separating;
    glm::vec3 acc(0.0f);
    if (awakeA) acc += a->acceleration;
    if (awakeB) acc -= b->acceleration;
    accelerationTerm = glm::dot(acc, contactNormal);
    // The velocity gained from this step's acceleration alone is not bounced.
    if (accelerationTerm < 0.0f) {
        approach = -separating - accelerationTerm;
        if (approach < 0.0f) approach = 0.0f;
    }
    const float bounce = std::fabs(separating) >= limit ? restitution : 0.0f;
    desired = bounce * approach - separating;
}

void Contact::ApplyPositionChange(glm::vec3 changes[2])
{
    resolutionFlags |= CONTACT_POSITION_RESOLVED;
    if (!IsResolvable() || penetration <= 0.0f) return;
    const float total = TotalInverseMass();
    if (total <= 0.0f) return;

    const glm::vec3 move = contactNormal * (penetration / total);
    for (int i = 0; i < 2; ++i) {
        PhysicsComponent* body = GetPhysicsComponent(bodies[i]);
        if (!body) continue;
        const glm::vec3 d = (i == 0 ? move : -move) * body->inverseMass;
        changes[i] = d;
        CollisionComponent* collision = GetCollisionComponent(bodies[i]);
        if (!collision || !collision->autoResolve) continue;
        bodies[i]->position += d;
        bodies[i]->flags &= ~OBJ_WORLD_VALID;
        if (collision->GetPrimitive()) collision->UpdatePrimitive();
    }
    penetration = 0.0f;
}

void Contact::ResolveVelocity(glm::vec3 changes[2], float limit)
{
    resolutionFlags |= CONTACT_VELOCITY_RESOLVED;
    if (!IsResolvable()) return;

    // A sleeping body is still integrated, so its stored velocity keeps
    // growing into its support; it is stopped here (no bounce), or the body
    // would be launched when it wakes. Sliding along the contact is kept.
    for (int i = 0; i < 2; ++i) {
        PhysicsComponent* body = GetPhysicsComponent(bodies[i]);
        if (!body || IsAwake(body) || body->inverseMass <= MIN_INVERSE_MASS || !AutoResolves(bodies[i])) continue;
        const float along = glm::dot(body->velocity, contactNormal);
        const bool inward = i == 0 ? along < 0.0f : along > 0.0f;
        if (inward) body->velocity -= contactNormal * along;
    }

    float approach = 0.0f, desired = 0.0f, accelerationTerm = 0.0f;
    glm::vec3 relative(0.0f);
    SeparatingVelocity(limit, approach, desired, accelerationTerm, relative);
    const float total = TotalInverseMass();
    if (total <= 0.0f) return;

    const float j = desired / total;
    glm::vec3 impulse = contactNormal * j;
    const glm::vec3 tangential = (relative + contactNormal * (approach + accelerationTerm)) / total;
    const bool floorLike = std::fabs(contactNormal.y) >= FLOOR_NORMAL_Y;
    if (floorLike) {
        const float slide = glm::length(tangential);
        if (j * staticFriction >= slide) impulse -= tangential;  // the bodies stick
        else if (slide > 0.0f) impulse -= (tangential / slide) * dynamicFriction * glm::length(impulse);
    }

    for (int i = 0; i < 2; ++i) {
        PhysicsComponent* body = GetPhysicsComponent(bodies[i]);
        if (!body || !AutoResolves(bodies[i])) continue;
        const glm::vec3 w = (i == 0 ? impulse : -impulse) * body->inverseMass;
        changes[i] = w;
        body->velocity += w;
        if (IsAwake(body) && floorLike) FadeGravity(body);
    }
}

ContactPool::ContactPool()
{
    allContacts.reserve(CAPACITY);
    activeContacts.reserve(CAPACITY);
    for (int i = 0; i < capacity; ++i) {
        allContacts.push_back(std::make_unique<Contact>(glm::vec3(0.0f), 0.0f, 0.0f));
        freeContacts.push_back(allContacts.back().get());
    }
}

Contact* ContactPool::Acquire()
{
    if (freeContacts.empty()) return nullptr;
    Contact* contact = freeContacts.front();
    freeContacts.pop_front();
    activeContacts.push_back(contact);
    return contact;
}

void ContactPool::ReleaseAll()
{
    lastCount = static_cast<int>(activeContacts.size());
    for (Contact* contact : activeContacts) {
        contact->restitution = 0.0f;
        contact->penetration = 0.0f;
        contact->bodies[0] = nullptr;
        contact->bodies[1] = nullptr;
        contact->resolutionFlags = 0;
        contact->contactPoint = glm::vec3(0.0f);
        contact->contactNormal = glm::vec3(0.0f);
        freeContacts.push_back(contact);
    }
    activeContacts.clear();
}

void ContactResolver::ResolvePositions(ContactPool& pool)
{
    const std::vector<Contact*> contacts = pool.activeContacts;
    const std::vector<char> eligible = Eligible(contacts);
    iterationsUsed = 0;

    for (size_t i = 0; i < contacts.size(); ++i) {
        if (!eligible[i]) continue;
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        contacts[i]->MatchAwakeState();
        contacts[i]->ApplyPositionChange(changes);
        UpdatePenetrations(contacts, eligible, contacts[i], changes);
    }

    // Immovable pairs cannot lose penetration: picking them would only
    // spend the budget.
    std::vector<char> movable(contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) movable[i] = eligible[i] && contacts[i]->TotalInverseMass() > 0.0f;

    while (iterationsUsed < iterations) {
        Contact* worst = nullptr;
        float deepest = positionEpsilon;
        for (size_t i = 0; i < contacts.size(); ++i) {
            if (movable[i] && contacts[i]->penetration > deepest) {
                deepest = contacts[i]->penetration;
                worst = contacts[i];
            }
        }
        if (!worst) break;
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        worst->MatchAwakeState();
        worst->ApplyPositionChange(changes);
        UpdatePenetrations(contacts, eligible, worst, changes);
        ++iterationsUsed;
    }
}

void ContactResolver::ResolveVelocities(ContactPool& pool)
{
    const std::vector<Contact*> contacts = pool.activeContacts;
    iterationsUsed = 0;

    for (Contact* contact : contacts) {
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        contact->ResolveVelocity(changes, restitutionLimit);
        contact->MatchAwakeState();
    }

    // As for positions, immovable pairs are never picked again.
    const std::vector<char> eligible = Eligible(contacts);
    std::vector<char> movable(contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) movable[i] = eligible[i] && contacts[i]->TotalInverseMass() > 0.0f;

    while (iterationsUsed < iterations) {
        Contact* worst = nullptr;
        float largest = velocityEpsilon;
        for (size_t i = 0; i < contacts.size(); ++i) {
            if (!movable[i]) continue;
            float approach = 0.0f, desired = 0.0f, accelerationTerm = 0.0f;
            glm::vec3 relative(0.0f);
            contacts[i]->SeparatingVelocity(restitutionLimit, approach, desired, accelerationTerm, relative);
            if (desired > largest) {
                largest = desired;
                worst = contacts[i];
            }
        }
        if (!worst) break;
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        worst->MatchAwakeState();
        worst->ResolveVelocity(changes, restitutionLimit);
        ++iterationsUsed;
    }
}

} // namespace QRX
