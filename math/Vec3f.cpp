#include "math/Vec3f.h"

#include <cmath>

namespace {
// pi / 180 held in single precision.
const float degreesToRadians = 0.017453292f;
}

void Vec3f::cross(Vec3f v)
{
    const float nx = y * v.z - z * v.y;
    const float ny = z * v.x - x * v.z;
    const float nz = x * v.y - y * v.x;
    x = nx;
    y = ny;
    z = nz;
}

float Vec3f::length() const
{
    const float squared = x * x + y * y + z * z;
    return std::sqrt(squared);
}

void Vec3f::normalize()
{
    const float len = length();
    // A zero vector has no direction: leave it alone rather than fill it with NaN.
    if (!(len > 0.0f)) {
        return;
    }
    const float f = 1.0f / len;
    x *= f;
    y *= f;
    z *= f;
}

void Vec3f::rotateZ(float degrees)
{
    const float a = degrees * degreesToRadians;
    const float c = std::cos(a);
    const float s = std::sin(a);
    const float nx = c * x - s * y;
    const float ny = s * x + c * y;
    x = nx;
    y = ny;
}

void Vec3f::rotateX(float degrees)
{
    const float a = degrees * degreesToRadians;
    const float c = std::cos(a);
    const float s = std::sin(a);
    const float ny = c * y - s * z;
    const float nz = s * y + c * z;
    y = ny;
    z = nz;
}

void Vec3f::rotate(float radians, Vec3f axis)
{
    const float len = length();
    Vec3f t = *this;
    t.cross(axis);
    // No perpendicular to turn toward: the turn is undefined, keep the vector.
    if (!(t.length() > 0.0f)) {
        return;
    }
    const float k = std::tan(radians) * len;
    t.normalize();
    t.scale(k);
    add(t);
    normalize();
    scale(len);
}
