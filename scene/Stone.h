#ifndef ZARVY_SCENE_STONE_H
#define ZARVY_SCENE_STONE_H

#include "math/Vec3f.h"

class VertexBufferObject;

// A rock mesh: a 62-vertex low-polygon sphere whose vertices are pulled in
// toward the centre by random amounts (one rand() draw per base vertex, in
// order), expanded to 120 triangles. Normals are those of the round sphere.
// Drawing uses whatever texture, material and transform the caller set.
class Stone {
public:
    Stone(float size, float roughness, Vec3f colour);
    virtual ~Stone();

    Stone(const Stone&) = delete;
    Stone& operator=(const Stone&) = delete;

    void draw() const;
    float getSize() const { return size; }

private:
    float size = 0.0f;
    VertexBufferObject* mesh = nullptr;
};

#endif
