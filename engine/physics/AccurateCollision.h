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
//
// Blocks: static solid boxes (objects without bodies, such as the unit
// blocks a level is built of) often lie flush against each other, and the
// faces they share lie inside the solid. The box-box test given the blocks
// around a body (BlockFaces) never pushes the body out through such a face:
// a robot sinking a little into a floor of blocks as it walks over a seam is
// held up by the block it enters, not pushed back by that block's side.
// A face of the block counts as covered when other blocks lie flush against
// it (their near side within FLUSH_TOLERANCE of its plane) and together span
// the rectangle in which the body's bounds meet (or touch) the block's. When
// the axis of least penetration would push the body out through a covered
// face, the least penetrating axis through an open face that the body
// reaches out of is taken; when there is none (a body in the corner of a
// wall and the floor under it) the contact stays as it was, and every other
// contact is made exactly as without the blocks. A body that only touches a
// covered face (zero depth, or within FLUSH_TOLERANCE: the extent of a
// turned body comes out a hair over) makes no contact: blocks lie on whole
// cells, so a crate set down in one cell touches the blocks of the cells
// beside it, whose faces would otherwise cancel every push along the floor,
// and a robot sunk into the floor as it walks flush past a wall's foot
// would be stopped by it. Only
// blocks whose axes all lie within ALIGNED_COSINE of world axes take part, a
// normal goes through a face when it lies within FACE_COSINE of the face's
// axis, and a covering block must meet the body's bounds (so the blocks the
// broad phase pairs with the body are all it needs).
// Steps: when the axis (the least penetrating one, or the one taken in place
// of an axis through a covered face) would push the body back out through an
// open side face while the body's bottom lies at most STEP_HEIGHT below the
// block's open top (and the body reaches above it), the least penetrating
// axis through the top is taken: a robot pressing down sinks that far into
// the floor in one step, and the edge of one walking beside a gap onto a
// wider floor would otherwise catch on the side of the block it steps onto.
// The body must lie over the top by more than FLUSH_TOLERANCE on x and z:
// one only flush with a side stands on nothing.
// Rims: outside the block rules (two bodies, or a body and an ethereal
// field that stops it), a box that would be held up by another's top while
// the two overlap by less than RIM_SLIVER on x or z is pushed off sideways
// instead, along that thin overlap: a crate set down a hair over the rim of
// a see-through wall falls beside it.
#pragma once
#include <cstddef>

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

// The blocks around a body for its box-box test with one of them.
struct BlockFaces
{
    const CollisionBox* block = nullptr;          // the pair's block (one or two of the test)
    const CollisionBox* const* others = nullptr;  // blocks that may cover its faces; block itself is skipped
    std::size_t count = 0;
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
    // The box-box test's axes: three face axes of each box, nine edge axes.
    static constexpr unsigned AXIS_COUNT = 15;
    // Block faces closer than this (world units) are flush.
    static constexpr float FLUSH_TOLERANCE = 1.0e-3f;
    // A block takes part in the face rule when every axis has a component
    // of at least this size (turned by well under a degree).
    static constexpr float ALIGNED_COSINE = 0.9999f;
    // A contact normal goes through a block face when its component along
    // the face's axis is at least this.
    static constexpr float FACE_COSINE = 0.9999f;
    // At most this many blocks cover one face; more leave it uncovered.
    static constexpr std::size_t MAX_COVERING_BLOCKS = 16;
    // How far below a block's open top a body's bottom may lie and still
    // step up onto it: the robot's 5 units a second over the longest step
    // (0.05 s), with the 20 units a second squared its gravity adds in that
    // step, 0.275, and a margin.
    static constexpr float STEP_HEIGHT = 0.3f;
    // The upper y face of a block (2 x axis + 1).
    static constexpr int TOP_FACE = 3;
    // Less overlap than this on x or z holds nothing up (see Rims).
    static constexpr float RIM_SLIVER = 0.1f;

    // Chooses the test for an earlier primitive a and a later one b of the
    // physics step's list: spheres (a, b); box and sphere (box, sphere); two
    // boxes (one = b, two = a); sphere or box with a plane (shape, plane);
    // two planes, or a pair with an unknown kind: nothing. The blocks, when
    // given, go to the box-box test.
    static void CollidePair(const Primitive& a, const Primitive& b, ContactPool& pool,
                            const BlockFaces* blocks = nullptr);

    // First body b's owner, second a's; the normal points from a to b.
    static void SphereAndSphere(const CollisionSphere& a, const CollisionSphere& b, ContactPool& pool);
    // Contact only when the sphere reaches strictly below the plane. First
    // body the sphere's owner, second the plane's.
    static void SphereAndHalfSpace(const CollisionSphere& sphere, const CollisionPlane& plane, ContactPool& pool);
    // First body the box's owner, second the sphere's; a sphere centre inside
    // the box leaves the normal zero.
    static void BoxAndSphere(const CollisionBox& box, const CollisionSphere& sphere, ContactPool& pool);
    // Separating-axis test on the 15 face and edge axes; nothing when either
    // box has no owner. First body one's owner, second two's (two's and
    // one's for a face of two). With blocks whose block is one of the boxes,
    // an axis that would push the other box out through a covered face of
    // the block gives way, or makes no contact at zero depth, as the header
    // says; a null list is an empty one.
    static void BoxAndBox(const CollisionBox& one, const CollisionBox& two, ContactPool& pool,
                          const BlockFaces* blocks = nullptr);
    // Whether the face of the block that the direction (from the block
    // towards the body) goes through is covered by the other blocks where
    // the body meets the block; false for a block or direction off the
    // world axes, or a body that neither meets nor touches the block.
    static bool FaceCovered(const CollisionBox& block, const glm::vec3& direction, const CollisionBox& body,
                            const BlockFaces& blocks);
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

    // World bounds of a box.
    struct Bounds
    {
        glm::vec3 lo{0.0f};
        glm::vec3 hi{0.0f};
    };

private:
    // Whether the block's face (2 x world axis, + 1 for the upper side) is
    // covered where the body's bounds (reach) meet the block's (own).
    static bool CoveredWhereTouched(const CollisionBox& block, const Bounds& own, const Bounds& reach, int face,
                                    const BlockFaces& blocks);
    // When the chosen axis pushes the body out through a covered face of
    // the block, chooses the least penetrating one through an open face the
    // body reaches out of (and the best face axis among those), if any;
    // through an open side face, a body a step below the open top goes up
    // onto it. False when the body only touches (zero depth) a covered face:
    // no contact.
    // When the chosen face axis holds one box up on the other's top over a
    // rim thinner than RIM_SLIVER, takes the face axis across that rim.
    static void SlideOffRim(const CollisionBox& one, const CollisionBox& two, const float depths[AXIS_COUNT],
                            unsigned& best, unsigned& bestSingleAxis);
    static bool AvoidCoveredFaces(const CollisionBox& one, const CollisionBox& two, const BlockFaces& blocks,
                                  const glm::vec3& toCentre, const float depths[AXIS_COUNT], unsigned& best,
                                  unsigned& bestSingleAxis);
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
