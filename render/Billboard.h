#ifndef ZARVY_RENDER_BILLBOARD_H
#define ZARVY_RENDER_BILLBOARD_H

#include "math/Vec3f.h"

#include <string>

class TextureObject;
class VertexBufferObject;
class Material;

// One textured square placed at a point and turned by two direction vectors
// the caller gives (it does not face the camera by itself), with a tick
// countdown: life 0 hides it, -1 shows it forever, a positive life counts
// down and fades the material alpha as sin(pi * life / lifeTotal).
// Sets no blending, depth, culling or texture-environment state of its own.
class Billboard {
public:
    explicit Billboard(std::string texturePath);
    virtual ~Billboard();

    Billboard(const Billboard&) = delete;
    Billboard& operator=(const Billboard&) = delete;

    void start(Vec3f position, Vec3f axisA, Vec3f axisB, float width, float height, int life);
    void tick();
    void draw() const;
    int getLife() const { return life; }

private:
    float width = 0.0f;
    float height = 0.0f;
    Vec3f position;
    Vec3f axisA;
    Vec3f axisB;
    int life = 0;
    int lifeTotal = 0;
    TextureObject* texture = nullptr;
    VertexBufferObject* mesh = nullptr;
    Material* material = nullptr;
};

#endif
