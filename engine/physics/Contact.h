// Contacts: the records the narrow phase fills for each touching pair, and
// the fixed pool they are taken from.
//
// A contact says which two bodies touch in this step, along which normal
// (unit, pointing from the second body towards the first: resolution pushes
// the first body along +normal and the second along -normal), how deep, and
// with which friction and restitution. Contacts live only within one physics
// step: the narrow phase acquires them from the pool, the step resolves them
// and releases them all at its end. The pool makes all of its contacts when
// it is built and never allocates afterwards; when it runs dry Acquire gives
// null and the pair makes no contact in that step.
//
// Terms used by resolution: a body "has physics" when its object has a
// physics component (awake or not); a contact "counts" unless both bodies
// exist and neither has physics; M, the total inverse mass, sums the inverse
// masses of the bodies that have physics. A missing body contributes nothing.
// A sleeping body counts as still in relative velocities.
#pragma once
#include <deque>
#include <memory>
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

class CollisionComponent;
class Contact;
class GameObject;
class GravityForceGenerator;
class PhysicsComponent;

// The components of a contact's two bodies (null where a body or a component
// is missing), looked up once: resolution reads them again and again, and
// nothing it does adds or removes components.
struct ContactSides
{
    // Looks up the components of both bodies of the contact.
    static ContactSides Of(const Contact& contact);

    PhysicsComponent* body[2] = {nullptr, nullptr};
    CollisionComponent* shape[2] = {nullptr, nullptr};
    GravityForceGenerator* gravity[2] = {nullptr, nullptr};  // each body's FG_GRAVITY generator
};

// Bits of Contact::resolutionFlags.
constexpr int CONTACT_POSITION_RESOLVED = 0x01;
constexpr int CONTACT_VELOCITY_RESOLVED = 0x02;

class Contact
{
public:
    // Normal, penetration and restitution as given; no bodies, zero
    // frictions and point, no flags. Fills the blocked types.
    Contact(const glm::vec3& normal, float depth, float bounce);

    // Stores both bodies (either may be null) and the restitution; the
    // frictions become the averages of the bodies' collision components (a
    // body without one contributes 0).
    void SetBodyData(GameObject* first, GameObject* second, float bounce);

    // Each operation below looks up the bodies' components itself; the
    // overload taking ContactSides uses the ones given (those of this
    // contact's bodies), which the resolver looks up once per pass.

    // When both bodies exist and exactly one has physics and is awake, wakes
    // the other (when it has physics).
    void MatchAwakeState();
    void MatchAwakeState(const ContactSides& sides);
    // False only when both bodies exist and neither has physics.
    bool HasPhysicsBody() const;
    bool HasPhysicsBody(const ContactSides& sides) const;
    // Whether resolution acts on the contact: always with a missing body or
    // collision component; otherwise, without an ethereal side, when either
    // side has AutoResolve; with one, only by the force-field rules (a
    // FORCEFIELD stops PLAYER and ENEMY, a CRATEFORCEFIELD stops CRATE).
    bool IsResolvable() const;
    bool IsResolvable(const ContactSides& sides) const;
    // The total inverse mass M.
    float TotalInverseMass() const;
    static float TotalInverseMass(const ContactSides& sides);
    // Relative velocity of the awake bodies (rel += first, -= second) and,
    // when they approach, the approach speed A, the acceleration term E and
    // the desired velocity change B (bouncing with the restitution only at
    // closing speeds of at least limit). The caller zeroes all four first.
    void SeparatingVelocity(float limit, float& approach, float& desired, float& accelerationTerm,
                            glm::vec3& relative) const;
    void SeparatingVelocity(const ContactSides& sides, float limit, float& approach, float& desired,
                            float& accelerationTerm, glm::vec3& relative) const;
    // Moves the bodies with AutoResolve apart along the normal in proportion
    // to their inverse masses; changes[i] receives body i's share (also when
    // it is not moved). Penetration becomes 0. Nothing for a contact that is
    // not resolvable, not penetrating, or between immovable bodies. The moved
    // bodies' primitives follow, unless the caller brings them up to date
    // itself later (updatePrimitives false).
    void ApplyPositionChange(glm::vec3 changes[2]);
    void ApplyPositionChange(const ContactSides& sides, glm::vec3 changes[2], bool updatePrimitives = true);
    // Applies the impulse that removes the approach (and the floor friction
    // of contacts with |normal.y| >= FLOOR_NORMAL_Y) to the bodies with
    // AutoResolve, fades the gravity of the awake ones on floor-like
    // contacts, and stops a sleeping body's own velocity into the contact.
    void ResolveVelocity(glm::vec3 changes[2], float limit);
    void ResolveVelocity(const ContactSides& sides, glm::vec3 changes[2], float limit);

    // Contacts whose normal has at least this |y| are floor or ceiling
    // contacts: they get friction and fade gravity.
    static constexpr float FLOOR_NORMAL_Y = 0.707f;
    // The gravity fade per resolution and the gravity it ends at.
    static constexpr float GRAVITY_FADE = 0.1f;
    static constexpr float FADED_GRAVITY_Y = -0.01f;

    GameObject* bodies[2] = {nullptr, nullptr};  // first (moved along +normal), second
    float staticFriction = 0.0f;   // average of the two collision components'
    float dynamicFriction = 0.0f;  // average of the two collision components'
    float restitution = 0.0f;
    float penetration = 0.0f;      // overlap depth along the normal; positive when touching
    glm::vec3 contactPoint{0.0f};  // world space; resolution does not read it
    glm::vec3 contactNormal{0.0f};
    int resolutionFlags = 0;
    // Object types an ethereal force field stops: PLAYER, ENEMY, CRATE.
    std::vector<int> blockedTypes;
};

class ContactPool
{
public:
    static constexpr int CAPACITY = 512;
    static constexpr float DEFAULT_RESTITUTION = 0.2f;

    // Makes CAPACITY contacts, all free.
    ContactPool();
    ContactPool(const ContactPool&) = delete;
    ContactPool& operator=(const ContactPool&) = delete;

    // The front free contact, now active (appended to the active list); null
    // when none is free.
    Contact* Acquire();
    // Returns every active contact, in order, to the back of the free queue
    // with no bodies, zero restitution, penetration, point and normal and no
    // flags (frictions stay); lastCount becomes their number.
    void ReleaseAll();

    std::vector<Contact*> activeContacts;  // acquired this step, in order
    std::vector<std::unique_ptr<Contact>> allContacts;
    std::deque<Contact*> freeContacts;
    int capacity = CAPACITY;
    float restitution = DEFAULT_RESTITUTION;  // given to every contact the narrow phase makes
    int lastCount = 0;                        // contacts released by the last ReleaseAll
};

} // namespace QRX
