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

bool AutoResolves(const CollisionComponent* collision) { return collision && collision->autoResolve; }

// Floor contacts fade an awake body's gravity toward a small pull, so a
// resting body stops pressing into its support.
void FadeGravity(GravityForceGenerator* gravity)
{
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

} // namespace

ContactSides ContactSides::Of(const Contact& contact)
{
    ContactSides sides;
    for (int i = 0; i < 2; ++i) {
        sides.body[i] = GetPhysicsComponent(contact.bodies[i]);
        sides.shape[i] = GetCollisionComponent(contact.bodies[i]);
        if (sides.body[i])
            sides.gravity[i] = dynamic_cast<GravityForceGenerator*>(sides.body[i]->GetForceGenerator(FG_GRAVITY));
    }
    return sides;
}

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

void Contact::MatchAwakeState() { MatchAwakeState(ContactSides::Of(*this)); }

void Contact::MatchAwakeState(const ContactSides& sides)
{
    if (!bodies[0] || !bodies[1]) return;
    const bool awakeA = IsAwake(sides.body[0]);
    const bool awakeB = IsAwake(sides.body[1]);
    if (awakeA == awakeB) return;
    PhysicsComponent* sleeper = awakeA ? sides.body[1] : sides.body[0];
    if (sleeper) sleeper->flags |= BODY_AWAKE;
}

bool Contact::HasPhysicsBody() const { return HasPhysicsBody(ContactSides::Of(*this)); }

bool Contact::HasPhysicsBody(const ContactSides& sides) const
{
    if (!bodies[0] || !bodies[1]) return true;
    return sides.body[0] || sides.body[1];
}

bool Contact::IsResolvable() const { return IsResolvable(ContactSides::Of(*this)); }

bool Contact::IsResolvable(const ContactSides& sides) const
{
    const CollisionComponent* a = sides.shape[0];
    const CollisionComponent* b = sides.shape[1];
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

float Contact::TotalInverseMass() const { return TotalInverseMass(ContactSides::Of(*this)); }

float Contact::TotalInverseMass(const ContactSides& sides)
{
    float total = 0.0f;
    for (const PhysicsComponent* physics : sides.body)
        if (physics) total += physics->inverseMass;
    return total;
}

void Contact::SeparatingVelocity(float limit, float& approach, float& desired, float& accelerationTerm,
                                 glm::vec3& relative) const
{
    SeparatingVelocity(ContactSides::Of(*this), limit, approach, desired, accelerationTerm, relative);
}

void Contact::SeparatingVelocity(const ContactSides& sides, float limit, float& approach, float& desired,
                                 float& accelerationTerm, glm::vec3& relative) const
{
    const PhysicsComponent* a = sides.body[0];
    const PhysicsComponent* b = sides.body[1];
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

void Contact::ApplyPositionChange(glm::vec3 changes[2]) { ApplyPositionChange(ContactSides::Of(*this), changes); }

void Contact::ApplyPositionChange(const ContactSides& sides, glm::vec3 changes[2], bool updatePrimitives)
{
    resolutionFlags |= CONTACT_POSITION_RESOLVED;
    if (!IsResolvable(sides) || penetration <= 0.0f) return;
    const float total = TotalInverseMass(sides);
    if (total <= 0.0f) return;

    const glm::vec3 move = contactNormal * (penetration / total);
    for (int i = 0; i < 2; ++i) {
        PhysicsComponent* body = sides.body[i];
        if (!body) continue;
        const glm::vec3 d = (i == 0 ? move : -move) * body->inverseMass;
        changes[i] = d;
        CollisionComponent* collision = sides.shape[i];
        if (!AutoResolves(collision)) continue;
        bodies[i]->position += d;
        bodies[i]->flags &= ~OBJ_WORLD_VALID;
        if (updatePrimitives && collision->GetPrimitive()) collision->UpdatePrimitive();
    }
    penetration = 0.0f;
}

void Contact::ResolveVelocity(glm::vec3 changes[2], float limit)
{
    ResolveVelocity(ContactSides::Of(*this), changes, limit);
}

void Contact::ResolveVelocity(const ContactSides& sides, glm::vec3 changes[2], float limit)
{
    resolutionFlags |= CONTACT_VELOCITY_RESOLVED;
    if (!IsResolvable(sides)) return;

    // A sleeping body is still integrated, so its stored velocity keeps
    // growing into its support; it is stopped here (no bounce), or the body
    // would be launched when it wakes. Sliding along the contact is kept.
    for (int i = 0; i < 2; ++i) {
        PhysicsComponent* body = sides.body[i];
        if (!body || IsAwake(body) || body->inverseMass <= MIN_INVERSE_MASS || !AutoResolves(sides.shape[i])) continue;
        const float along = glm::dot(body->velocity, contactNormal);
        const bool inward = i == 0 ? along < 0.0f : along > 0.0f;
        if (inward) body->velocity -= contactNormal * along;
    }

    float approach = 0.0f, desired = 0.0f, accelerationTerm = 0.0f;
    glm::vec3 relative(0.0f);
    SeparatingVelocity(sides, limit, approach, desired, accelerationTerm, relative);
    const float total = TotalInverseMass(sides);
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
        PhysicsComponent* body = sides.body[i];
        if (!body || !AutoResolves(sides.shape[i])) continue;
        const glm::vec3 w = (i == 0 ? impulse : -impulse) * body->inverseMass;
        changes[i] = w;
        body->velocity += w;
        if (IsAwake(body) && floorLike) FadeGravity(sides.gravity[i]);
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

} // namespace QRX
