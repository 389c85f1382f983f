#include "game/Player.h"

#include "app/Input.h"
#include "math/AABoundBox.h"
#include "render/Billboard.h"
#include "render/Camera.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Ship.h"

#include <GL/glew.h>
#include <cmath>

namespace {
// The window the ship slides in.
const float maxX = 20.0f;
const float maxY = 25.0f;
const float minY = -8.0f;

// Rate and speed steps, applied in double precision and stored as float.
const double rateGain = 0.04;
const double counterBraking = 0.06;
const double rateDecay = 0.06;
const double rateSnap = 0.072;
const double cruiseSpeed = 1.5;
const double boostLimit = 4.0;
const double boostStep = 0.1;
const double brakeStep = 0.2;
const double coastDown = 0.1;
const double coastUp = 0.01;

const int rollStep = 10;
const int rollLimit = 90;
// Past this roll the ship lies on its side: vertical motion shows as bank.
const int sideRoll = 60;
const float tiltPerRate = 20.0f;

// The lateral window's outer half and the vertical window's outer quarters
// ease the tilt, so the ship levels out as it reaches a wall.
const float lateralEaseStart = 10.0f;
const float upperEaseStart = 18.75f;
const float lowerEaseStart = -6.0f;

float stepped(float value, double step)
{
    return static_cast<float>(value + step);
}

// One tick of a rate driven by a pair of keys. `lowKey` pushes toward the
// negative side, `highKey` toward the positive side; at a wall the rate is
// reset before the key's own step.
float stepRate(float rate, bool lowKey, bool highKey, bool atWall)
{
    if (lowKey) {
        if (atWall) {
            rate = 0.0f;
        }
        if (rate > 0.0f) {
            rate = stepped(rate, -counterBraking);
        }
        if (std::fabs(rate) < 1.0f) {
            rate = stepped(rate, -rateGain);
        }
    }
    if (highKey) {
        if (atWall) {
            rate = 0.0f;
        }
        if (rate < 0.0f) {
            rate = stepped(rate, counterBraking);
        }
        if (std::fabs(rate) < 1.0f) {
            rate = stepped(rate, rateGain);
        }
    }
    if (!lowKey && !highKey) {
        if (std::fabs(rate) < rateSnap) {
            rate = 0.0f;
        } else if (rate > 0.0f) {
            rate = stepped(rate, -rateDecay);
        } else {
            rate = stepped(rate, rateDecay);
        }
    }
    return rate;
}

// Moves a coordinate by its rate and keeps it inside [low, high]; a zero
// rate leaves it untouched.
float integrate(float coordinate, float rate, float low, float high)
{
    if (rate > 0.0f) {
        coordinate += rate;
        if (coordinate > high) {
            coordinate = high;
        }
    } else if (rate < 0.0f) {
        coordinate += rate;
        if (coordinate < low) {
            coordinate = low;
        }
    }
    return coordinate;
}

struct FlameQuad {
    bool bottom;
    Vec3f position;
    Vec3f axisA;
    Vec3f axisB;
    float width;
    float height;
};

// Two crossed tongues behind each nozzle and a glow square at each nozzle,
// in the ship's model space (nozzles at x = +-0.825, y = -0.3).
const FlameQuad flameQuads[6] = {
    {false, Vec3f(0.825f, -0.3f, -3.5f), Vec3f(0.0f, 1.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), 0.4f, 0.75f},
    {false, Vec3f(-0.825f, -0.3f, -3.5f), Vec3f(0.0f, 1.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), 0.4f, 0.75f},
    {false, Vec3f(0.825f, -0.3f, -3.5f), Vec3f(0.0f, 1.0f, 0.0f), Vec3f(-1.0f, 0.0f, 0.0f), 0.4f, 0.75f},
    {false, Vec3f(-0.825f, -0.3f, -3.5f), Vec3f(0.0f, 1.0f, 0.0f), Vec3f(-1.0f, 0.0f, 0.0f), 0.4f, 0.75f},
    {true, Vec3f(0.825f, -0.3f, -2.8f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f), 0.5f, 0.5f},
    {true, Vec3f(-0.825f, -0.3f, -2.8f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f), 0.5f, 0.5f},
};
}

Player::Player(Camera* camera, Input* input) : camera(camera), input(input)
{
    // Creation order fixes the order of any texture load messages.
    ship = new Ship();
    texture = new TextureObject("Textures/fighter.png");
    flame = new Billboard("Textures/flame.png");
    flameBottom = new Billboard("Textures/flameBottom.png");
    material = new Material(Vec4f(0.2f, 0.2f, 0.2f, 1.0f), Vec4f(0.5f, 0.5f, 0.5f, 1.0f),
                            Vec4f(0.5f, 0.5f, 0.5f, 1.0f), 128.0f);
}

Player::~Player()
{
    delete material;
    delete flameBottom;
    delete flame;
    delete texture;
    delete ship;
}

AABoundBox* Player::getBox() const
{
    return ship->getBox();
}

void Player::place(Vec3f newPosition, Vec3f newForward, Vec3f newUp)
{
    position = newPosition;
    forward = newForward;
    up = newUp;
    placed = true;
    // Move first, then scale: the scale works about the world origin.
    AABoundBox* box = ship->getBox();
    box->moveTo(position);
    box->scale(0.8f, 0.5f, 0.8f);
}

void Player::update()
{
    if (!inControl) {
        return;
    }

    // w drives the ship down, s up; a left, d right.
    const bool atVerticalWall = position.y >= maxY || position.y <= minY;
    velocity.y = stepRate(velocity.y, input->isKeyDown('w'), input->isKeyDown('s'), atVerticalWall);
    const bool atLateralWall = std::fabs(position.x) >= maxX;
    velocity.x = stepRate(velocity.x, input->isKeyDown('a'), input->isKeyDown('d'), atLateralWall);

    const bool brake = input->isKeyDown('f');
    const bool boost = input->isKeyDown('r');
    if (brake) {
        if (velocity.z > cruiseSpeed) {
            velocity.z = stepped(velocity.z, -brakeStep);
        }
        if (velocity.z < cruiseSpeed) {
            velocity.z = static_cast<float>(cruiseSpeed);
        }
    }
    if (boost) {
        if (velocity.z < boostLimit) {
            velocity.z = stepped(velocity.z, boostStep);
        }
    }
    if (!brake && !boost) {
        // The two coasting steps differ, so a released boost ends in a
        // small sawtooth around cruise rather than exactly on it.
        if (velocity.z > cruiseSpeed) {
            velocity.z = stepped(velocity.z, -coastDown);
        } else if (velocity.z < cruiseSpeed) {
            velocity.z = stepped(velocity.z, coastUp);
        }
    }

    const bool rollClockwise = input->isKeyDown('-');
    const bool rollCounterClockwise = input->isKeyDown('.');
    if (rollClockwise && roll > -rollLimit) {
        roll -= rollStep;
    }
    if (rollCounterClockwise && roll < rollLimit) {
        roll += rollStep;
    }
    if (!rollClockwise && !rollCounterClockwise) {
        if (roll < 0) {
            roll += rollStep;
        }
        if (roll > 0) {
            roll -= rollStep;
        }
    }

    position.x = integrate(position.x, velocity.x, -maxX, maxX);
    position.y = integrate(position.y, velocity.y, minY, maxY);

    updateAttitude();

    ship->getBox()->moveTo(position);

    // The camera trails by 30 units at cruise and 5 more per unit of extra
    // speed, follows a third of the ship's offset and looks 10 units ahead.
    const float extraSpeed = std::fmax(0.0f, velocity.z - 1.5f);
    const Vec3f eye(0.33f * position.x, 0.33f * position.y + 5.0f,
                    position.z + 30.0f + 5.0f * extraSpeed);
    const Vec3f centre(eye.x + 0.2f * position.x, eye.y + 0.2f * position.y, position.z - 10.0f);
    camera->setView(eye, centre, Vec3f(0.0f, 1.0f, 0.0f));
}

void Player::updateAttitude()
{
    if (!placed) {
        return;
    }
    float tiltX = tiltPerRate * velocity.x;
    float tiltY = tiltPerRate * velocity.y;

    // Signed comparisons: the eased value replaces the tilt only when it is
    // smaller, so a negative tilt is never eased.
    if (velocity.x != 0.0f && std::fabs(position.x) > lateralEaseStart) {
        const float t = 2.0f * (1.0f - std::fabs(position.x) / maxX);
        const float eased = tiltX * t * t * t;
        if (tiltX > eased) {
            tiltX = eased;
        }
    }
    if (velocity.y != 0.0f) {
        float eased = tiltY;
        if (position.y > upperEaseStart) {
            const float t = 4.0f * (1.0f - std::fabs(position.y) / maxY);
            eased = tiltY * t * t * t;
        } else if (position.y < lowerEaseStart) {
            const float t = 4.0f * (1.0f - std::fabs(position.y) / -minY);
            eased = tiltY * t * t * t;
        }
        if (tiltY > eased) {
            tiltY = eased;
        }
    }

    up = Vec3f(0.0f, 1.0f, 0.0f);
    forward = Vec3f(0.0f, 0.0f, -1.0f);
    if (std::abs(roll) > sideRoll && roll > 0) {
        up.rotateZ(-tiltY);
        forward.rotateX(-tiltX);
    } else if (std::abs(roll) > sideRoll && roll < 0) {
        up.rotateZ(tiltY);
        forward.rotateX(tiltX);
    } else {
        up.rotateZ(-tiltX);
        forward.rotateX(tiltY);
    }
    up.normalize();
    forward.normalize();
}

void Player::draw()
{
    if (!placed) {
        return;
    }
    material->apply(1.0f, 1.0f);
    glPushMatrix();
        Vec3f s = up;
        s.cross(forward);
        s.normalize();
        Vec3f u = forward;
        u.cross(s);
        u.normalize();
        forward.normalize();
        const Vec3f& f = forward;
        // Rows s, u, f: the mesh's +z nose is laid along the ship's forward.
        const GLfloat attitude[16] = {
            s.x, u.x, f.x, 0.0f,
            s.y, u.y, f.y, 0.0f,
            s.z, u.z, f.z, 0.0f,
            0.0f, 0.0f, 0.0f, 1.0f,
        };
        glTranslatef(position.x, position.y, position.z);
        glRotatef(static_cast<float>(roll), 0.0f, 0.0f, 1.0f);
        glMultMatrixf(attitude);

        texture->bind();
        ship->draw();
        texture->unbind();

        // The flames are seen from both sides, keep their own texture colour
        // and do not write depth, so the tongues never hide each other.
        glDisable(GL_CULL_FACE);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
            for (const FlameQuad& quad : flameQuads) {
                Billboard* billboard = quad.bottom ? flameBottom : flame;
                billboard->start(quad.position, quad.axisA, quad.axisB, quad.width, quad.height, -1);
                billboard->draw();
            }
        // Culling stays on from here: every later draw relies on it.
        glEnable(GL_CULL_FACE);
        glDepthMask(GL_TRUE);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPopMatrix();
}
