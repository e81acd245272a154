// The contact resolver: its settings and its two passes over the pool's
// active contacts, the position pass and the velocity pass.
//
// Each pass sweeps the contacts once in order, then repeats on the worst
// contact (largest penetration, or largest desired velocity change, strictly
// above its epsilon; the earliest in the list wins a tie) until none is left
// or `iterations` are spent. Contacts between immovable bodies are never
// picked again, since they cannot change.
//
// The work a pass does is that of a scan over every contact per iteration,
// found faster: the bodies' components are looked up once per pass; each
// body keeps the list of its contacts (in list order), so a move or an
// impulse only revisits the contacts that share one of its bodies; and the
// worst contact is kept in a tournament tree over the list, in which a tie
// goes to the earlier contact. The buffers are kept between passes.
//
// Resolve may hold the world still but for one body: every other body is
// then taken as one without physics (immovable, and still), as the physics
// manager's trajectory prediction needs; its collision component still
// decides what is resolvable and its frictions are the contact's.
#pragma once
#include <memory>

namespace QRX {

class ContactPool;
class GameObject;

class ContactResolver
{
public:
    static constexpr int ITERATIONS_PER_CONTACT = 15;  // the step's budget per contact and pass
    static constexpr float DEFAULT_RESTITUTION_LIMIT = 5.0f;
    static constexpr float DEFAULT_POSITION_EPSILON = 0.01f;
    static constexpr float DEFAULT_VELOCITY_EPSILON = 0.01f;

    ContactResolver();
    ~ContactResolver();
    ContactResolver(const ContactResolver&) = delete;
    ContactResolver& operator=(const ContactResolver&) = delete;

    // Separates penetrating bodies; after each move the penetrations of the
    // other contacts that share a moved body are corrected.
    void ResolvePositions(ContactPool& pool);
    // Changes velocities; each selection uses the desired changes of the
    // current velocities.
    void ResolveVelocities(ContactPool& pool);
    // Both passes, as the physics step runs them, with the components looked
    // up once for both. With deferPrimitives the moved bodies' primitives are
    // not rebuilt after each move: the caller rebuilds them all afterwards.
    // With onlyMoving, every other body is held still (see above).
    void Resolve(ContactPool& pool, bool deferPrimitives, const GameObject* onlyMoving = nullptr);

    int iterations = 0;      // budget of each pass; the step sets it
    int iterationsUsed = 0;  // by the last pass, beyond its first sweep
    float restitutionLimit = DEFAULT_RESTITUTION_LIMIT;  // slower contacts do not bounce
    float positionEpsilon = DEFAULT_POSITION_EPSILON;
    float velocityEpsilon = DEFAULT_VELOCITY_EPSILON;

private:
    struct Work;
    void PositionPass(Work& work, bool deferPrimitives);
    void VelocityPass(Work& work);

    std::unique_ptr<Work> m_work;
};

} // namespace QRX
