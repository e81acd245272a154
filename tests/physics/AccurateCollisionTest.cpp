// Narrow-phase tests: the contacts each pair makes (bodies, normal,
// penetration, point), the pair dispatch, the segment test, the overlap
// predicates and the contact pool they draw from.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <glm/gtc/quaternion.hpp>

#include "engine/objects/GameObject.h"
#include "engine/physics/AccurateCollision.h"
#include "engine/physics/Contact.h"
#include "engine/physics/Primitive.h"

using namespace QRX;

namespace {

void ExpectVec3Near(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

glm::quat Turn(float degrees, const glm::vec3& axis) { return glm::angleAxis(glm::radians(degrees), axis); }

const glm::vec3 X(1.0f, 0.0f, 0.0f);
const glm::vec3 Y(0.0f, 1.0f, 0.0f);
const glm::vec3 Z(0.0f, 0.0f, 1.0f);

// Owners with primitives, placed and brought up to date.
class CollisionTest : public ::testing::Test
{
protected:
    GameObject* Owner(const glm::vec3& position, const glm::quat& rotation = glm::quat(1, 0, 0, 0),
                      const glm::vec3& scale = glm::vec3(1.0f))
    {
        m_objects.push_back(std::make_unique<GameObject>());
        GameObject* o = m_objects.back().get();
        o->id = static_cast<int>(m_objects.size());
        o->position = position;
        o->rotation = rotation;
        o->scale = scale;
        return o;
    }
    CollisionSphere& Sphere(float radius, const glm::vec3& position)
    {
        auto sphere = std::make_unique<CollisionSphere>();
        sphere->radius = radius;
        return Place(std::move(sphere), Owner(position));
    }
    CollisionBox& Box(const glm::vec3& halfSize, const glm::vec3& position,
                      const glm::quat& rotation = glm::quat(1, 0, 0, 0))
    {
        auto box = std::make_unique<CollisionBox>();
        box->halfSize = halfSize;
        return Place(std::move(box), Owner(position, rotation));
    }
    CollisionPlane& Plane(const glm::vec3& normal, const glm::vec3& position)
    {
        auto plane = std::make_unique<CollisionPlane>(normal, glm::vec3(0.0f), 0.0f);
        return Place(std::move(plane), Owner(position));
    }
    template <typename T>
    T& Place(std::unique_ptr<T> primitive, GameObject* owner)
    {
        primitive->owner = owner;
        primitive->UpdateTransform();
        T& result = *primitive;
        m_primitives.push_back(std::move(primitive));
        return result;
    }

    size_t Count() const { return pool.activeContacts.size(); }
    const Contact& Only() const
    {
        EXPECT_EQ(Count(), 1u);
        return *pool.activeContacts.front();
    }

    ContactPool pool;

private:
    std::vector<std::unique_ptr<GameObject>> m_objects;
    std::vector<std::unique_ptr<Primitive>> m_primitives;
};

// --- sphere and sphere, sphere and plane ----------------------------------

TEST_F(CollisionTest, SpheresOverlappingMakeOneContactFromTheEarlierToTheLater)
{
    CollisionSphere& a = Sphere(1.0f, glm::vec3(0.0f));
    CollisionSphere& b = Sphere(1.0f, glm::vec3(1.9f, 0.0f, 0.0f));
    CollisionDetector::SphereAndSphere(a, b, pool);
    const Contact& c = Only();
    EXPECT_NEAR(c.penetration, 0.1f, 1e-5f);
    ExpectVec3Near(c.contactNormal, X);
    EXPECT_EQ(c.bodies[0], b.owner);
    EXPECT_EQ(c.bodies[1], a.owner);
    EXPECT_FLOAT_EQ(c.restitution, 0.2f);
    // Half-way between the centres, inside the overlap.
    ExpectVec3Near(c.contactPoint, glm::vec3(0.95f, 0.0f, 0.0f));
}

TEST_F(CollisionTest, SpheresTouchingOrCoincidentMakeNoContact)
{
    CollisionSphere& a = Sphere(1.0f, glm::vec3(0.0f));
    CollisionSphere& touching = Sphere(1.0f, glm::vec3(2.0f, 0.0f, 0.0f));
    CollisionSphere& same = Sphere(1.0f, glm::vec3(0.0f, 0.0005f, 0.0f));
    CollisionDetector::SphereAndSphere(a, touching, pool);
    CollisionDetector::SphereAndSphere(a, same, pool);
    EXPECT_EQ(Count(), 0u);
}

TEST_F(CollisionTest, SphereRadiusFollowsTheOwnersXScale)
{
    CollisionSphere& a = Sphere(1.0f, glm::vec3(0.0f));
    CollisionSphere& b = Sphere(0.5f, glm::vec3(0.0f, 2.4f, 0.0f));
    CollisionDetector::SphereAndSphere(a, b, pool);
    EXPECT_EQ(Count(), 0u);
    a.owner->scale = glm::vec3(2.0f, 0.1f, 0.1f);
    a.UpdateTransform();
    CollisionDetector::SphereAndSphere(a, b, pool);
    EXPECT_NEAR(Only().penetration, 2.0f + 0.5f - 2.4f, 1e-5f);
}

TEST_F(CollisionTest, SphereBelowAPlaneIsPushedOutAlongItsNormal)
{
    CollisionPlane& floor = Plane(Y, glm::vec3(3.0f, 1.0f, 0.0f));
    CollisionSphere& resting = Sphere(0.5f, glm::vec3(0.0f, 1.5f, 0.0f));
    CollisionDetector::SphereAndHalfSpace(resting, floor, pool);
    EXPECT_EQ(Count(), 0u);

    CollisionSphere& sunk = Sphere(0.5f, glm::vec3(2.0f, 1.4f, -1.0f));
    CollisionDetector::SphereAndHalfSpace(sunk, floor, pool);
    const Contact& c = Only();
    EXPECT_NEAR(c.penetration, 0.1f, 1e-5f);
    EXPECT_EQ(c.contactNormal, Y);
    ExpectVec3Near(c.contactPoint, glm::vec3(2.0f, 1.0f, -1.0f));
    EXPECT_EQ(c.bodies[0], sunk.owner);
    EXPECT_EQ(c.bodies[1], floor.owner);
}

// --- box and sphere ---------------------------------------------------------

TEST_F(CollisionTest, BoxAndSphereNormalPointsFromTheSphereToTheBox)
{
    CollisionBox& box = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionSphere& sphere = Sphere(0.5f, glm::vec3(0.9f, 0.0f, 0.0f));
    CollisionDetector::BoxAndSphere(box, sphere, pool);
    const Contact& c = Only();
    ExpectVec3Near(c.contactNormal, -X);
    EXPECT_NEAR(c.penetration, 0.1f, 1e-5f);
    ExpectVec3Near(c.contactPoint, glm::vec3(0.5f, 0.0f, 0.0f));
    EXPECT_EQ(c.bodies[0], box.owner);
    EXPECT_EQ(c.bodies[1], sphere.owner);
}

TEST_F(CollisionTest, BoxAndSphereWorkInTheBoxFrame)
{
    // A box turned 45 degrees about z has a corner at x = 0.7071.
    CollisionBox& box = Box(glm::vec3(0.5f), glm::vec3(0.0f), Turn(45.0f, Z));
    CollisionSphere& near = Sphere(0.5f, glm::vec3(1.1f, 0.0f, 0.0f));
    CollisionDetector::BoxAndSphere(box, near, pool);
    const Contact& c = Only();
    ExpectVec3Near(c.contactPoint, glm::vec3(0.70711f, 0.0f, 0.0f));
    ExpectVec3Near(c.contactNormal, -X);
    EXPECT_NEAR(c.penetration, 0.5f - (1.1f - 0.70711f), 1e-4f);

    // Beside a flat face the unturned box would be reached; the turned one is not.
    pool.ReleaseAll();
    CollisionSphere& offCorner = Sphere(0.3f, glm::vec3(0.75f, 0.5f, 0.0f));
    CollisionDetector::BoxAndSphere(box, offCorner, pool);
    EXPECT_EQ(Count(), 0u);
}

TEST_F(CollisionTest, BoxAndSphereRejectsSpheresOffEachAxisAndCornerGaps)
{
    CollisionBox& box = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionDetector::BoxAndSphere(box, Sphere(0.5f, glm::vec3(1.0f, 0.0f, 0.0f)), pool);  // touching face
    CollisionDetector::BoxAndSphere(box, Sphere(0.3f, glm::vec3(0.0f, 0.0f, -0.85f)), pool);
    // Within reach of both faces but not of the corner between them.
    CollisionDetector::BoxAndSphere(box, Sphere(0.3f, glm::vec3(0.75f, 0.75f, 0.0f)), pool);
    EXPECT_EQ(Count(), 1u);  // only the touching face makes one, with no depth
    EXPECT_NEAR(Only().penetration, 0.0f, 1e-6f);
}

TEST_F(CollisionTest, SphereCentreInsideABoxLeavesTheNormalZero)
{
    CollisionBox& box = Box(glm::vec3(1.0f), glm::vec3(0.0f));
    CollisionDetector::BoxAndSphere(box, Sphere(0.25f, glm::vec3(0.2f, 0.1f, 0.0f)), pool);
    const Contact& c = Only();
    EXPECT_EQ(c.contactNormal, glm::vec3(0.0f));
    EXPECT_FLOAT_EQ(c.penetration, 0.25f);
}

// --- box and box ------------------------------------------------------------

TEST_F(CollisionTest, BoxesOverlappingOnFacesTouchAlongTheShallowestFaceAxis)
{
    CollisionBox& one = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionBox& two = Box(glm::vec3(0.5f), glm::vec3(0.8f, 0.5f, 0.0f));
    CollisionDetector::BoxAndBox(one, two, pool);
    const Contact& c = Only();
    EXPECT_NEAR(c.penetration, 0.2f, 1e-5f);
    ExpectVec3Near(c.contactNormal, -X);
    EXPECT_EQ(c.bodies[0], one.owner);
    EXPECT_EQ(c.bodies[1], two.owner);
    // The vertex of two on one's side; axes square to the normal keep their + sign.
    ExpectVec3Near(c.contactPoint, glm::vec3(0.3f, 1.0f, 0.5f));
}

TEST_F(CollisionTest, ABoxHeldUpByLessThanATenthOfACellSlidesOffItsRim)
{
    // Two lies on one's top, sunk 0.02, over one's rim by 0.05 along x: the
    // shallowest axis is up, yet it is pushed off sideways; over by 0.2 it is
    // held up.
    CollisionBox& one = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionDetector::BoxAndBox(one, Box(glm::vec3(0.5f), glm::vec3(0.95f, 0.98f, 0.0f)), pool);
    EXPECT_NEAR(std::fabs(Only().contactNormal.x), 1.0f, 1e-5f);
    EXPECT_NEAR(Only().penetration, 0.05f, 1e-5f);
    pool.ReleaseAll();
    CollisionDetector::BoxAndBox(one, Box(glm::vec3(0.5f), glm::vec3(0.8f, 0.98f, 0.0f)), pool);
    EXPECT_NEAR(std::fabs(Only().contactNormal.y), 1.0f, 1e-5f);
    EXPECT_NEAR(Only().penetration, 0.02f, 1e-5f);
}

TEST_F(CollisionTest, FaceOfTheSecondBoxSwapsTheRoles)
{
    // Two is turned so that its own face axis is the shallowest.
    CollisionBox& one = Box(glm::vec3(0.5f), glm::vec3(0.0f), Turn(30.0f, Z));
    CollisionBox& two = Box(glm::vec3(0.5f), glm::vec3(0.0f, 0.9f, 0.0f));
    CollisionDetector::BoxAndBox(one, two, pool);
    const Contact& c = Only();
    // Face of two (axis y) and the highest vertex of one; the normal points
    // from one (second body) up to two (first body).
    ExpectVec3Near(c.contactNormal, Y);
    EXPECT_EQ(c.bodies[0], two.owner);
    EXPECT_EQ(c.bodies[1], one.owner);
    const float reach = 0.5f * (std::cos(glm::radians(30.0f)) + std::sin(glm::radians(30.0f)));
    EXPECT_NEAR(c.penetration, reach + 0.5f - 0.9f, 1e-4f);
    EXPECT_NEAR(c.contactPoint.y, reach, 1e-4f);
}

TEST_F(CollisionTest, EqualFaceDepthsKeepTheEarlierAxis)
{
    CollisionBox& one = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionBox& two = Box(glm::vec3(0.5f), glm::vec3(0.75f, 0.75f, 0.0f));
    CollisionDetector::BoxAndBox(one, two, pool);
    ExpectVec3Near(Only().contactNormal, -X);
}

TEST_F(CollisionTest, TurnedBoxesMeetEdgeToEdge)
{
    const glm::quat turned = Turn(45.0f, Z) * Turn(45.0f, Y);
    CollisionBox& one = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionBox& two = Box(glm::vec3(0.5f), glm::vec3(0.8485f, 0.8485f, 0.0f), turned);
    CollisionDetector::BoxAndBox(one, two, pool);
    const Contact& c = Only();
    // Axis 13 = one.z x two.y.
    ExpectVec3Near(glm::cross(one.GetAxis(2), two.GetAxis(1)), glm::vec3(-0.70711f, -0.70711f, 0.0f));
    ExpectVec3Near(c.contactNormal, glm::vec3(-0.70711f, -0.70711f, 0.0f));
    EXPECT_NEAR(c.penetration, 0.2142f, 1e-4f);
    EXPECT_EQ(c.bodies[0], one.owner);
    EXPECT_EQ(c.bodies[1], two.owner);
    // Half-way between one's edge along z through (0.5, 0.5, 0) and two's
    // nearest edge, which crosses the diagonal at (0.3485, 0.3485, 0).
    ExpectVec3Near(c.contactPoint, glm::vec3(0.42426f, 0.42426f, 0.0f), 1e-3f);
}

TEST_F(CollisionTest, AnEdgeAxisSeparatesBoxesThatOverlapOnEveryFaceAxis)
{
    const glm::quat turned = Turn(45.0f, Z) * Turn(45.0f, Y);
    CollisionBox& one = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionBox& two = Box(glm::vec3(0.5f), glm::vec3(1.1455f, 1.1455f, 0.0f), turned);
    // Every face axis overlaps.
    const glm::vec3 toCentre = two.GetCentre() - one.GetCentre();
    for (int k = 0; k < 6; ++k) {
        const glm::vec3 axis = k < 3 ? one.GetAxis(k) : two.GetAxis(k - 3);
        float reach = 0.0f;
        for (int i = 0; i < 3; ++i)
            reach += 0.5f * (std::fabs(glm::dot(axis, one.GetAxis(i))) + std::fabs(glm::dot(axis, two.GetAxis(i))));
        EXPECT_GT(reach - std::fabs(glm::dot(toCentre, axis)), 0.0f) << k;
    }
    CollisionDetector::BoxAndBox(one, two, pool);
    EXPECT_EQ(Count(), 0u);
}

TEST_F(CollisionTest, BoxesWithoutOwnersOrOutOfReachMakeNoContact)
{
    CollisionBox& one = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionBox& far = Box(glm::vec3(0.5f), glm::vec3(1.5f, 0.0f, 0.0f));
    CollisionDetector::BoxAndBox(one, far, pool);
    CollisionBox& loose = Box(glm::vec3(0.5f), glm::vec3(0.2f, 0.0f, 0.0f));
    loose.owner = nullptr;
    CollisionDetector::BoxAndBox(one, loose, pool);
    CollisionDetector::BoxAndBox(loose, one, pool);
    EXPECT_EQ(Count(), 0u);
}

// --- a box among blocks flush against each other ----------------------------

// A robot's box (half size 0.4 0.5 0.4) walking along +x over a floor of
// unit blocks (tops at y 1), sunk into it and with its leading face just
// past the seam at x 1 into the next block.
class BlockFloorTest : public CollisionTest
{
protected:
    static constexpr float SUNK = 0.15f;
    static constexpr float PAST = 0.05f;

    CollisionBox& Block(float x, float y, float z) { return Box(glm::vec3(0.5f), glm::vec3(x, y, z)); }
    CollisionBox& Robot(const glm::vec3& centre, float yawDegrees = 0.0f)
    {
        return Box(glm::vec3(0.4f, 0.5f, 0.4f), centre, Turn(yawDegrees, Y));
    }
    static glm::vec3 AtSeam() { return glm::vec3(1.0f + PAST - 0.4f, 1.5f - SUNK, 0.5f); }
    // The same robot sunk deeper than a step: an open face pushes it back.
    static glm::vec3 BelowAStep() { return AtSeam() - glm::vec3(0.0f, CollisionDetector::STEP_HEIGHT, 0.0f); }
    BlockFaces Around(const CollisionBox& block)
    {
        return BlockFaces{&block, m_blocks.data(), m_blocks.size()};
    }
    void Add(CollisionBox& block) { m_blocks.push_back(&block); }
    // The contact of the robot with the block, the robot given as one or two.
    Contact Touch(CollisionBox& robot, CollisionBox& block, bool robotFirst, bool withBlocks = true)
    {
        pool.ReleaseAll();
        const BlockFaces around = Around(block);
        if (robotFirst) CollisionDetector::BoxAndBox(robot, block, pool, withBlocks ? &around : nullptr);
        else CollisionDetector::BoxAndBox(block, robot, pool, withBlocks ? &around : nullptr);
        EXPECT_EQ(Count(), 1u);
        Contact contact = Count() ? *pool.activeContacts.front() : Contact(glm::vec3(0.0f), 0.0f, 0.0f);
        // The push the robot gets, whichever side of the contact it is on.
        if (contact.bodies[0] != robot.owner) contact.contactNormal = -contact.contactNormal;
        return contact;
    }

    std::vector<const CollisionBox*> m_blocks;
};

TEST_F(BlockFloorTest, ABoxSinkingAcrossASeamIsOnlyPushedUp)
{
    CollisionBox& behind = Block(0.5f, 0.5f, 0.5f);
    CollisionBox& ahead = Block(1.5f, 0.5f, 0.5f);
    Add(behind);
    Add(ahead);
    for (float yaw : {0.0f, 90.0f, 180.0f, -90.0f}) {
        CollisionBox& robot = Robot(AtSeam(), yaw);
        for (bool robotFirst : {true, false}) {
            SCOPED_TRACE(testing::Message() << "yaw " << yaw << (robotFirst ? ", robot first" : ", block first"));
            // On its own the block ahead pushes the robot back through its side...
            Contact alone = Touch(robot, ahead, robotFirst, false);
            ExpectVec3Near(alone.contactNormal, -X);
            EXPECT_NEAR(alone.penetration, PAST, 1e-5f);
            // ...a face the block behind covers: both hold it up by what it sank.
            for (CollisionBox* block : {&ahead, &behind}) {
                Contact held = Touch(robot, *block, robotFirst);
                ExpectVec3Near(held.contactNormal, Y);
                EXPECT_NEAR(held.penetration, SUNK, 1e-5f);
            }
        }
    }
    // Entered deeper than it sank, the robot is held up all the same.
    CollisionBox& deep = Robot(AtSeam() + glm::vec3(0.3f, 0.0f, 0.0f));
    ExpectVec3Near(Touch(deep, ahead, true).contactNormal, Y);

    // Straddling the seam between two rows too, it touches four blocks,
    // each of which holds it up.
    CollisionBox& behindSide = Block(0.5f, 0.5f, 1.5f);
    CollisionBox& aheadSide = Block(1.5f, 0.5f, 1.5f);
    Add(behindSide);
    Add(aheadSide);
    CollisionBox& straddling = Robot(glm::vec3(AtSeam().x, AtSeam().y, 1.0f), 180.0f);
    for (CollisionBox* block : {&behind, &ahead, &behindSide, &aheadSide}) {
        Contact held = Touch(straddling, *block, false);
        ExpectVec3Near(held.contactNormal, Y);
        EXPECT_NEAR(held.penetration, SUNK, 1e-5f);
    }
}

TEST_F(BlockFloorTest, OpenFacesStillPushBack)
{
    CollisionBox& behind = Block(0.5f, 0.5f, 0.5f);
    CollisionBox& ahead = Block(1.5f, 0.5f, 0.5f);
    // A wall block on the one ahead, with nothing flush against its near side.
    CollisionBox& wall = Block(1.5f, 1.5f, 0.5f);
    Add(behind);
    Add(ahead);
    Add(wall);
    CollisionBox& robot = Robot(AtSeam());
    Contact stopped = Touch(robot, wall, true);
    ExpectVec3Near(stopped.contactNormal, -X);
    EXPECT_NEAR(stopped.penetration, PAST, 1e-5f);
    // The block under the wall has both faces the robot pokes through
    // covered (by the block behind and by the wall): rather than push the
    // robot out sideways, through a deep face, it pushes back like the wall.
    Contact corner = Touch(robot, ahead, true);
    ExpectVec3Near(corner.contactNormal, -X);
    EXPECT_NEAR(corner.penetration, PAST, 1e-5f);
    ExpectVec3Near(Touch(robot, behind, true).contactNormal, Y);

    // A block a hair away is flush; one a hundredth away is not, nor is a
    // face seen without the block that covers it. An open face pushes back
    // a body sunk deeper than a step below the block's top.
    CollisionBox& near = Block(2.5f + 0.5f * CollisionDetector::FLUSH_TOLERANCE, 0.5f, 0.5f);
    CollisionBox& apart = Block(2.5f + 0.01f, 0.5f, 2.5f);
    CollisionBox& pastAhead = Robot(AtSeam() + glm::vec3(1.0f, 0.0f, 0.0f));
    m_blocks = {&ahead, &near};
    ExpectVec3Near(Touch(pastAhead, near, true).contactNormal, Y);
    CollisionBox& lonely = Block(1.5f, 0.5f, 2.5f);
    m_blocks = {&lonely, &apart};
    CollisionBox& pastLonely = Robot(BelowAStep() + glm::vec3(1.01f, 0.0f, 2.0f));
    EXPECT_FALSE(CollisionDetector::FaceCovered(apart, -X, pastLonely, Around(apart)));
    ExpectVec3Near(Touch(pastLonely, apart, true).contactNormal, -X);
    m_blocks = {&ahead};
    ExpectVec3Near(Touch(Robot(BelowAStep()), ahead, true).contactNormal, -X);
}

TEST_F(BlockFloorTest, ABodyOnlyAStepBelowAnOpenTopGoesUpOntoTheBlock)
{
    // A robot walking a path one block wide, off its middle line, onto a
    // wider floor: its edge meets the side of a floor block that has no
    // block in front. Sunk into the floor by less than a step, it goes up.
    CollisionBox& path = Block(0.5f, 0.5f, 0.5f);
    CollisionBox& ahead = Block(1.5f, 0.5f, 0.5f);
    CollisionBox& aside = Block(1.5f, 0.5f, 1.5f);
    Add(path);
    Add(ahead);
    Add(aside);
    for (bool robotFirst : {true, false}) {
        CollisionBox& offLine = Robot(AtSeam() + glm::vec3(0.0f, 0.0f, 0.3f), 90.0f);
        EXPECT_FALSE(CollisionDetector::FaceCovered(aside, -X, offLine, Around(aside)));
        const Contact stepped = Touch(offLine, aside, robotFirst);
        ExpectVec3Near(stepped.contactNormal, Y);
        EXPECT_NEAR(stepped.penetration, SUNK, 1e-5f);
        ExpectVec3Near(Touch(offLine, ahead, robotFirst).contactNormal, Y);
    }
    // The same over a gap a hundredth wide, where no face is flush.
    CollisionBox& beyond = Block(2.51f, 0.5f, 0.5f);
    Add(beyond);
    ExpectVec3Near(Touch(Robot(AtSeam() + glm::vec3(1.01f, 0.0f, 0.0f)), beyond, true).contactNormal, Y);
    // Sunk deeper than a step, or facing a block with another on its top
    // (a wall), it is pushed back.
    ExpectVec3Near(Touch(Robot(BelowAStep() + glm::vec3(0.0f, 0.0f, 0.3f)), aside, true).contactNormal, -X);
    CollisionBox& wall = Block(1.5f, 1.5f, 1.5f);
    Add(wall);
    ExpectVec3Near(Touch(Robot(AtSeam() + glm::vec3(0.0f, 0.0f, 0.3f)), aside, true).contactNormal, -X);
}

TEST_F(BlockFloorTest, ABodyAHairOverTheNextRowAlsoGoesUpOntoItsBlock)
{
    // A robot walking a bridge one block wide onto an island, its side a
    // hair over the island's next row: the least penetrating axis goes out
    // through that row's side that the island's first block covers, and the
    // open way left is back through the row block's west side. Sunk by less
    // than a step, the robot goes up onto the block instead.
    CollisionBox& bridge = Block(0.5f, 0.5f, 0.5f);
    CollisionBox& island = Block(1.5f, 0.5f, 0.5f);
    CollisionBox& nextRow = Block(1.5f, 0.5f, -0.5f);
    for (CollisionBox* block : {&bridge, &island, &nextRow}) Add(*block);
    const float hair = 0.0167f;
    // The robot's near side (half size 0.4) that far past z 0 into the row.
    const float z = 0.4f - hair;
    for (bool robotFirst : {true, false}) {
        CollisionBox& robot = Robot(glm::vec3(AtSeam().x, AtSeam().y, z));
        const Contact stepped = Touch(robot, nextRow, robotFirst);
        ExpectVec3Near(stepped.contactNormal, Y);
        EXPECT_NEAR(stepped.penetration, SUNK, 1e-5f);
    }
    // Sunk deeper than a step it is pushed back as before.
    CollisionBox& deep = Robot(glm::vec3(AtSeam().x, BelowAStep().y, z));
    ExpectVec3Near(Touch(deep, nextRow, true).contactNormal, -X);
}

TEST_F(BlockFloorTest, ABodyFlushWithASideIsNotLiftedOntoItsTop)
{
    // A crate thrown against a wall slides down its side, flush with it (a
    // hair inside) and just below the top of the wall's block: it has
    // nothing to stand on there and is pushed off the side, not up.
    CollisionBox& wall = Block(0.5f, 0.5f, 0.5f);
    Add(wall);
    const float inside = 0.5f * CollisionDetector::FLUSH_TOLERANCE;
    for (bool crateFirst : {true, false}) {
        CollisionBox& crate = Box(glm::vec3(0.5f), glm::vec3(0.55f, 1.43f, 1.5f - inside));
        ExpectVec3Near(Touch(crate, wall, crateFirst).contactNormal, Z);
    }
    // Over the top by more than the tolerance, it still steps up.
    CollisionBox& over = Box(glm::vec3(0.5f), glm::vec3(0.55f, 1.43f, 1.5f - 0.02f));
    ExpectVec3Near(Touch(over, wall, true).contactNormal, Y);
}

TEST_F(BlockFloorTest, AFaceIsCoveredOnlyWhereTheBlocksBehindSpanTheBody)
{
    // A slab two cells deep in z entered from two rows of unit blocks: the
    // robot straddles both rows, so the slab's side is covered by the two
    // together, and open where a row is missing.
    CollisionBox& slab = Box(glm::vec3(0.5f, 0.5f, 1.0f), glm::vec3(1.5f, 0.5f, 1.0f));
    CollisionBox& rowOne = Block(0.5f, 0.5f, 0.5f);
    CollisionBox& rowTwo = Block(0.5f, 0.5f, 1.5f);
    CollisionBox& robot = Robot(glm::vec3(AtSeam().x, AtSeam().y, 1.0f));
    m_blocks = {&slab, &rowOne, &rowTwo};
    ExpectVec3Near(Touch(robot, slab, true).contactNormal, Y);
    m_blocks = {&slab, &rowOne};
    ExpectVec3Near(Touch(Robot(glm::vec3(AtSeam().x, BelowAStep().y, 1.0f)), slab, true).contactNormal, -X);
    // Within one row the one block is enough.
    CollisionBox& inRow = Robot(AtSeam());
    ExpectVec3Near(Touch(inRow, slab, true).contactNormal, Y);
    EXPECT_TRUE(CollisionDetector::FaceCovered(slab, -X, inRow, Around(slab)));
    EXPECT_FALSE(CollisionDetector::FaceCovered(slab, -X, robot, Around(slab)));
    // Only a direction along a world axis goes through a face.
    EXPECT_FALSE(CollisionDetector::FaceCovered(slab, glm::normalize(glm::vec3(-1.0f, 0.1f, 0.0f)), inRow, Around(slab)));
}

TEST_F(BlockFloorTest, WhenEveryWayOutIsCoveredOrTheBlocksAreTurnedTheContactIsUnchanged)
{
    // A big box sunk into the middle of a block with a block against every
    // face: every axis goes through a covered face.
    CollisionBox& middle = Block(0.0f, 0.0f, 0.0f);
    m_blocks = {&middle};
    for (const glm::vec3& d : {X, -X, Y, -Y, Z, -Z}) m_blocks.push_back(&Block(d.x, d.y, d.z));
    CollisionBox& big = Box(glm::vec3(0.7f, 0.65f, 0.6f), glm::vec3(0.05f, 0.02f, 0.01f));
    const Contact plain = Touch(big, middle, true, false);
    const Contact kept = Touch(big, middle, true);
    EXPECT_EQ(kept.contactNormal, plain.contactNormal);
    EXPECT_EQ(kept.penetration, plain.penetration);
    EXPECT_EQ(kept.contactPoint, plain.contactPoint);

    // Blocks turned off the grid (by 20 degrees) take no part.
    CollisionBox& turnedBehind = Box(glm::vec3(0.5f), glm::vec3(10.5f, 0.5f, 0.5f), Turn(20.0f, Y));
    CollisionBox& turnedAhead = Box(glm::vec3(0.5f), glm::vec3(11.5f, 0.5f, 0.5f), Turn(20.0f, Y));
    m_blocks = {&turnedBehind, &turnedAhead};
    CollisionBox& robot = Robot(AtSeam() + glm::vec3(10.0f, 0.0f, 0.0f));
    const Contact free = Touch(robot, turnedAhead, true, false);
    const Contact given = Touch(robot, turnedAhead, true);
    EXPECT_EQ(given.contactNormal, free.contactNormal);
    EXPECT_EQ(given.penetration, free.penetration);
}

TEST_F(BlockFloorTest, ABoxRestingInACellOnlyTouchesTheBlocksBesideIt)
{
    // A crate set down on the block of its cell (sunk a little) touches the
    // blocks of the cells ahead, beside and diagonally at zero depth.
    CollisionBox& under = Block(0.5f, 0.5f, 0.5f);
    CollisionBox& ahead = Block(1.5f, 0.5f, 0.5f);
    CollisionBox& beside = Block(0.5f, 0.5f, 1.5f);
    CollisionBox& diagonal = Block(1.5f, 0.5f, 1.5f);
    for (CollisionBox* block : {&under, &ahead, &beside, &diagonal}) Add(*block);
    CollisionBox& crate = Box(glm::vec3(0.5f), glm::vec3(0.5f, 1.5f - 0.01f, 0.5f));

    // Alone, a touching block still makes a contact of zero depth...
    Contact alone = Touch(crate, ahead, true, false);
    ExpectVec3Near(alone.contactNormal, -X);
    EXPECT_EQ(alone.penetration, 0.0f);
    // ...but a face the crate's own block covers makes none, whichever box
    // comes first: nothing stops a push along the floor.
    for (CollisionBox* block : {&ahead, &beside, &diagonal}) {
        for (bool crateFirst : {true, false}) {
            pool.ReleaseAll();
            const BlockFaces around = Around(*block);
            if (crateFirst) CollisionDetector::BoxAndBox(crate, *block, pool, &around);
            else CollisionDetector::BoxAndBox(*block, crate, pool, &around);
            EXPECT_EQ(Count(), 0u) << block->GetCentre().x << " " << block->GetCentre().z;
        }
    }
    EXPECT_TRUE(CollisionDetector::FaceCovered(ahead, -X, crate, Around(ahead)));
    // The block under it holds it up as before.
    Contact held = Touch(crate, under, true);
    ExpectVec3Near(held.contactNormal, Y);
    EXPECT_NEAR(held.penetration, 0.01f, 1e-5f);

    // A wall block beside the crate has an open face: it still stops the
    // crate at zero depth.
    CollisionBox& wall = Block(1.5f, 1.5f, 0.5f);
    Add(wall);
    Contact stopped = Touch(crate, wall, true);
    ExpectVec3Near(stopped.contactNormal, -X);
    EXPECT_EQ(stopped.penetration, 0.0f);
}

TEST_F(BlockFloorTest, ARobotWalkingFlushPastAWallsFootIsNotStoppedByIt)
{
    // A robot turned to walk along -z, its side flush with the wall beside a
    // one-cell opening (at 1/20 s a frame its steps land on the 0.05 grid,
    // so this happens), sunk into the floor by a step and a quarter into
    // the wall's row. The block under the wall has the opening's floor
    // against its side: the robot only touches it, the turn making that a
    // hair more than zero, and it neither stops nor pushes the robot.
    // Where a level puts them: a wall at x 8.5, the opening at x 9.5.
    CollisionBox& foot = Block(8.5f, 0.5f, 5.5f);
    CollisionBox& wall = Block(8.5f, 1.5f, 5.5f);
    CollisionBox& opening = Block(9.5f, 0.5f, 5.5f);
    CollisionBox& behind = Block(9.5f, 0.5f, 6.5f);
    for (CollisionBox* block : {&foot, &wall, &opening, &behind}) Add(*block);
    const float sunk = 0.275f;
    CollisionBox& robot = Robot(glm::vec3(9.4f, 1.5f - sunk, 6.4f - 0.25f), -90.0f);
    for (bool robotFirst : {true, false}) {
        pool.ReleaseAll();
        const BlockFaces around = Around(foot);
        if (robotFirst) CollisionDetector::BoxAndBox(robot, foot, pool, &around);
        else CollisionDetector::BoxAndBox(foot, robot, pool, &around);
        EXPECT_EQ(Count(), 0u) << (robotFirst ? "robot first" : "block first");
    }
    // The floor of the opening holds it up; the wall beside it, whose side
    // is open, stops it at zero depth only across.
    Contact held = Touch(robot, opening, true);
    ExpectVec3Near(held.contactNormal, Y);
    EXPECT_NEAR(held.penetration, sunk, 1e-4f);
    Contact beside = Touch(robot, wall, true);
    ExpectVec3Near(beside.contactNormal, X);
    EXPECT_NEAR(beside.penetration, 0.0f, 1e-4f);
}

TEST_F(BlockFloorTest, BadBlockListsAreHarmless)
{
    CollisionBox& behind = Block(0.5f, 0.5f, 0.5f);
    CollisionBox& ahead = Block(1.5f, 0.5f, 0.5f);
    CollisionBox& robot = Robot(AtSeam());
    // Null entries and a block whose position is lost are passed over.
    CollisionBox& lost = Block(std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.5f);
    m_blocks = {nullptr, &lost, &behind, nullptr};
    ExpectVec3Near(Touch(robot, ahead, true).contactNormal, Y);
    // A missing list (whatever count it claims), or a block that is neither
    // box of the pair.
    CollisionBox& deep = Robot(BelowAStep());
    BlockFaces none{&ahead, nullptr, 3};
    CollisionDetector::BoxAndBox(deep, ahead, pool, &none);
    ExpectVec3Near(pool.activeContacts.back()->contactNormal, -X);
    BlockFaces stranger = Around(behind);
    stranger.block = &lost;
    CollisionDetector::BoxAndBox(robot, ahead, pool, &stranger);
    ExpectVec3Near(pool.activeContacts.back()->contactNormal, -X);
    // A lost body: no contact, nothing covered.
    CollisionBox& lostRobot = Robot(glm::vec3(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(CollisionDetector::FaceCovered(ahead, -X, lostRobot, Around(ahead)));
    pool.ReleaseAll();
    CollisionDetector::BoxAndBox(lostRobot, ahead, pool, &stranger);
    EXPECT_EQ(Count(), 0u);
    // More covering blocks than the rule looks at leave the face open.
    m_blocks = {&ahead};
    for (std::size_t i = 0; i <= CollisionDetector::MAX_COVERING_BLOCKS; ++i) m_blocks.push_back(&behind);
    ExpectVec3Near(Touch(deep, ahead, true).contactNormal, -X);
}

TEST(EdgeContactPointTest, MidpointOfTheClosestPointsOrTheFavouredEdge)
{
    // Crossing edges a unit apart: half-way between them.
    ExpectVec3Near(CollisionDetector::EdgeContactPoint(glm::vec3(0.0f), X, 1.0f, glm::vec3(0.2f, 1.0f, 0.3f), Z,
                                                       1.0f, true),
                   glm::vec3(0.2f, 0.5f, 0.0f));
    // Parallel edges, and closest points off an edge: the flag chooses.
    const glm::vec3 p1(0.0f), p2(0.0f, 1.0f, 0.0f);
    EXPECT_EQ(CollisionDetector::EdgeContactPoint(p1, X, 1.0f, p2, X, 1.0f, true), p1);
    EXPECT_EQ(CollisionDetector::EdgeContactPoint(p1, X, 1.0f, p2, X, 1.0f, false), p2);
    const glm::vec3 off(3.0f, 1.0f, 0.0f);
    EXPECT_EQ(CollisionDetector::EdgeContactPoint(p1, X, 1.0f, off, Z, 1.0f, false), off);
    EXPECT_EQ(CollisionDetector::EdgeContactPoint(p1, X, 1.0f, off, Z, 1.0f, true), p1);
}

// --- box and plane ------------------------------------------------------------

TEST_F(CollisionTest, BoxSunkIntoAPlaneTouchesAtTheFirstVertexBelow)
{
    CollisionPlane& floor = Plane(Y, glm::vec3(0.0f));
    CollisionBox& box = Box(glm::vec3(0.5f), glm::vec3(0.0f, 0.45f, 0.0f));
    CollisionDetector::BoxAndHalfSpace(box, floor, pool);
    const Contact& c = Only();
    EXPECT_NEAR(c.penetration, 0.05f, 1e-5f);
    EXPECT_EQ(c.contactNormal, Y);
    // The (+,-,+) vertex, on the plane.
    ExpectVec3Near(c.contactPoint, glm::vec3(0.5f, 0.0f, 0.5f));
    EXPECT_EQ(c.bodies[0], box.owner);
    EXPECT_EQ(c.bodies[1], floor.owner);
}

TEST_F(CollisionTest, BoxAbovePlaneOrOnATiltedOneUsesTheTurnedVertices)
{
    CollisionPlane& floor = Plane(Y, glm::vec3(0.0f, -1.0f, 0.0f));
    CollisionDetector::BoxAndHalfSpace(Box(glm::vec3(0.5f), glm::vec3(0.0f, -0.4f, 0.0f)), floor, pool);
    EXPECT_EQ(Count(), 0u);
    EXPECT_FALSE(BoxIntersectsHalfSpace(Box(glm::vec3(0.5f), glm::vec3(0.0f, -0.4f, 0.0f)), floor));

    // Turned 45 degrees about z, the lowest point is a corner edge at 0.7071.
    CollisionBox& turned = Box(glm::vec3(0.5f), glm::vec3(0.0f, -0.3f, 0.0f), Turn(45.0f, Z));
    EXPECT_TRUE(BoxIntersectsHalfSpace(turned, floor));
    CollisionDetector::BoxAndHalfSpace(turned, floor, pool);
    const Contact& c = Only();
    EXPECT_NEAR(c.penetration, 0.70711f - 0.7f, 1e-4f);
    EXPECT_NEAR(c.contactPoint.y, -1.0f, 1e-5f);
}

// --- dispatch -------------------------------------------------------------------

TEST_F(CollisionTest, PairDispatchOrdersTheShapesOfEachTest)
{
    CollisionSphere& sphere = Sphere(0.5f, glm::vec3(0.9f, 0.0f, 0.0f));
    CollisionBox& box = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    CollisionBox& other = Box(glm::vec3(0.5f), glm::vec3(0.8f, 0.5f, 0.0f));
    CollisionPlane& floor = Plane(Y, glm::vec3(0.0f, -0.45f, 0.0f));
    CollisionPlane& wall = Plane(X, glm::vec3(1.0f, 0.0f, 0.0f));

    // The box is always the first body of box and sphere, whichever comes first.
    CollisionDetector::CollidePair(sphere, box, pool);
    CollisionDetector::CollidePair(box, sphere, pool);
    ASSERT_EQ(Count(), 2u);
    for (const Contact* c : pool.activeContacts) EXPECT_EQ(c->bodies[0], box.owner);
    pool.ReleaseAll();

    // Two boxes: the later one is "one", so the earlier is pushed away from it.
    CollisionDetector::CollidePair(box, other, pool);
    ASSERT_EQ(Count(), 1u);
    EXPECT_EQ(Only().bodies[0], other.owner);
    ExpectVec3Near(Only().contactNormal, X);
    pool.ReleaseAll();

    // Shape and plane, either order; two planes never.
    CollisionDetector::CollidePair(floor, box, pool);
    CollisionDetector::CollidePair(wall, sphere, pool);
    CollisionDetector::CollidePair(floor, wall, pool);
    ASSERT_EQ(Count(), 2u);
    EXPECT_EQ(pool.activeContacts[0]->bodies[0], box.owner);
    EXPECT_EQ(pool.activeContacts[1]->bodies[0], sphere.owner);
    EXPECT_EQ(pool.activeContacts[1]->bodies[1], wall.owner);
}

// --- segment and box ------------------------------------------------------------

TEST_F(CollisionTest, SegmentEntersABoxAtItsNearFace)
{
    CollisionBox& box = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    LineSegment segment;
    segment.start = glm::vec3(-2.0f, 0.1f, 0.0f);
    segment.end = glm::vec3(2.0f, 0.1f, 0.0f);
    EXPECT_EQ(segment.radius, 0.0f);
    float t = -1.0f;
    glm::vec3 point(9.0f);
    ASSERT_TRUE(CollisionDetector::SegmentAndBox(segment, box, t, point));
    EXPECT_FLOAT_EQ(t, 0.375f);
    ExpectVec3Near(point, glm::vec3(-0.5f, 0.1f, 0.0f));

    // Widened by the radius, the face comes a quarter unit closer.
    segment.radius = 0.25f;
    ASSERT_TRUE(CollisionDetector::SegmentAndBox(segment, box, t, point));
    EXPECT_FLOAT_EQ(t, 0.3125f);
    ExpectVec3Near(point, glm::vec3(-0.75f, 0.1f, 0.0f));
}

TEST_F(CollisionTest, SegmentStartingInsideHitsAtItsStart)
{
    CollisionBox& box = Box(glm::vec3(0.5f), glm::vec3(3.0f, 0.0f, 0.0f), Turn(30.0f, Y));
    LineSegment segment;
    segment.start = glm::vec3(3.1f, 0.2f, 0.1f);
    segment.end = glm::vec3(10.0f, 4.0f, 0.0f);
    float t = -1.0f;
    glm::vec3 point(9.0f);
    ASSERT_TRUE(CollisionDetector::SegmentAndBox(segment, box, t, point));
    EXPECT_EQ(t, 0.0f);
    ExpectVec3Near(point, segment.start);
}

TEST_F(CollisionTest, SegmentMissesLeaveTheOutputsAlone)
{
    CollisionBox& box = Box(glm::vec3(0.5f), glm::vec3(0.0f));
    float t = 7.0f;
    glm::vec3 point(9.0f);
    LineSegment past;  // crosses the box's slabs on x and y but at different times
    past.start = glm::vec3(-2.0f, 1.0f, 0.0f);
    past.end = glm::vec3(0.0f, 3.0f, 0.0f);
    EXPECT_FALSE(CollisionDetector::SegmentAndBox(past, box, t, point));
    LineSegment parallel;  // runs along x beside the box
    parallel.start = glm::vec3(-2.0f, 0.0f, 0.6f);
    parallel.end = glm::vec3(2.0f, 0.0f, 0.6f);
    EXPECT_FALSE(CollisionDetector::SegmentAndBox(parallel, box, t, point));
    LineSegment shortOne;  // stops before the box
    shortOne.start = glm::vec3(-2.0f, 0.0f, 0.0f);
    shortOne.end = glm::vec3(-0.6f, 0.0f, 0.0f);
    EXPECT_FALSE(CollisionDetector::SegmentAndBox(shortOne, box, t, point));
    EXPECT_EQ(t, 7.0f);
    EXPECT_EQ(point, glm::vec3(9.0f));

    // Within the widened slab, the parallel segment hits.
    parallel.radius = 0.2f;
    EXPECT_TRUE(CollisionDetector::SegmentAndBox(parallel, box, t, point));
    EXPECT_FLOAT_EQ(t, 0.325f);
}

TEST(LineSegmentTest, DirectionComesFromTheLengthTheCallerSet)
{
    LineSegment segment;
    segment.start = glm::vec3(1.0f, 0.0f, 0.0f);
    segment.end = glm::vec3(1.0f, 4.0f, 0.0f);
    segment.direction = glm::vec3(7.0f);
    segment.length = 2.0f;  // not the true length: the direction is scaled by it
    segment.UpdateDirection();
    EXPECT_EQ(segment.direction, glm::vec3(0.0f, 2.0f, 0.0f));

    segment.length = 0.0f;
    segment.UpdateDirection();
    EXPECT_FLOAT_EQ(segment.length, 0.001f);
    EXPECT_EQ(segment.direction, glm::vec3(0.0f, 2.0f, 0.0f));
}

// --- predicates -------------------------------------------------------------------

TEST(OverlapTest, SpheresAndPoints)
{
    EXPECT_FALSE(SphereOverlap({1.0f, glm::vec3(0.0f)}, {1.0f, glm::vec3(2.0f, 0.0f, 0.0f)}));
    EXPECT_TRUE(SphereOverlap({1.0f, glm::vec3(0.0f)}, {1.0f, glm::vec3(1.99f, 0.0f, 0.0f)}));
    EXPECT_TRUE(PointInSphere(glm::vec3(0.0f, 2.0f, 0.0f), {2.0f, glm::vec3(0.0f)}));
    EXPECT_FALSE(PointInSphere(glm::vec3(0.0f, 2.01f, 0.0f), {2.0f, glm::vec3(0.0f)}));
}

TEST(OverlapTest, RectanglesCountTheirEdgesAndIgnoreZ)
{
    const BoundingRect rect{glm::vec3(10.0f, 20.0f, 5.0f), glm::vec3(2.0f, 1.0f, 0.0f)};
    EXPECT_TRUE(PointInRect(glm::vec2(8.0f, 21.0f), rect));
    EXPECT_TRUE(PointInRect(glm::vec2(12.0f, 19.0f), rect));
    EXPECT_FALSE(PointInRect(glm::vec2(12.01f, 20.0f), rect));
    EXPECT_FALSE(PointInRect(glm::vec2(10.0f, 18.99f), rect));
}

TEST(OverlapTest, BoxesOverlapInWholeUnits)
{
    const glm::vec3 h(0.3f);
    EXPECT_TRUE(BoxOverlap({glm::vec3(0.5f, 0.0f, 0.0f), h}, {glm::vec3(0.0f), h}));
    EXPECT_TRUE(BoxOverlap({glm::vec3(0.7f, 0.0f, 0.0f), h}, {glm::vec3(0.0f), h}));
    EXPECT_FALSE(BoxOverlap({glm::vec3(1.0f, 0.0f, 0.0f), h}, {glm::vec3(0.0f), h}));
    // A negative whole difference fails as well.
    EXPECT_TRUE(BoxOverlap({glm::vec3(0.0f, -0.9f, 0.0f), h}, {glm::vec3(0.0f), h}));
    EXPECT_FALSE(BoxOverlap({glm::vec3(0.0f, 0.0f, -1.0f), h}, {glm::vec3(0.0f), h}));
    // Larger boxes: E = 2 allows whole differences from -2 to 2.
    const glm::vec3 big(1.0f);
    EXPECT_TRUE(BoxOverlap({glm::vec3(-2.0f, 2.0f, 1.5f), big}, {glm::vec3(0.0f), big}));
    EXPECT_FALSE(BoxOverlap({glm::vec3(-3.0f, 0.0f, 0.0f), big}, {glm::vec3(0.0f), big}));
    // Nothing sensible to truncate: no overlap, and no undefined conversion.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(BoxOverlap({glm::vec3(nan), h}, {glm::vec3(0.0f), h}));
    EXPECT_FALSE(BoxOverlap({glm::vec3(0.0f), glm::vec3(1e20f)}, {glm::vec3(0.0f), h}));
}

// --- the pool ----------------------------------------------------------------------

TEST(ContactPoolTest, HandsOutItsContactsInOrderAndTakesThemBackCleared)
{
    ContactPool pool;
    EXPECT_EQ(pool.allContacts.size(), 512u);
    EXPECT_EQ(pool.freeContacts.size(), 512u);
    EXPECT_FLOAT_EQ(pool.restitution, 0.2f);
    Contact* first = pool.Acquire();
    Contact* second = pool.Acquire();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(pool.activeContacts, (std::vector<Contact*>{first, second}));
    EXPECT_EQ(first->blockedTypes, (std::vector<int>{PLAYER, ENEMY, CRATE}));

    GameObject a, b;
    first->SetBodyData(&a, &b, 0.2f);
    first->penetration = 0.5f;
    first->contactNormal = glm::vec3(0.0f, 1.0f, 0.0f);
    first->contactPoint = glm::vec3(1.0f);
    first->resolutionFlags = CONTACT_POSITION_RESOLVED | CONTACT_VELOCITY_RESOLVED;
    pool.ReleaseAll();
    EXPECT_EQ(pool.lastCount, 2);
    EXPECT_TRUE(pool.activeContacts.empty());
    EXPECT_EQ(pool.freeContacts.size(), 512u);
    EXPECT_EQ(pool.freeContacts.back(), second);  // released in order, to the back
    EXPECT_EQ(first->bodies[0], nullptr);
    EXPECT_EQ(first->bodies[1], nullptr);
    EXPECT_EQ(first->penetration, 0.0f);
    EXPECT_EQ(first->restitution, 0.0f);
    EXPECT_EQ(first->contactNormal, glm::vec3(0.0f));
    EXPECT_EQ(first->contactPoint, glm::vec3(0.0f));
    EXPECT_EQ(first->resolutionFlags, 0);
}

TEST_F(CollisionTest, AnExhaustedPoolDropsFurtherContacts)
{
    CollisionSphere& a = Sphere(1.0f, glm::vec3(0.0f));
    CollisionSphere& b = Sphere(1.0f, glm::vec3(1.0f, 0.0f, 0.0f));
    for (int i = 0; i < ContactPool::CAPACITY; ++i) CollisionDetector::SphereAndSphere(a, b, pool);
    EXPECT_EQ(Count(), 512u);
    CollisionDetector::SphereAndSphere(a, b, pool);
    CollisionDetector::BoxAndBox(Box(glm::vec3(0.5f), glm::vec3(0.0f)), Box(glm::vec3(0.5f), glm::vec3(0.1f)), pool);
    EXPECT_EQ(Count(), 512u);
    EXPECT_EQ(pool.Acquire(), nullptr);
    pool.ReleaseAll();
    EXPECT_EQ(pool.lastCount, 512);
    CollisionDetector::SphereAndSphere(a, b, pool);
    EXPECT_EQ(Count(), 1u);
}

} // namespace
