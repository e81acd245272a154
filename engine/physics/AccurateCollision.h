// Narrow-phase collision tests and overlap predicates.
//
// Each contact test decides whether two primitives touch and, when they do,
// fills one contact from the pool (at most one per pair and test): the bodies
// (with the pool's restitution), a normal pointing from the second body
// towards the first, the penetration depth and a world contact point. With
// the pool exhausted a test makes nothing. The tests are stateless and read
// the primitives' fields as their last UpdateTransform left them; where a
// rotation is needed it is the owner's rotation (the primitive's orientation
// when it has no owner). Degenerate input never divides by zero: coincident
// centres, near-zero normals, near-parallel axes and segment directions are
// caught by the thresholds below.
#pragma once
#include <glm/glm.hpp>

namespace QRX {

class Primitive;
class CollisionSphere;
class CollisionBox;
class CollisionPlane;
class ContactPool;

// A segment for the segment test; the caller sets length, UpdateDirection
// derives the direction from it. The radius widens the box it is tested on.
struct LineSegment
{
    static constexpr float MIN_LENGTH = 0.001f;

    // direction = (end - start) / length when length is above MIN_LENGTH;
    // otherwise length becomes MIN_LENGTH and the direction stays.
    void UpdateDirection();

    glm::vec3 start{0.0f};
    glm::vec3 end{0.0f};
    glm::vec3 direction{0.0f};
    float length = 0.0f;
    float radius = 0.0f;
};

// Operands of the overlap predicates.
struct BoundingSphere
{
    float radius = 0.0f;
    glm::vec3 centre{0.0f};
};

struct BoundingBox
{
    glm::vec3 centre{0.0f};
    glm::vec3 halfExtent{0.0f};
};

// A rectangle in x and y; z is ignored.
struct BoundingRect
{
    glm::vec3 centre{0.0f};
    glm::vec3 halfExtent{0.0f};
};

class CollisionDetector
{
public:
    // Centres closer than this make no sphere-sphere contact.
    static constexpr float MIN_CENTRE_DISTANCE = 0.001f;
    // Normals and edge-edge axes no longer than this are left unnormalised.
    static constexpr float MIN_NORMAL_LENGTH = 0.001f;
    // Cross-product axes with a squared length below this (near-parallel
    // edges) are skipped and count as overlapping.
    static constexpr float MIN_AXIS_LENGTH_SQUARED = 0.0001f;
    // Edge-edge lines whose determinant is below this are parallel.
    static constexpr float MIN_EDGE_DENOMINATOR = 0.0001f;
    // Segment directions below this along an axis are parallel to its slabs.
    static constexpr float MIN_SEGMENT_DIRECTION = 0.001f;
    // Index of the box-box axis when none has been chosen.
    static constexpr unsigned NO_AXIS = 0xffffff;

    // Chooses the test for an earlier primitive a and a later one b of the
    // physics step's list: spheres (a, b); box and sphere (box, sphere); two
    // boxes (one = b, two = a); sphere or box with a plane (shape, plane);
    // two planes, or a pair with an unknown kind: nothing.
    static void CollidePair(const Primitive& a, const Primitive& b, ContactPool& pool);

    // First body b's owner, second a's; the normal points from a to b.
    static void SphereAndSphere(const CollisionSphere& a, const CollisionSphere& b, ContactPool& pool);
    // Contact only when the sphere reaches strictly below the plane. First
    // body the sphere's owner, second the plane's.
    static void SphereAndHalfSpace(const CollisionSphere& sphere, const CollisionPlane& plane, ContactPool& pool);
    // First body the box's owner, second the sphere's; a sphere centre inside
    // the box leaves the normal zero.
    static void BoxAndSphere(const CollisionBox& box, const CollisionSphere& sphere, ContactPool& pool);
    // Separating-axis test on the 15 face and edge axes; nothing when either
    // box has no owner. First body one's owner, second two's.
    static void BoxAndBox(const CollisionBox& one, const CollisionBox& two, ContactPool& pool);
    // One contact at the first vertex (in a fixed sign order) on or below the
    // plane. First body the box's owner, second the plane's.
    static void BoxAndHalfSpace(const CollisionBox& box, const CollisionPlane& plane, ContactPool& pool);

    // Slab test of the segment against the box widened by the segment's
    // radius. On a hit: true, t = entry fraction (0 start, 1 end) and point =
    // the entry point in world space; a segment starting inside gives 0 and
    // the start. On a miss false, and t and point are left as they were.
    static bool SegmentAndBox(const LineSegment& segment, const CollisionBox& box, float& t, glm::vec3& point);

    // The edge-edge contact point of two edges (points and directions with
    // their half extents): the midpoint of the closest points, or pOne
    // (useOne) or pTwo when the edges are parallel or the closest points fall
    // off an edge.
    static glm::vec3 EdgeContactPoint(const glm::vec3& pOne, const glm::vec3& dOne, float sOne,
                                      const glm::vec3& pTwo, const glm::vec3& dTwo, float sTwo, bool useOne);
};

// True when the spheres overlap; touching spheres do not.
bool SphereOverlap(const BoundingSphere& a, const BoundingSphere& b);
// True when the point is inside or on the sphere.
bool PointInSphere(const glm::vec3& point, const BoundingSphere& sphere);
// Overlap in whole units: per axis, E = the summed half extents truncated to
// an integer and D = the centre difference plus E, truncated; the axis
// overlaps when 0 <= D <= 2E. Non-finite or out-of-range values do not overlap.
bool BoxOverlap(const BoundingBox& a, const BoundingBox& b);
// True when the point lies within the rectangle, edges included.
bool PointInRect(const glm::vec2& point, const BoundingRect& rect);
// True when the box reaches the plane or below it (normal . p <= offset).
bool BoxIntersectsHalfSpace(const CollisionBox& box, const CollisionPlane& plane);

} // namespace QRX
