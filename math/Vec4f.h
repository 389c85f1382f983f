#ifndef ZARVY_MATH_VEC4F_H
#define ZARVY_MATH_VEC4F_H

// Four single-precision components; colours use x, y, z, w as r, g, b, a.
class Vec4f {
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    Vec4f() = default;
    Vec4f(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}
    Vec4f(const Vec4f&) = default;
    Vec4f& operator=(const Vec4f&) = default;
    virtual ~Vec4f() = default;

    // Component-by-component product, all four components, in place.
    void multiply(Vec4f v) { x *= v.x; y *= v.y; z *= v.z; w *= v.w; }
};

#endif
