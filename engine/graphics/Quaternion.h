// The camera's own rotation quaternion, stored w first.
//
// Rotations are unit quaternions acting on column vectors (v' = q v q*), and
// ToMatrix/FromMatrix convert to and from the 3x3 rotation that does the same.
// The product is written so that rotations apply left to right: a *= b makes
// a the Hamilton product b·a, so i *= j gives -k. Angles are degrees.
// (The model reader's glm quaternions store w last; nothing here mixes them.)
#pragma once
#include <glm/glm.hpp>

namespace QRX {

struct Quaternion
{
    float w = 1.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Quaternion() = default;
    Quaternion(float w_, float x_, float y_, float z_) : w(w_), x(x_), y(y_), z(z_) {}

    static Quaternion Identity() { return Quaternion(); }
    // Rotation by angleDegrees about axis (normalised here; a zero axis gives identity).
    static Quaternion FromAxisAngle(const glm::vec3& axis, float angleDegrees);
    // Rotation by the Euler angles in degrees about X, Y and Z, applied in
    // that order in world axes (the rotation Rz·Ry·Rx).
    static Quaternion FromEuler(float xDegrees, float yDegrees, float zDegrees);
    // The quaternion of a rotation matrix (the matrix must be orthonormal).
    static Quaternion FromMatrix(const glm::mat3& rotation);

    // The rotation matrix of the quaternion (normalised first).
    glm::mat3 ToMatrix() const;

    float Length() const;
    // Unit length; a zero quaternion becomes the identity.
    Quaternion& Normalize();

    // a := b·a (Hamilton), see above.
    Quaternion& operator*=(const Quaternion& b);
};

// A copy of a with b applied: b·a (Hamilton).
Quaternion operator*(const Quaternion& a, const Quaternion& b);

// Relative comparison: |(a - b) / b| < 0.000001, with b taken as 1 where it is 0.
bool ApproximatelyEqual(float a, float b);

} // namespace QRX
