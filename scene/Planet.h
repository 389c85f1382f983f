#ifndef ZARVY_SCENE_PLANET_H
#define ZARVY_SCENE_PLANET_H

#include "math/Vec3f.h"

class Material;
class TextureObject;
class Sphere;

// The slowly turning planet below the field, with a translucent cloud layer
// turning at half its speed. After draw() the material state is that of the
// cloud layer; everything drawn later applies its own material.
class Planet {
public:
    Planet(Vec3f position, float radius);
    virtual ~Planet();

    Planet(const Planet&) = delete;
    Planet& operator=(const Planet&) = delete;

    void update();
    void draw() const;
    float getAngle() const { return angle; }

private:
    Vec3f position;
    float radius = 0.0f;
    Material* planetMaterial = nullptr;
    TextureObject* bodyTexture = nullptr;
    TextureObject* cloudTexture = nullptr;
    Sphere* sphere = nullptr;
    float angle = 0.0f;
};

#endif
