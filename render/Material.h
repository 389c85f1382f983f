#ifndef ZARVY_RENDER_MATERIAL_H
#define ZARVY_RENDER_MATERIAL_H

#include "math/Vec4f.h"

// A front-face surface material. apply() scales diffuse and specular by
// (intensity, intensity, intensity, alpha) on the way to GL and always sends
// the ambient colour with alpha 1; the stored values never change.
class Material {
public:
    Material(Vec4f ambient, Vec4f diffuse, Vec4f specular, float shininess);
    virtual ~Material() = default;

    void apply(float intensity, float alpha) const;

private:
    Vec4f ambient{0.0f, 0.0f, 0.0f, 1.0f};
    Vec4f diffuse{0.0f, 0.0f, 0.0f, 1.0f};
    Vec4f specular{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

#endif
