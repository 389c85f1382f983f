#ifndef ZARVY_SCENE_SKYBOX_H
#define ZARVY_SCENE_SKYBOX_H

#include "math/Vec3f.h"

class Camera;
class TextureObject;

// The backdrop: one large textured square facing the origin, the front face
// of a cube whose corners lie `size` from the origin. Drawn unfogged with the
// texel colour replacing the lit colour; leaves fog on, the texture
// environment in modulate, 2D texturing off and the matrix as it found it.
class Skybox {
public:
    Skybox(Camera* camera, float size);
    virtual ~Skybox();

    Skybox(const Skybox&) = delete;
    Skybox& operator=(const Skybox&) = delete;

    void draw() const;
    // Keeps the camera's eye position; drawing does not use it.
    void update();
    Vec3f getLastEye() const { return lastEye; }

private:
    float size = 0.0f;
    TextureObject* texture = nullptr;
    Camera* camera = nullptr;
    Vec3f lastEye;
};

#endif
