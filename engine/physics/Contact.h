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
#pragma once
#include <deque>
#include <memory>
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

class GameObject;

// Bits of Contact::resolutionFlags.
constexpr int CONTACT_POSITION_RESOLVED = 0x01;
constexpr int CONTACT_VELOCITY_RESOLVED = 0x02;

class Contact
{
public:
    // Normal, penetration and restitution as given; no bodies, zero
    // frictions and point, no flags. Fills the blocked types.
    Contact(const glm::vec3& normal, float depth, float bounce);

    // Stores both bodies (either may be null) and the restitution.
    void SetBodyData(GameObject* first, GameObject* second, float bounce);

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
