#ifndef ZARVY_RENDER_CAMERA_H
#define ZARVY_RENDER_CAMERA_H

#include "math/Vec3f.h"

class Input;

// The one view of the scene: eye, the point looked at, an up vector and the
// unit direction from eye to centre (kept in step by every operation that
// moves eye or centre). Up is stored as given and only roll changes it.
// Pitch refuses a step that would bring the view within one degree of up or
// of its opposite, so the camera's right vector never vanishes.
class Camera {
public:
    Camera(float eyeX, float eyeY, float eyeZ,
           float centreX, float centreY, float centreZ,
           float upX, float upY, float upZ);
    virtual ~Camera() = default;

    // Multiplies the view transform onto the current matrix.
    void lookAt() const;
    void setView(Vec3f eye, Vec3f centre, Vec3f up);
    // A step in the camera's own frame: dx along right, dy along up, dz along the view.
    void move(float dx, float dy, float dz);
    // Positive turns the view down.
    void pitch(float degrees);
    // Positive turns the view right.
    void yaw(float degrees);
    // Positive tilts the up vector to the left.
    void roll(float degrees);
    // One tick of the free camera: each held key applies its step once.
    void freeCameraTick(const Input* input);

    Vec3f getEye() const { return eye; }
    Vec3f getCentre() const { return centre; }
    Vec3f getUp() const { return up; }
    Vec3f getDirection() const { return direction; }

private:
    void updateDirection();

    Vec3f eye;
    Vec3f centre;
    Vec3f up;
    Vec3f direction;
};

#endif
