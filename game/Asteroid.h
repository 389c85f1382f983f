#ifndef ZARVY_GAME_ASTEROID_H
#define ZARVY_GAME_ASTEROID_H

#include "math/Vec3f.h"

class BoundingSphere;
class Material;
class Stone;
class TextureObject;

// One rock of the field: a shared stone mesh drawn at a position, spun about
// its own random axis and scaled. Its bounding sphere has the scale as its
// radius and follows setPosition (not update). Only active asteroids move,
// draw and collide.
class Asteroid {
public:
    Asteroid(float scale, Vec3f position, Stone* stone, Material* material,
             TextureObject* texture, bool active);
    virtual ~Asteroid();

    Asteroid(const Asteroid&) = delete;
    Asteroid& operator=(const Asteroid&) = delete;

    void randomizeSpin();
    void update();
    void draw() const;

    Vec3f getPosition() const { return position; }
    void setPosition(Vec3f p);
    Vec3f getDirection() const { return direction; }
    // Stores d at unit length (a zero vector stays zero).
    void setDirection(Vec3f d);
    float getSpeed() const { return speed; }
    void setSpeed(float s) { speed = s; }
    float getScale() const { return scale; }
    BoundingSphere* getSphere() const { return sphere; }
    bool isActive() const { return active; }
    void setActive(bool a) { active = a; }
    Vec3f getAxis() const { return axis; }
    float getAngle() const { return angle; }
    float getSpin() const { return spin; }

private:
    bool active = false;
    Vec3f position;
    Vec3f direction;
    float speed = 0.0f;
    float scale = 0.0f;
    Vec3f axis;
    float angle = 0.0f;
    float spin = 0.0f;
    Stone* stone = nullptr;
    Material* material = nullptr;
    BoundingSphere* sphere = nullptr;
    TextureObject* texture = nullptr;
};

#endif
