// Contact resolution: which contacts are solid, the frictions a contact
// takes, the position pass with its penetration bookkeeping, the velocity
// pass with restitution, friction and the gravity fade, waking partners, and
// what happens to sleeping bodies.
#include "physics/StepTestKit.h"

using namespace QRX;
using namespace QRX::StepKit;

namespace {

const glm::vec3 UP(0.0f, 1.0f, 0.0f);

class ContactResolutionTest : public StepFixture
{
protected:
    // An awake crate without gravity of its own, so only contacts change it.
    GameObject* Crate(const glm::vec3& position = glm::vec3(0.0f))
    {
        GameObject* crate = Make(CRATE, position);
        Body(crate)->flags = BODY_DEFAULT_FLAGS;
        return crate;
    }
    // A contact from the physics manager's pool, as the narrow phase makes it.
    Contact* Touch(GameObject* first, GameObject* second, const glm::vec3& normal, float depth)
    {
        Contact* contact = physics->contactPool.Acquire();
        contact->contactNormal = normal;
        contact->penetration = depth;
        contact->SetBodyData(first, second, physics->contactPool.restitution);
        return contact;
    }
    // One velocity resolution of a contact.
    static void ResolveVelocity(Contact* contact)
    {
        glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
        contact->ResolveVelocity(changes, ContactResolver::DEFAULT_RESTITUTION_LIMIT);
    }
    void Sleep(GameObject* object) { Body(object)->flags &= ~BODY_AWAKE; }
};

TEST_F(ContactResolutionTest, FrictionsAreTheAveragesOfBothSides)
{
    GameObject* crate = Crate();
    GameObject* cube = Make(CUBE, glm::vec3(0.0f));
    Collision(cube)->staticFriction = 1.0f;
    Collision(cube)->dynamicFriction = 0.1f;
    Contact* contact = Touch(crate, cube, UP, 0.0f);
    EXPECT_FLOAT_EQ(contact->staticFriction, 0.75f);
    EXPECT_FLOAT_EQ(contact->dynamicFriction, 0.2f);
    EXPECT_EQ(contact->restitution, 0.2f);
    Contact* alone = Touch(crate, nullptr, UP, 0.0f);
    EXPECT_FLOAT_EQ(alone->staticFriction, 0.25f);
    EXPECT_FLOAT_EQ(alone->dynamicFriction, 0.15f);
}

TEST_F(ContactResolutionTest, SolidityFollowsAutoResolveAndTheForceFields)
{
    GameObject* crate = Crate();
    GameObject* robot = Make(PLAYER, glm::vec3(0.0f));
    GameObject* enemy = Make(ENEMY, glm::vec3(0.0f));
    GameObject* field = Make(FORCEFIELD, glm::vec3(0.0f));
    GameObject* crateField = Make(CRATEFORCEFIELD, glm::vec3(0.0f));
    GameObject* cube = Make(CUBE, glm::vec3(0.0f));

    EXPECT_TRUE(Contact(UP, 0.0f, 0.0f).IsResolvable());  // no bodies at all
    EXPECT_TRUE(Touch(crate, nullptr, UP, 0.1f)->IsResolvable());
    EXPECT_TRUE(Touch(crate, cube, UP, 0.1f)->IsResolvable());

    // A force field stops the robot and enemies, whichever side it is on,
    // and lets crates through; a crate field does the opposite.
    EXPECT_TRUE(Touch(field, robot, UP, 0.1f)->IsResolvable());
    EXPECT_TRUE(Touch(enemy, field, UP, 0.1f)->IsResolvable());
    EXPECT_FALSE(Touch(field, crate, UP, 0.1f)->IsResolvable());
    EXPECT_TRUE(Touch(crate, crateField, UP, 0.1f)->IsResolvable());
    EXPECT_FALSE(Touch(crateField, robot, UP, 0.1f)->IsResolvable());
    EXPECT_FALSE(Touch(enemy, crateField, UP, 0.1f)->IsResolvable());

    // An ethereal object that is no field lets everything pass, AutoResolve or not.
    Collision(cube)->ethereal = true;
    EXPECT_FALSE(Touch(crate, cube, UP, 0.1f)->IsResolvable());
    Collision(cube)->ethereal = false;
    Collision(cube)->autoResolve = false;
    EXPECT_TRUE(Touch(crate, cube, UP, 0.1f)->IsResolvable());
    Collision(crate)->autoResolve = false;
    EXPECT_FALSE(Touch(crate, cube, UP, 0.1f)->IsResolvable());
}

TEST_F(ContactResolutionTest, PenetrationIsSharedByInverseMass)
{
    GameObject* crate = Crate(glm::vec3(0.0f, 0.4f, 0.0f));
    GameObject* cube = Make(CUBE, glm::vec3(0.0f, -0.5f, 0.0f));
    Contact* contact = Touch(crate, cube, UP, 0.1f);
    physics->resolver.iterations = ContactResolver::ITERATIONS_PER_CONTACT;
    crate->flags |= OBJ_WORLD_VALID;
    physics->resolver.ResolvePositions(physics->contactPool);
    EXPECT_NEAR(crate->position.y, 0.5f, 1e-6f);
    EXPECT_EQ(cube->position.y, -0.5f);
    EXPECT_EQ(contact->penetration, 0.0f);
    EXPECT_EQ(crate->flags & OBJ_WORLD_VALID, 0u);
    EXPECT_NEAR(Collision(crate)->GetPrimitive()->GetCentre().y, 0.5f, 1e-6f);
    physics->contactPool.ReleaseAll();

    GameObject* top = Crate(glm::vec3(3.0f, 1.0f, 0.0f));
    GameObject* bottom = Crate(glm::vec3(3.0f, 0.0f, 0.0f));
    Touch(top, bottom, UP, 0.1f);
    physics->resolver.ResolvePositions(physics->contactPool);
    EXPECT_NEAR(top->position.y, 1.05f, 1e-6f);
    EXPECT_NEAR(bottom->position.y, -0.05f, 1e-6f);
}

TEST_F(ContactResolutionTest, AMoveCorrectsTheOtherContactsOfTheSameBody)
{
    // A crate wedged between a floor (0.3 deep) and a second contact along
    // the same normal (0.1 deep): lifting it 0.3 leaves the second resolved.
    GameObject* crate = Crate(glm::vec3(0.0f));
    GameObject* floor = Make(CUBE, glm::vec3(0.0f, -1.0f, 0.0f));
    GameObject* step = Make(CUBE, glm::vec3(1.0f, -1.0f, 0.0f));
    Contact* deep = Touch(crate, floor, UP, 0.3f);
    Contact* shallow = Touch(crate, step, UP, 0.1f);
    physics->resolver.iterations = 30;
    physics->resolver.ResolvePositions(physics->contactPool);
    EXPECT_NEAR(crate->position.y, 0.3f, 1e-6f);
    EXPECT_EQ(deep->penetration, 0.0f);
    EXPECT_LE(shallow->penetration, 0.0f);
    EXPECT_EQ(deep->resolutionFlags & CONTACT_POSITION_RESOLVED, CONTACT_POSITION_RESOLVED);
}

TEST_F(ContactResolutionTest, ImmovablePairsDoNotSpendTheBudget)
{
    GameObject* a = Make(ENEMY, glm::vec3(0.0f));
    GameObject* b = Make(ENEMY, glm::vec3(0.0f));
    Body(a)->inverseMass = 0.0f;
    Body(b)->inverseMass = 0.0f;
    Touch(a, b, UP, 1.0f);
    GameObject* crate = Crate(glm::vec3(5.0f, 0.0f, 0.0f));
    Touch(crate, Make(CUBE, glm::vec3(5.0f, -1.0f, 0.0f)), UP, 0.1f);
    physics->resolver.iterations = 30;
    physics->resolver.ResolvePositions(physics->contactPool);
    EXPECT_EQ(physics->resolver.iterationsUsed, 0);
    EXPECT_NEAR(crate->position.y, 0.1f, 1e-6f);
    EXPECT_EQ(a->position, glm::vec3(0.0f));
}

TEST_F(ContactResolutionTest, SlowLandingsStopAndFastOnesBounce)
{
    GameObject* crate = Crate();
    GameObject* floor = Make(DEFAULT, glm::vec3(0.0f));
    Body(crate)->velocity = glm::vec3(0.0f, -3.0f, 0.0f);
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_NEAR(Body(crate)->velocity.y, 0.0f, 1e-6f);

    Body(crate)->velocity = glm::vec3(0.0f, -6.0f, 0.0f);
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_NEAR(Body(crate)->velocity.y, 1.2f, 1e-5f);

    // This step's velocity change along the normal adds to the approach
    // that is bounced: A = 6 + 1, B = 0.2 x 7 + 6.
    Body(crate)->velocity = glm::vec3(0.0f, -6.0f, 0.0f);
    Body(crate)->acceleration = glm::vec3(0.0f, -1.0f, 0.0f);
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_NEAR(Body(crate)->velocity.y, 1.4f, 1e-5f);
}

TEST_F(ContactResolutionTest, FloorFrictionSlowsOrHoldsAndWallsHaveNone)
{
    GameObject* crate = Crate();
    GameObject* floor = Make(DEFAULT, glm::vec3(0.0f));
    Body(crate)->velocity = glm::vec3(2.0f, -3.0f, 0.0f);
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_NEAR(Body(crate)->velocity.x, 1.1f, 1e-5f);
    EXPECT_NEAR(Body(crate)->velocity.y, 0.0f, 1e-5f);

    Body(crate)->velocity = glm::vec3(2.0f, -3.0f, 0.0f);
    Contact* sticky = Touch(crate, floor, UP, 0.0f);
    sticky->staticFriction = 1.0f;
    ResolveVelocity(sticky);
    EXPECT_NEAR(glm::length(Body(crate)->velocity), 0.0f, 1e-5f);

    GameObject* wall = Make(CUBE, glm::vec3(-1.0f, 0.0f, 0.0f));
    Body(crate)->velocity = glm::vec3(-3.0f, 2.0f, 0.0f);
    ResolveVelocity(Touch(crate, wall, glm::vec3(1.0f, 0.0f, 0.0f), 0.0f));
    EXPECT_NEAR(Body(crate)->velocity.x, 0.0f, 1e-5f);
    EXPECT_EQ(Body(crate)->velocity.y, 2.0f);
}

TEST_F(ContactResolutionTest, FloorContactsFadeGravity)
{
    GameObject* crate = Crate();
    GameObject* floor = Make(DEFAULT, glm::vec3(0.0f));
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_FLOAT_EQ(Gravity(crate)->gravity.y, -18.0f);
    Gravity(crate)->gravity.y = -0.005f;
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_EQ(Gravity(crate)->gravity.y, Contact::FADED_GRAVITY_Y);

    // Not on walls, not while asleep, and a body without gravity is skipped.
    Gravity(crate)->gravity.y = -20.0f;
    ResolveVelocity(Touch(crate, floor, glm::vec3(1.0f, 0.0f, 0.0f), 0.0f));
    Sleep(crate);
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_EQ(Gravity(crate)->gravity.y, -20.0f);
    GameObject* enemy = Make(ENEMY, glm::vec3(0.0f));
    Body(enemy)->velocity = glm::vec3(0.0f, -1.0f, 0.0f);
    ResolveVelocity(Touch(enemy, floor, UP, 0.0f));
    EXPECT_NEAR(Body(enemy)->velocity.y, 0.0f, 1e-6f);
}

TEST_F(ContactResolutionTest, ASleepingBodyStopsIntoItsSupportButKeepsSliding)
{
    GameObject* crate = Crate();
    GameObject* floor = Make(DEFAULT, glm::vec3(0.0f));
    Sleep(crate);
    Body(crate)->velocity = glm::vec3(1.0f, -117.0f, 0.0f);
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_FALSE(Awake(crate));

    // As the second body the inward direction is the other way round.
    Body(crate)->velocity = glm::vec3(0.0f, -50.0f, 0.0f);
    ResolveVelocity(Touch(floor, crate, -UP, 0.0f));
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(0.0f));

    // Moving away from the contact is left alone.
    Body(crate)->velocity = glm::vec3(0.0f, 4.0f, 0.0f);
    ResolveVelocity(Touch(crate, floor, UP, 0.0f));
    EXPECT_EQ(Body(crate)->velocity.y, 4.0f);
}

TEST_F(ContactResolutionTest, TwoSleepersGetNoImpulseYetAreSeparated)
{
    GameObject* top = Crate(glm::vec3(0.0f, 1.0f, 0.0f));
    GameObject* bottom = Crate(glm::vec3(0.0f));
    Sleep(top);
    Sleep(bottom);
    Contact* contact = Touch(top, bottom, UP, 0.1f);
    physics->resolver.iterations = ContactResolver::ITERATIONS_PER_CONTACT;
    physics->resolver.ResolvePositions(physics->contactPool);
    physics->resolver.ResolveVelocities(physics->contactPool);
    EXPECT_NEAR(top->position.y - bottom->position.y, 1.1f, 1e-6f);
    EXPECT_EQ(Body(top)->velocity, glm::vec3(0.0f));
    EXPECT_EQ(Body(bottom)->velocity, glm::vec3(0.0f));
    EXPECT_FALSE(Awake(top));
    EXPECT_FALSE(Awake(bottom));
    EXPECT_EQ(contact->resolutionFlags, CONTACT_POSITION_RESOLVED | CONTACT_VELOCITY_RESOLVED);
}

TEST_F(ContactResolutionTest, AnAwakeCrateWakesTheOneItLandsOn)
{
    GameObject* falling = Crate(glm::vec3(0.0f, 0.95f, 0.0f));
    GameObject* resting = Crate(glm::vec3(0.0f));
    Sleep(resting);
    Body(falling)->velocity = glm::vec3(0.0f, -3.0f, 0.0f);
    Touch(falling, resting, UP, 0.05f);
    physics->resolver.iterations = ContactResolver::ITERATIONS_PER_CONTACT;
    physics->resolver.ResolvePositions(physics->contactPool);
    EXPECT_TRUE(Awake(resting));
    physics->resolver.ResolveVelocities(physics->contactPool);
    // Equal masses: the approach is shared, nothing bounces.
    EXPECT_NEAR(Body(falling)->velocity.y, -1.5f, 1e-5f);
    EXPECT_NEAR(Body(resting)->velocity.y, -1.5f, 1e-5f);
}

TEST_F(ContactResolutionTest, BodiesWithoutAutoResolveAreNotMoved)
{
    GameObject* crate = Crate(glm::vec3(0.0f, 0.4f, 0.0f));
    GameObject* cube = Make(CUBE, glm::vec3(0.0f, -0.5f, 0.0f));
    Collision(crate)->autoResolve = false;
    Body(crate)->velocity = glm::vec3(0.0f, -1.0f, 0.0f);
    Contact* contact = Touch(crate, cube, UP, 0.1f);
    glm::vec3 changes[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
    contact->ApplyPositionChange(changes);
    EXPECT_NEAR(changes[0].y, 0.1f, 1e-6f);  // reported all the same
    EXPECT_EQ(crate->position.y, 0.4f);
    ResolveVelocity(contact);
    EXPECT_EQ(Body(crate)->velocity.y, -1.0f);
}

} // namespace
