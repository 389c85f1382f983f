#ifndef ZARVY_SCENE_SPHERE_H
#define ZARVY_SCENE_SPHERE_H

#include "math/Vec3f.h"

class VertexBufferObject;

// The fixed unit sphere: 16 rings, 32 segments, 960 triangles, smooth
// normals and texture coordinates that repeat four times each way.
// Drawing uses the caller's matrix, material and texture.
class Sphere {
public:
    explicit Sphere(Vec3f color);
    virtual ~Sphere();

    Sphere(const Sphere&) = delete;
    Sphere& operator=(const Sphere&) = delete;

    void draw() const;

private:
    VertexBufferObject* vbo = nullptr;
};

#endif
