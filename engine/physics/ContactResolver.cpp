#include "engine/physics/ContactResolver.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/GameObject.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/Contact.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"

namespace QRX {

namespace {

constexpr float NOT_A_CHOICE = -std::numeric_limits<float>::infinity();

// Keeps the contact with the largest key, the earliest on a tie, as keys
// change one at a time: a tournament tree over the list, log n per change.
// A key that is not a number never wins, as it never compares greater.
class WorstContact
{
public:
    // count contacts, every key NOT_A_CHOICE until set.
    void Reset(std::size_t count)
    {
        m_leaves = 1;
        while (m_leaves < count) m_leaves *= 2;
        m_key.assign(count, NOT_A_CHOICE);
        m_tree.assign(2 * m_leaves, -1);
        for (std::size_t i = 0; i < count; ++i) m_tree[m_leaves + i] = static_cast<int>(i);
    }
    // Sets a key before Build.
    void Set(int i, float key) { m_key[i] = std::isnan(key) ? NOT_A_CHOICE : key; }
    void Build()
    {
        for (std::size_t p = m_leaves - 1; p >= 1; --p) m_tree[p] = Better(m_tree[2 * p], m_tree[2 * p + 1]);
    }
    // Changes one key after Build.
    void Update(int i, float key)
    {
        Set(i, key);
        for (std::size_t p = (m_leaves + i) / 2; p >= 1; p /= 2) m_tree[p] = Better(m_tree[2 * p], m_tree[2 * p + 1]);
    }
    // The winner, or -1 without contacts.
    int Best() const { return m_tree.size() > 1 ? m_tree[1] : -1; }
    float Key(int i) const { return m_key[i]; }

private:
    // a comes before b in the list, so it keeps a tie.
    int Better(int a, int b) const
    {
        if (a < 0) return b;
        if (b < 0) return a;
        return m_key[b] > m_key[a] ? b : a;
    }

    std::size_t m_leaves = 1;
    std::vector<float> m_key;
    std::vector<int> m_tree;  // node p holds the winner of its subtree; leaves from m_leaves on
};

std::size_t HashOf(const GameObject* object)
{
    return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(object) >> 4) * 0x9E3779B97F4A7C15ull >> 20);
}

} // namespace

// What one pass knows of its contacts.
struct ContactResolver::Work
{
    struct Body
    {
        GameObject* object = nullptr;
        PhysicsComponent* physics = nullptr;
        CollisionComponent* shape = nullptr;
        GravityForceGenerator* gravity = nullptr;
    };
    // A contact in a body's list, and the side the body is on.
    struct Entry
    {
        int contact;
        int side;
    };

    // Looks the contacts' bodies up, once each, and builds the lists; with
    // moving, any other body is taken as one without physics.
    void Prepare(const std::vector<Contact*>& active, const GameObject* moving);
    int BodyIndex(GameObject* object);
    // The penetration update after contact `moved` shifted its bodies by
    // changes: every other workable contact sharing one of them.
    void Spread(int moved, const glm::vec3 changes[2], bool track);
    float Desired(int i, float limit) const
    {
        float approach = 0.0f, desired = 0.0f, accelerationTerm = 0.0f;
        glm::vec3 relative(0.0f);
        contacts[i]->SeparatingVelocity(sides[i], limit, approach, desired, accelerationTerm, relative);
        return desired;
    }

    std::vector<Contact*> contacts;  // a copy of the active list
    std::vector<ContactSides> sides;
    std::vector<int> bodyIndex;  // two per contact; -1 for a missing body
    std::vector<char> workable;  // counts and is resolvable
    std::vector<char> movable;   // workable and M > 0: the iterations may pick it
    std::vector<Body> bodies;
    std::vector<int> listStart;  // of each body's entries, and one past the last
    std::vector<int> listFill;
    std::vector<Entry> entries;  // each body's workable contacts in list order (bodies with physics only)
    std::vector<GameObject*> hashKeys;
    std::vector<int> hashValues;
    const GameObject* onlyMoving = nullptr;  // of the current pass: all others held still
    WorstContact worst;
};

int ContactResolver::Work::BodyIndex(GameObject* object)
{
    const std::size_t mask = hashKeys.size() - 1;
    std::size_t slot = HashOf(object) & mask;
    while (hashKeys[slot] && hashKeys[slot] != object) slot = (slot + 1) & mask;
    if (hashKeys[slot]) return hashValues[slot];
    Body body;
    body.object = object;
    body.physics = onlyMoving && object != onlyMoving ? nullptr : GetPhysicsComponent(object);
    body.shape = GetCollisionComponent(object);
    if (body.physics)
        body.gravity = dynamic_cast<GravityForceGenerator*>(body.physics->GetForceGenerator(FG_GRAVITY));
    hashKeys[slot] = object;
    hashValues[slot] = static_cast<int>(bodies.size());
    bodies.push_back(body);
    return hashValues[slot];
}

void ContactResolver::Work::Prepare(const std::vector<Contact*>& active, const GameObject* moving)
{
    onlyMoving = moving;
    contacts = active;
    const std::size_t count = contacts.size();
    sides.assign(count, ContactSides());
    bodyIndex.assign(2 * count, -1);
    bodies.clear();
    std::size_t tableSize = 16;
    while (tableSize < 4 * count) tableSize *= 2;
    hashKeys.assign(tableSize, nullptr);
    hashValues.resize(tableSize);

    workable.assign(count, 0);
    movable.assign(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        Contact& contact = *contacts[i];
        for (int k = 0; k < 2; ++k) {
            if (!contact.bodies[k]) continue;
            const int b = BodyIndex(contact.bodies[k]);
            bodyIndex[2 * i + k] = b;
            sides[i].body[k] = bodies[b].physics;
            sides[i].shape[k] = bodies[b].shape;
            sides[i].gravity[k] = bodies[b].gravity;
        }
        workable[i] = contact.HasPhysicsBody(sides[i]) && contact.IsResolvable(sides[i]);
        movable[i] = workable[i] && Contact::TotalInverseMass(sides[i]) > 0.0f;
    }

    listStart.assign(bodies.size() + 1, 0);
    for (std::size_t i = 0; i < count; ++i) {
        if (!workable[i]) continue;
        for (int k = 0; k < 2; ++k)
            if (sides[i].body[k]) ++listStart[bodyIndex[2 * i + k] + 1];
    }
    for (std::size_t b = 0; b < bodies.size(); ++b) listStart[b + 1] += listStart[b];
    listFill.assign(listStart.begin(), listStart.end() - 1);
    entries.resize(static_cast<std::size_t>(listStart.back()));
    for (std::size_t i = 0; i < count; ++i) {
        if (!workable[i]) continue;
        for (int k = 0; k < 2; ++k)
            if (sides[i].body[k]) entries[listFill[bodyIndex[2 * i + k]]++] = {static_cast<int>(i), k};
    }
}

void ContactResolver::Work::Spread(int moved, const glm::vec3 changes[2], bool track)
{
    for (int m = 0; m < 2; ++m) {
        const int b = bodyIndex[2 * moved + m];
        if (b < 0 || !bodies[b].physics) continue;
        for (int e = listStart[b]; e < listStart[b + 1]; ++e) {
            const int j = entries[e].contact;
            if (j == moved) continue;
            Contact* other = contacts[j];
            const float sign = entries[e].side == 0 ? -1.0f : 1.0f;
            other->penetration += sign * glm::dot(changes[m], other->contactNormal);
            if (track && movable[j]) worst.Update(j, other->penetration);
        }
    }
}

ContactResolver::ContactResolver() : m_work(std::make_unique<Work>()) {}

ContactResolver::~ContactResolver() = default;

void ContactResolver::ResolvePositions(ContactPool& pool)
{
    m_work->Prepare(pool.activeContacts, nullptr);
    PositionPass(*m_work, false);
}

void ContactResolver::ResolveVelocities(ContactPool& pool)
{
    m_work->Prepare(pool.activeContacts, nullptr);
    VelocityPass(*m_work);
}

void ContactResolver::Resolve(ContactPool& pool, bool deferPrimitives, const GameObject* onlyMoving)
{
    // Nothing the position pass does adds or removes components.
    m_work->Prepare(pool.activeContacts, onlyMoving);
    PositionPass(*m_work, deferPrimitives);
    VelocityPass(*m_work);
}

void ContactResolver::PositionPass(Work& w, bool deferPrimitives)
{
    iterationsUsed = 0;
    const int count = static_cast<int>(w.contacts.size());

    for (int i = 0; i < count; ++i) {
        if (!w.workable[i]) continue;
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        w.contacts[i]->MatchAwakeState(w.sides[i]);
        w.contacts[i]->ApplyPositionChange(w.sides[i], changes, !deferPrimitives);
        w.Spread(i, changes, false);
    }

    // Immovable pairs cannot lose penetration: picking them would only
    // spend the budget.
    w.worst.Reset(w.contacts.size());
    for (int i = 0; i < count; ++i)
        if (w.movable[i]) w.worst.Set(i, w.contacts[i]->penetration);
    w.worst.Build();
    while (iterationsUsed < iterations) {
        const int i = w.worst.Best();
        if (i < 0 || !(w.worst.Key(i) > positionEpsilon)) break;
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        w.contacts[i]->MatchAwakeState(w.sides[i]);
        w.contacts[i]->ApplyPositionChange(w.sides[i], changes, !deferPrimitives);
        w.worst.Update(i, w.contacts[i]->penetration);
        w.Spread(i, changes, true);
        ++iterationsUsed;
    }
}

void ContactResolver::VelocityPass(Work& w)
{
    iterationsUsed = 0;
    const int count = static_cast<int>(w.contacts.size());

    for (int i = 0; i < count; ++i) {
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        w.contacts[i]->ResolveVelocity(w.sides[i], changes, restitutionLimit);
        w.contacts[i]->MatchAwakeState(w.sides[i]);
    }

    // As for positions, immovable pairs are never picked again. An impulse
    // changes only its own bodies, so only their contacts need a new
    // desired change.
    w.worst.Reset(w.contacts.size());
    for (int i = 0; i < count; ++i)
        if (w.movable[i]) w.worst.Set(i, w.Desired(i, restitutionLimit));
    w.worst.Build();
    while (iterationsUsed < iterations) {
        const int i = w.worst.Best();
        if (i < 0 || !(w.worst.Key(i) > velocityEpsilon)) break;
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        w.contacts[i]->MatchAwakeState(w.sides[i]);
        w.contacts[i]->ResolveVelocity(w.sides[i], changes, restitutionLimit);
        for (int m = 0; m < 2; ++m) {
            const int b = w.bodyIndex[2 * i + m];
            if (b < 0 || !w.bodies[b].physics) continue;
            for (int e = w.listStart[b]; e < w.listStart[b + 1]; ++e) {
                const int j = w.entries[e].contact;
                if (w.movable[j]) w.worst.Update(j, w.Desired(j, restitutionLimit));
            }
        }
        ++iterationsUsed;
    }
}

} // namespace QRX
