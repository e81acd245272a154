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

void CollisionDetector::CollidePair(const Primitive& a, const Primitive& b, ContactPool& pool)
{
    auto sphere = [](const Primitive& p) -> const CollisionSphere& { return static_cast<const CollisionSphere&>(p); };
    auto box = [](const Primitive& p) -> const CollisionBox& { return static_cast<const CollisionBox&>(p); };
    auto plane = [](const Primitive& p) -> const CollisionPlane& { return static_cast<const CollisionPlane&>(p); };

    if (a.type == PR_SPHERE && b.type == PR_SPHERE) SphereAndSphere(sphere(a), sphere(b), pool);
    else if (a.type == PR_BOX && b.type == PR_SPHERE) BoxAndSphere(box(a), sphere(b), pool);
    else if (a.type == PR_SPHERE && b.type == PR_BOX) BoxAndSphere(box(b), sphere(a), pool);
    else if (a.type == PR_BOX && b.type == PR_BOX) BoxAndBox(box(b), box(a), pool);
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

void CollisionDetector::BoxAndBox(const CollisionBox& one, const CollisionBox& two, ContactPool& pool)
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

    // Face axes of one (0-2) and two (3-5), then the edge cross products
    // one.i x two.j (6 + 3i + j). False when the axis separates the boxes.
    auto tryAxis = [&](glm::vec3 axis, unsigned index) {
        if (glm::dot(axis, axis) < MIN_AXIS_LENGTH_SQUARED) return true;
        axis = glm::normalize(axis);
        const float penetration =
            ProjectOnAxis(one, axis) + ProjectOnAxis(two, axis) - std::fabs(glm::dot(toCentre, axis));
        if (penetration < 0.0f) return false;
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
    glm::vec3 axis = glm::cross(axisOne, axisTwo);
    const float axisLength = glm::length(axis);
    if (axisLength > MIN_NORMAL_LENGTH) axis /= axisLength;
    if (glm::dot(axis, toCentre) > 0.0f) axis = -axis;

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
