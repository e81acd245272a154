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
