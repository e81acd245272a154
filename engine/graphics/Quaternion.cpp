#include "engine/graphics/Quaternion.h"

#include <cmath>

namespace QRX {

namespace {
constexpr float DEG_TO_RAD = 3.14159265358979f / 180.0f;
}

Quaternion Quaternion::FromAxisAngle(const glm::vec3& axis, float angleDegrees)
{
    float length = glm::length(axis);
    if (length <= 0.0f) return Quaternion();
    glm::vec3 unit = axis / length;
    float half = 0.5f * angleDegrees * DEG_TO_RAD;
    float s = std::sin(half);
    return Quaternion(std::cos(half), unit.x * s, unit.y * s, unit.z * s);
}

Quaternion Quaternion::FromEuler(float xDegrees, float yDegrees, float zDegrees)
{
    // Rz·Ry·Rx: X first. Each factor applied with *= lands on the left.
    Quaternion q = FromAxisAngle(glm::vec3(1.0f, 0.0f, 0.0f), xDegrees);
    q *= FromAxisAngle(glm::vec3(0.0f, 1.0f, 0.0f), yDegrees);
    q *= FromAxisAngle(glm::vec3(0.0f, 0.0f, 1.0f), zDegrees);
    return q;
}

Quaternion Quaternion::FromMatrix(const glm::mat3& m)
{
    // glm is column-major: m[column][row]. Pick the largest diagonal term so
    // the square root never sees a tiny number.
    const float m00 = m[0][0], m11 = m[1][1], m22 = m[2][2];
    const float trace = m00 + m11 + m22;
    Quaternion q;
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;
        q.w = 0.25f * s;
        q.x = (m[1][2] - m[2][1]) / s;
        q.y = (m[2][0] - m[0][2]) / s;
        q.z = (m[0][1] - m[1][0]) / s;
    } else if (m00 > m11 && m00 > m22) {
        float s = std::sqrt(1.0f + m00 - m11 - m22) * 2.0f;
        q.w = (m[1][2] - m[2][1]) / s;
        q.x = 0.25f * s;
        q.y = (m[1][0] + m[0][1]) / s;
        q.z = (m[2][0] + m[0][2]) / s;
    } else if (m11 > m22) {
        float s = std::sqrt(1.0f + m11 - m00 - m22) * 2.0f;
        q.w = (m[2][0] - m[0][2]) / s;
        q.x = (m[1][0] + m[0][1]) / s;
        q.y = 0.25f * s;
        q.z = (m[2][1] + m[1][2]) / s;
    } else {
        float s = std::sqrt(1.0f + m22 - m00 - m11) * 2.0f;
        q.w = (m[0][1] - m[1][0]) / s;
        q.x = (m[2][0] + m[0][2]) / s;
        q.y = (m[2][1] + m[1][2]) / s;
        q.z = 0.25f * s;
    }
    return q.Normalize();
}

glm::mat3 Quaternion::ToMatrix() const
{
    Quaternion q = *this;
    q.Normalize();
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    glm::mat3 m;
    m[0][0] = 1.0f - 2.0f * (yy + zz);
    m[0][1] = 2.0f * (xy + wz);
    m[0][2] = 2.0f * (xz - wy);
    m[1][0] = 2.0f * (xy - wz);
    m[1][1] = 1.0f - 2.0f * (xx + zz);
    m[1][2] = 2.0f * (yz + wx);
    m[2][0] = 2.0f * (xz + wy);
    m[2][1] = 2.0f * (yz - wx);
    m[2][2] = 1.0f - 2.0f * (xx + yy);
    return m;
}

float Quaternion::Length() const { return std::sqrt(w * w + x * x + y * y + z * z); }

Quaternion& Quaternion::Normalize()
{
    float length = Length();
    if (length <= 0.0f || !std::isfinite(length)) {
        *this = Quaternion();
        return *this;
    }
    w /= length;
    x /= length;
    y /= length;
    z /= length;
    return *this;
}

Quaternion& Quaternion::operator*=(const Quaternion& b)
{
    const Quaternion a = *this;
    w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    x = a.x * b.w + a.w * b.x - a.y * b.z + a.z * b.y;
    y = a.w * b.y + a.y * b.w + a.x * b.z - a.z * b.x;
    z = a.w * b.z + a.z * b.w + a.y * b.x - a.x * b.y;
    return *this;
}

Quaternion operator*(const Quaternion& a, const Quaternion& b)
{
    Quaternion result = a;
    result *= b;
    return result;
}

bool ApproximatelyEqual(float a, float b)
{
    float reference = (b == 0.0f) ? 1.0f : b;
    return std::fabs((a - b) / reference) < 0.000001f;
}

} // namespace QRX
