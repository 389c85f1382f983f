#ifndef ZARVY_MATH_VEC3F_H
#define ZARVY_MATH_VEC3F_H

// Three single-precision components with in-place arithmetic. Every
// operation rounds its result to float as it stores it.
//
// Contracts beyond plain arithmetic:
// - normalize() of a zero-length vector leaves it unchanged (all zero), so a
//   degenerate direction can never turn into NaN.
// - rotate() whose receiver x axis vanishes leaves the receiver unchanged.
class Vec3f {
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vec3f() = default;
    Vec3f(float x, float y, float z) : x(x), y(y), z(z) {}
    // The vector that leads from the point `from` to the point `to`.
    Vec3f(Vec3f from, Vec3f to) : x(to.x - from.x), y(to.y - from.y), z(to.z - from.z) {}
    Vec3f(const Vec3f&) = default;
    Vec3f& operator=(const Vec3f&) = default;
    virtual ~Vec3f() = default;

    void add(Vec3f v) { x += v.x; y += v.y; z += v.z; }
    void subtract(Vec3f v) { x -= v.x; y -= v.y; z -= v.z; }
    void scale(float s) { x *= s; y *= s; z *= s; }
    // Replaces the receiver by receiver x v; a vector crossed with itself is zero.
    void cross(Vec3f v);
    float length() const;
    void normalize();
    // Turns about the Z axis; a positive angle (degrees) turns +X toward +Y.
    void rotateZ(float degrees);
    // Turns about the X axis; a positive angle (degrees) turns +Y toward +Z.
    void rotateX(float degrees);
    // Turns toward receiver x axis by `radians` (below 90 degrees), keeping the length.
    void rotate(float radians, Vec3f axis);
};

#endif
