#ifndef ZARVY_GAME_PLAYER_H
#define ZARVY_GAME_PLAYER_H

#include "math/Vec3f.h"

class AABoundBox;
class Billboard;
class Camera;
class Input;
class Material;
class Ship;
class TextureObject;

// The fighter the user flies. It never moves along z: it slides within a
// window in x and y, its bank and pitch picture its sideways and vertical
// rates, and its forward speed is handed to the asteroid field. While in
// control, update() reads the flight keys and puts the camera behind it.
// draw() leaves face culling on, depth writes on and the texture
// environment in modulate.
class Player {
public:
    Player(Camera* camera, Input* input);
    virtual ~Player();

    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    void place(Vec3f position, Vec3f forward, Vec3f up);
    void update();
    void draw();

    float getSpeed() const { return velocity.z; }
    void setSpeed(float speed) { velocity.z = speed; }
    AABoundBox* getBox() const;
    Vec3f getPosition() const { return position; }
    bool isInControl() const { return inControl; }
    void takeControl() { inControl = true; }
    void releaseControl() { inControl = false; }

    Vec3f getVelocity() const { return velocity; }
    Vec3f getForward() const { return forward; }
    Vec3f getUp() const { return up; }
    int getRoll() const { return roll; }

private:
    void updateAttitude();

    Ship* ship = nullptr;
    Material* material = nullptr;
    TextureObject* texture = nullptr;
    Billboard* flameBottom = nullptr;
    Billboard* flame = nullptr;
    Vec3f position;
    Vec3f forward;
    Vec3f up;
    Camera* camera = nullptr;
    Input* input = nullptr;
    bool placed = false;
    bool inControl = false;
    Vec3f velocity{0.0f, 0.0f, 1.5f};
    int roll = 0;
};

#endif
