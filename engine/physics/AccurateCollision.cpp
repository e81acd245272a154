#include "engine/physics/AccurateCollision.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <utility>

#include <glm/gtc/quaternion.hpp>

#include "engine/core/Logger.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/Contact.h"
#include "engine/physics/Primitive.h"

namespace QRX {

namespace {

// The rotation the tests turn shapes with: the owner's, which equals the
// orientation after UpdateTransform; the orientation itself without an owner.
glm::mat3 RotationOf(const Primitive& primitive)
{
    return primitive.owner ? glm::mat3_cast(primitive.owner->rotation) : primitive.orientation;
}

// Takes a contact from the pool and fills it; false when the pool is dry.
bool MakeContact(ContactPool& pool, GameObject* first, GameObject* second, const glm::vec3& normal,
                 float penetration, const glm::vec3& point)
{
    Contact* contact = pool.Acquire();
    if (!contact) return false;
    contact->contactNormal = normal;
    contact->penetration = penetration;
    contact->contactPoint = point;
    contact->SetBodyData(first, second, pool.restitution);
    return true;
}

// The half extent of a box along an axis.
float ProjectOnAxis(const CollisionBox& box, const glm::vec3& axis)
{
    float sum = 0.0f;
    for (int i = 0; i < 3; ++i) sum += std::fabs(glm::dot(axis, box.GetAxis(i))) * box.scaledHalfSize[i];
    return sum;
}

// The normal of the edge-edge axis 6 + 3i + j, pointing from two to one.
glm::vec3 EdgeNormal(const CollisionBox& one, const CollisionBox& two, unsigned index, const glm::vec3& toCentre)
{
    const int i = static_cast<int>(index - 6) / 3;
    const int j = static_cast<int>(index - 6) % 3;
    glm::vec3 axis = glm::cross(one.GetAxis(i), two.GetAxis(j));
    const float axisLength = glm::length(axis);
    if (axisLength > CollisionDetector::MIN_NORMAL_LENGTH) axis /= axisLength;
    if (glm::dot(axis, toCentre) > 0.0f) axis = -axis;
    return axis;
}

// Contact of the vertex of box v deepest into the face of box f along f's
// axis k; toCentre points from f to v.
void PointFaceContact(const CollisionBox& f, const CollisionBox& v, int k, const glm::vec3& toCentre,
                      float penetration, ContactPool& pool)
{
    glm::vec3 normal = f.GetAxis(k);
    if (glm::dot(normal, toCentre) > 0.0f) normal = -normal;
    glm::vec3 vertex = v.scaledHalfSize;
    for (int m = 0; m < 3; ++m)
        if (glm::dot(v.GetAxis(m), normal) < 0.0f) vertex[m] = -vertex[m];
    const glm::vec3 point = glm::mat3_cast(v.owner->rotation) * vertex + v.owner->position;
    MakeContact(pool, f.owner, v.owner, normal, penetration, point);
}

using Bounds = CollisionDetector::Bounds;

// The world bounds of a box: its centre plus or minus the reach of its
// scaled axes.
Bounds BoundsOf(const CollisionBox& box)
{
    glm::vec3 reach(0.0f);
    for (int k = 0; k < 3; ++k) reach += glm::abs(box.GetAxis(k)) * std::fabs(box.scaledHalfSize[k]);
    const glm::vec3 centre = box.GetCentre();
    return {centre - reach, centre + reach};
}

// Overlap or touch on every axis (not a number never meets).
bool Meeting(const Bounds& a, const Bounds& b)
{
    for (int k = 0; k < 3; ++k)
        if (!(a.lo[k] <= b.hi[k] && b.lo[k] <= a.hi[k])) return false;
    return true;
}

// Every axis of the box lies along a world axis.
bool GridAligned(const CollisionBox& box)
{
    for (int k = 0; k < 3; ++k) {
        const glm::vec3 axis = glm::abs(box.GetAxis(k));
        if (!(std::max(axis.x, std::max(axis.y, axis.z)) >= CollisionDetector::ALIGNED_COSINE)) return false;
    }
    return true;
}

// The world face a direction goes through: 2 x axis, + 1 for the upper
// side; -1 off the axes.
int FaceIndex(const glm::vec3& direction)
{
    for (int k = 0; k < 3; ++k) {
        if (direction[k] >= CollisionDetector::FACE_COSINE) return 2 * k + 1;
        if (direction[k] <= -CollisionDetector::FACE_COSINE) return 2 * k;
    }
    return -1;
}

// Whether the body reaches out of the block through the face.
bool ReachesOut(const Bounds& own, const Bounds& reach, int face)
{
    const int axis = face / 2;
    return face % 2 == 1 ? reach.hi[axis] > own.hi[axis] : reach.lo[axis] < own.lo[axis];
}

// Truncates towards zero into out; false for a non-finite value or one
// outside the 32-bit range.
bool TruncateToWhole(float value, std::int64_t& out)
{
    if (!std::isfinite(value) || std::fabs(value) >= 2147483648.0f) return false;
    out = static_cast<std::int64_t>(value);
    return true;
}

} // namespace

void LineSegment::UpdateDirection()
{
    if (length > MIN_LENGTH) direction = (end - start) / length;
    else length = MIN_LENGTH;
}

void CollisionDetector::CollidePair(const Primitive& a, const Primitive& b, ContactPool& pool,
                                    const BlockFaces* blocks)
{
    auto sphere = [](const Primitive& p) -> const CollisionSphere& { return static_cast<const CollisionSphere&>(p); };
    auto box = [](const Primitive& p) -> const CollisionBox& { return static_cast<const CollisionBox&>(p); };
    auto plane = [](const Primitive& p) -> const CollisionPlane& { return static_cast<const CollisionPlane&>(p); };

    if (a.type == PR_SPHERE && b.type == PR_SPHERE) SphereAndSphere(sphere(a), sphere(b), pool);
    else if (a.type == PR_BOX && b.type == PR_SPHERE) BoxAndSphere(box(a), sphere(b), pool);
    else if (a.type == PR_SPHERE && b.type == PR_BOX) BoxAndSphere(box(b), sphere(a), pool);
    else if (a.type == PR_BOX && b.type == PR_BOX) BoxAndBox(box(b), box(a), pool, blocks);
    else if (a.type == PR_SPHERE && b.type == PR_PLANE) SphereAndHalfSpace(sphere(a), plane(b), pool);
    else if (a.type == PR_PLANE && b.type == PR_SPHERE) SphereAndHalfSpace(sphere(b), plane(a), pool);
    else if (a.type == PR_BOX && b.type == PR_PLANE) BoxAndHalfSpace(box(a), plane(b), pool);
    else if (a.type == PR_PLANE && b.type == PR_BOX) BoxAndHalfSpace(box(b), plane(a), pool);
}

void CollisionDetector::SphereAndSphere(const CollisionSphere& a, const CollisionSphere& b, ContactPool& pool)
{
    const glm::vec3 centreA = a.GetCentre();
    const glm::vec3 d = b.GetCentre() - centreA;
    const float distance = glm::length(d);
    const float reach = a.scaledRadius + b.scaledRadius;
    if (distance < MIN_CENTRE_DISTANCE || distance >= reach) return;
    // The point lies half-way between the centres, inside the overlap.
    MakeContact(pool, b.owner, a.owner, d / distance, reach - distance, centreA + 0.5f * d);
}

void CollisionDetector::SphereAndHalfSpace(const CollisionSphere& sphere, const CollisionPlane& plane,
                                           ContactPool& pool)
{
    const glm::vec3 centre = sphere.GetCentre();
    const float distance = glm::dot(plane.normal, centre) - sphere.scaledRadius - plane.offset;
    if (distance >= 0.0f) return;
    const glm::vec3 point = centre - plane.normal * (distance + sphere.scaledRadius);
    MakeContact(pool, sphere.owner, plane.owner, plane.normal, -distance, point);
}

void CollisionDetector::BoxAndSphere(const CollisionBox& box, const CollisionSphere& sphere, ContactPool& pool)
{
    const glm::vec3 boxCentre = box.GetCentre();
    const glm::vec3 sphereCentre = sphere.GetCentre();
    const float r = sphere.scaledRadius;
    const glm::vec3& h = box.scaledHalfSize;
    if (!SphereOverlap({glm::length(h), boxCentre}, {r, sphereCentre})) return;

    const glm::mat3 rotation = RotationOf(box);
    const glm::vec3 rel = glm::transpose(rotation) * (sphereCentre - boxCentre);
    for (int i = 0; i < 3; ++i)
        if (std::fabs(rel[i]) - r > h[i]) return;

    const glm::vec3 closest = glm::clamp(rel, -h, h);
    const glm::vec3 gap = closest - rel;
    const float gapSquared = glm::dot(gap, gap);
    if (gapSquared > r * r) return;

    const glm::vec3 worldClosest = rotation * closest + boxCentre;
    glm::vec3 normal = worldClosest - sphereCentre;
    const float normalLength = glm::length(normal);
    if (normalLength > MIN_NORMAL_LENGTH) normal /= normalLength;
    MakeContact(pool, box.owner, sphere.owner, normal, r - std::sqrt(gapSquared), worldClosest);
}

void CollisionDetector::BoxAndBox(const CollisionBox& one, const CollisionBox& two, ContactPool& pool,
                                  const BlockFaces* blocks)
{
    if (!one.owner || !two.owner) return;
    const glm::vec3 centreOne = one.GetCentre();
    const glm::vec3 centreTwo = two.GetCentre();
    if (!SphereOverlap({glm::length(one.scaledHalfSize), centreOne}, {glm::length(two.scaledHalfSize), centreTwo}))
        return;

    const glm::vec3 toCentre = centreTwo - centreOne;
    float smallest = FLT_MAX;
    unsigned best = NO_AXIS;
    unsigned bestSingleAxis = NO_AXIS;
    // Each axis's penetration; skipped axes stay at FLT_MAX and are never chosen.
    float depths[AXIS_COUNT];

    // Face axes of one (0-2) and two (3-5), then the edge cross products
    // one.i x two.j (6 + 3i + j). False when the axis separates the boxes.
    auto tryAxis = [&](glm::vec3 axis, unsigned index) {
        depths[index] = FLT_MAX;
        if (glm::dot(axis, axis) < MIN_AXIS_LENGTH_SQUARED) return true;
        axis = glm::normalize(axis);
        const float penetration =
            ProjectOnAxis(one, axis) + ProjectOnAxis(two, axis) - std::fabs(glm::dot(toCentre, axis));
        if (penetration < 0.0f) return false;
        depths[index] = penetration;
        if (penetration < smallest) {
            smallest = penetration;
            best = index;
        }
        return true;
    };
    for (int i = 0; i < 3; ++i)
        if (!tryAxis(one.GetAxis(i), i)) return;
    for (int i = 0; i < 3; ++i)
        if (!tryAxis(two.GetAxis(i), 3 + i)) return;
    bestSingleAxis = best;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (!tryAxis(glm::cross(one.GetAxis(i), two.GetAxis(j)), 6 + 3 * i + j)) return;

    QRX_ASSERT(best != 0xffffff, 0, "No result");
    if (best == NO_AXIS) return;

    const bool withBlock = blocks && blocks->block && (blocks->block == &one || blocks->block == &two);
    if (withBlock && !AvoidCoveredFaces(one, two, *blocks, toCentre, depths, best, bestSingleAxis)) return;
    if (!withBlock) SlideOffRim(one, two, depths, best, bestSingleAxis);
    smallest = depths[best];

    if (best < 3) {
        PointFaceContact(one, two, static_cast<int>(best), toCentre, smallest, pool);
        return;
    }
    if (best < 6) {
        PointFaceContact(two, one, static_cast<int>(best - 3), -toCentre, smallest, pool);
        return;
    }

    const int i = static_cast<int>(best - 6) / 3;
    const int j = static_cast<int>(best - 6) % 3;
    const glm::vec3 axisOne = one.GetAxis(i);
    const glm::vec3 axisTwo = two.GetAxis(j);
    const glm::vec3 axis = EdgeNormal(one, two, best, toCentre);

    // The middle of the edge of each box nearest the other.
    glm::vec3 edgeOne = one.scaledHalfSize;
    glm::vec3 edgeTwo = two.scaledHalfSize;
    for (int k = 0; k < 3; ++k) {
        if (k == i) edgeOne[k] = 0.0f;
        else if (glm::dot(one.GetAxis(k), axis) > 0.0f) edgeOne[k] = -edgeOne[k];
        if (k == j) edgeTwo[k] = 0.0f;
        else if (glm::dot(two.GetAxis(k), axis) < 0.0f) edgeTwo[k] = -edgeTwo[k];
    }
    edgeOne = glm::mat3_cast(one.owner->rotation) * edgeOne + centreOne;
    edgeTwo = glm::mat3_cast(two.owner->rotation) * edgeTwo + centreTwo;

    const glm::vec3 point = EdgeContactPoint(edgeOne, axisOne, one.scaledHalfSize[i], edgeTwo, axisTwo,
                                             two.scaledHalfSize[j], bestSingleAxis > 2);
    MakeContact(pool, one.owner, two.owner, axis, smallest, point);
}

bool CollisionDetector::AvoidCoveredFaces(const CollisionBox& one, const CollisionBox& two,
                                          const BlockFaces& blocks, const glm::vec3& toCentre,
                                          const float depths[AXIS_COUNT], unsigned& best, unsigned& bestSingleAxis)
{
    const CollisionBox& block = *blocks.block;
    const bool blockIsOne = &block == &one;
    const CollisionBox& body = blockIsOne ? two : one;
    if (!GridAligned(block)) return true;
    const Bounds own = BoundsOf(block);
    const Bounds reach = BoundsOf(body);

    // The face of the block an axis would push the body out through, or -1.
    auto faceOf = [&](unsigned index) {
        // The contact normal points from the second body to the first: one's
        // owner is the first for one's faces and the edges, two's for two's.
        glm::vec3 normal;
        if (index < 3) {
            normal = one.GetAxis(static_cast<int>(index));
            if (glm::dot(normal, toCentre) > 0.0f) normal = -normal;
        } else if (index < 6) {
            normal = two.GetAxis(static_cast<int>(index - 3));
            if (glm::dot(normal, -toCentre) > 0.0f) normal = -normal;
        } else {
            normal = EdgeNormal(one, two, index, toCentre);
        }
        const bool oneFirst = index < 3 || index >= 6;
        return FaceIndex(oneFirst == blockIsOne ? -normal : normal);
    };
    // Whether each face is covered: 0 not yet known, 1 covered, 2 open.
    signed char known[6] = {0, 0, 0, 0, 0, 0};
    auto covered = [&](int face) {
        if (known[face] == 0) known[face] = CoveredWhereTouched(block, own, reach, face, blocks) ? 1 : 2;
        return known[face] == 1;
    };
    // Through an open side face: a body whose bottom is only a step below
    // the block's open top goes up onto it instead, if it lies over that
    // top. One merely flush with the block's side (a crate sliding down a
    // wall) has nothing to stand on there. The axis up, or NO_AXIS.
    auto stepUp = [&](int face) {
        const float overX = std::min(own.hi.x, reach.hi.x) - std::max(own.lo.x, reach.lo.x);
        const float overZ = std::min(own.hi.z, reach.hi.z) - std::max(own.lo.z, reach.lo.z);
        unsigned up = NO_AXIS;
        if (face / 2 == 1 || reach.lo.y < own.hi.y - STEP_HEIGHT || std::min(overX, overZ) <= FLUSH_TOLERANCE ||
            !ReachesOut(own, reach, TOP_FACE) || covered(TOP_FACE))
            return up;
        for (unsigned index = 0; index < AXIS_COUNT; ++index)
            if ((up == NO_AXIS || depths[index] < depths[up]) && depths[index] < FLT_MAX && faceOf(index) == TOP_FACE)
                up = index;
        return up;
    };
    auto take = [&](unsigned index) {
        best = index;
        if (index < 6) bestSingleAxis = index;
    };
    const int bestFace = faceOf(best);
    if (bestFace < 0) return true;
    if (!covered(bestFace)) {
        const unsigned up = stepUp(bestFace);
        if (up != NO_AXIS) take(up);
        return true;
    }
    // Only touching a face inside the solid: the body rests in the cell
    // beside this block's (a crate on a floor or a belt), and the face
    // would stop every push along the floor. Within the flush tolerance it
    // touches too: a turned robot's extent comes out a hair over.
    if (depths[best] <= FLUSH_TOLERANCE) return false;

    // Instead the least penetrating axis (the earlier on a tie) through an
    // open face that the body reaches out of; without one (a body in the
    // corner of a wall and the floor) the contact stays as it was.
    // That face a side, the step rule above holds too: a robot walking
    // onto a wider floor with its side a hair over the next row's block.
    unsigned chosen = NO_AXIS;
    unsigned chosenSingle = NO_AXIS;
    int chosenFace = -1;
    float least = FLT_MAX;
    for (unsigned index = 0; index < AXIS_COUNT; ++index) {
        if (!(depths[index] < least)) continue;
        const int face = faceOf(index);
        if (face < 0 || !ReachesOut(own, reach, face) || covered(face)) continue;
        least = depths[index];
        chosen = index;
        chosenFace = face;
        if (index < 6) chosenSingle = index;
    }
    if (chosen == NO_AXIS) return true;
    best = chosen;
    bestSingleAxis = chosenSingle;
    const unsigned up = stepUp(chosenFace);
    if (up != NO_AXIS) take(up);
    return true;
}

void CollisionDetector::SlideOffRim(const CollisionBox& one, const CollisionBox& two, const float depths[AXIS_COUNT],
                                    unsigned& best, unsigned& bestSingleAxis)
{
    auto axisOf = [&](unsigned index) {
        return index < 3 ? one.GetAxis(static_cast<int>(index)) : two.GetAxis(static_cast<int>(index - 3));
    };
    if (best >= 6 || std::fabs(axisOf(best).y) < FACE_COSINE || !GridAligned(one) || !GridAligned(two)) return;
    const Bounds a = BoundsOf(one);
    const Bounds b = BoundsOf(two);
    const float overX = std::min(a.hi.x, b.hi.x) - std::max(a.lo.x, b.lo.x);
    const float overZ = std::min(a.hi.z, b.hi.z) - std::max(a.lo.z, b.lo.z);
    if (std::min(overX, overZ) >= RIM_SLIVER) return;
    // Off sideways along the thinner overlap.
    const int across = overX < overZ ? 0 : 2;
    for (unsigned index = 0; index < 6; ++index) {
        if (depths[index] < FLT_MAX && std::fabs(axisOf(index)[across]) >= FACE_COSINE) {
            best = index;
            bestSingleAxis = index;
            return;
        }
    }
}

bool CollisionDetector::FaceCovered(const CollisionBox& block, const glm::vec3& direction, const CollisionBox& body,
                                    const BlockFaces& blocks)
{
    const int face = FaceIndex(direction);
    if (face < 0 || !GridAligned(block)) return false;
    return CoveredWhereTouched(block, BoundsOf(block), BoundsOf(body), face, blocks);
}

bool CollisionDetector::CoveredWhereTouched(const CollisionBox& block, const Bounds& own, const Bounds& reach, int face,
                                            const BlockFaces& blocks)
{
    if (!Meeting(own, reach)) return false;
    const int axis = face / 2;
    const bool upper = face % 2 == 1;
    const int tangent[2] = {(axis + 1) % 3, (axis + 2) % 3};
    const float plane = upper ? own.hi[axis] : own.lo[axis];

    // The rectangle, on the face, in which the body meets the block; a
    // sliver thinner than the tolerance is taken as its middle line.
    float lo[2], hi[2];
    for (int k = 0; k < 2; ++k) {
        const int t = tangent[k];
        lo[k] = std::max(own.lo[t], reach.lo[t]) + FLUSH_TOLERANCE;
        hi[k] = std::min(own.hi[t], reach.hi[t]) - FLUSH_TOLERANCE;
        if (lo[k] > hi[k]) lo[k] = hi[k] = 0.5f * (lo[k] + hi[k]);
    }

    // The flush blocks beyond the face that reach into the body.
    Bounds cover[MAX_COVERING_BLOCKS];
    std::size_t count = 0;
    const std::size_t listed = blocks.others ? blocks.count : 0;
    for (std::size_t n = 0; n < listed; ++n) {
        const CollisionBox* other = blocks.others[n];
        if (!other || other == &block || !GridAligned(*other)) continue;
        const Bounds bounds = BoundsOf(*other);
        const float near = upper ? bounds.lo[axis] : bounds.hi[axis];
        if (!(std::fabs(near - plane) <= FLUSH_TOLERANCE) || !Meeting(bounds, reach)) continue;
        if (count == MAX_COVERING_BLOCKS) return false;
        cover[count++] = bounds;
    }
    if (count == 0) return false;

    // The rectangle is covered when the middle of every cell that the
    // covering blocks' edges cut it into lies in one of them.
    float cuts[2][2 * MAX_COVERING_BLOCKS + 2];
    std::size_t cutCount[2];
    for (int k = 0; k < 2; ++k) {
        const int t = tangent[k];
        std::size_t c = 0;
        cuts[k][c++] = lo[k];
        for (std::size_t n = 0; n < count; ++n)
            for (float edge : {cover[n].lo[t], cover[n].hi[t]})
                if (edge > lo[k] && edge < hi[k]) cuts[k][c++] = edge;
        cuts[k][c++] = hi[k];
        std::sort(cuts[k], cuts[k] + c);
        cutCount[k] = c;
    }
    for (std::size_t i = 0; i + 1 < cutCount[0]; ++i) {
        const float u = 0.5f * (cuts[0][i] + cuts[0][i + 1]);
        for (std::size_t j = 0; j + 1 < cutCount[1]; ++j) {
            const float v = 0.5f * (cuts[1][j] + cuts[1][j + 1]);
            bool inside = false;
            for (std::size_t n = 0; n < count && !inside; ++n)
                inside = cover[n].lo[tangent[0]] <= u && u <= cover[n].hi[tangent[0]] &&
                         cover[n].lo[tangent[1]] <= v && v <= cover[n].hi[tangent[1]];
            if (!inside) return false;
        }
    }
    return true;
}

glm::vec3 CollisionDetector::EdgeContactPoint(const glm::vec3& pOne, const glm::vec3& dOne, float sOne,
                                              const glm::vec3& pTwo, const glm::vec3& dTwo, float sTwo,
                                              bool useOne)
{
    const float a = glm::dot(dOne, dOne);
    const float b = glm::dot(dTwo, dTwo);
    const float c = glm::dot(dOne, dTwo);
    const glm::vec3 w = pOne - pTwo;
    const float e = glm::dot(dOne, w);
    const float f = glm::dot(dTwo, w);
    const float denominator = a * b - c * c;
    if (std::fabs(denominator) < MIN_EDGE_DENOMINATOR) return useOne ? pOne : pTwo;

    const float mua = (c * f - b * e) / denominator;
    const float mub = (a * f - c * e) / denominator;
    if (mua > sOne || mua < -sOne || mub > sTwo || mub < -sTwo) return useOne ? pOne : pTwo;
    return 0.5f * ((pOne + dOne * mua) + (pTwo + dTwo * mub));
}

void CollisionDetector::BoxAndHalfSpace(const CollisionBox& box, const CollisionPlane& plane, ContactPool& pool)
{
    if (!BoxIntersectsHalfSpace(box, plane)) return;
    static const glm::vec3 signs[8] = {{1, 1, 1},  {-1, 1, 1},  {1, -1, 1},  {-1, -1, 1},
                                       {1, 1, -1}, {-1, 1, -1}, {1, -1, -1}, {-1, -1, -1}};
    const glm::mat3 rotation = RotationOf(box);
    const glm::vec3 centre = box.GetCentre();
    for (const glm::vec3& sign : signs) {
        const glm::vec3 vertex = rotation * (box.scaledHalfSize * sign) + centre;
        const float distance = glm::dot(plane.normal, vertex);
        if (distance > plane.offset) continue;
        // The vertex projected onto the plane.
        const glm::vec3 point = vertex - plane.normal * (distance - plane.offset);
        MakeContact(pool, box.owner, plane.owner, plane.normal, plane.offset - distance, point);
        return;
    }
}

bool CollisionDetector::SegmentAndBox(const LineSegment& segment, const CollisionBox& box, float& t,
                                      glm::vec3& point)
{
    const glm::mat3 rotation = RotationOf(box);
    const glm::mat3 inverse = glm::transpose(rotation);
    const glm::vec3 centre = box.GetCentre();
    const glm::vec3 s = inverse * (segment.start - centre);
    const glm::vec3 d = inverse * (segment.end - centre) - s;
    const glm::vec3 maxBound = box.scaledHalfSize + glm::vec3(segment.radius);
    const glm::vec3 minBound = -maxBound;

    float tmin = 0.0f;
    float tmax = 1.0f;
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(d[i]) >= MIN_SEGMENT_DIRECTION) {
            float t1 = (minBound[i] - s[i]) / d[i];
            float t2 = (maxBound[i] - s[i]) / d[i];
            if (t1 > t2) std::swap(t1, t2);
            tmin = std::max(tmin, t1);
            tmax = std::min(tmax, t2);
        } else if (s[i] < minBound[i] || s[i] > maxBound[i]) {
            return false;
        }
        if (tmax < tmin) return false;
    }
    t = tmin;
    point = rotation * (s + tmin * d) + centre;
    return true;
}

bool SphereOverlap(const BoundingSphere& a, const BoundingSphere& b)
{
    const glm::vec3 d = a.centre - b.centre;
    const float reach = a.radius + b.radius;
    return glm::dot(d, d) < reach * reach;
}

bool PointInSphere(const glm::vec3& point, const BoundingSphere& sphere)
{
    const glm::vec3 d = point - sphere.centre;
    return glm::dot(d, d) <= sphere.radius * sphere.radius;
}

bool BoxOverlap(const BoundingBox& a, const BoundingBox& b)
{
    for (int i = 0; i < 3; ++i) {
        std::int64_t extent = 0;
        std::int64_t distance = 0;
        if (!TruncateToWhole(a.halfExtent[i] + b.halfExtent[i], extent)) return false;
        if (!TruncateToWhole((a.centre[i] - b.centre[i]) + static_cast<float>(extent), distance)) return false;
        if (distance < 0 || distance > 2 * extent) return false;
    }
    return true;
}

bool PointInRect(const glm::vec2& point, const BoundingRect& rect)
{
    return rect.centre.x - rect.halfExtent.x <= point.x && point.x <= rect.centre.x + rect.halfExtent.x &&
           rect.centre.y - rect.halfExtent.y <= point.y && point.y <= rect.centre.y + rect.halfExtent.y;
}

bool BoxIntersectsHalfSpace(const CollisionBox& box, const CollisionPlane& plane)
{
    return glm::dot(plane.normal, box.GetCentre()) - ProjectOnAxis(box, plane.normal) <= plane.offset;
}

} // namespace QRX
