#include "render/Camera.h"

#include "app/Input.h"

#include <GL/glu.h>
#include <cmath>

namespace {
// pi / 180 as a decimal, applied in double precision and rounded to float.
float toRadians(float degrees)
{
    return static_cast<float>(degrees * 0.0174533);
}

// Closest the view direction may come to the up vector, or to its opposite.
const double minimumPoleAngleDegrees = 1.0;

// M_PI is POSIX's, not standard C++'s: the Windows C library lacks it.
const double pi = 3.14159265358979323846;
}

Camera::Camera(float eyeX, float eyeY, float eyeZ,
               float centreX, float centreY, float centreZ,
               float upX, float upY, float upZ)
    : eye(eyeX, eyeY, eyeZ), centre(centreX, centreY, centreZ), up(upX, upY, upZ)
{
    updateDirection();
}

void Camera::updateDirection()
{
    direction = Vec3f(eye, centre);
    direction.normalize();
}

void Camera::lookAt() const
{
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
}

void Camera::setView(Vec3f newEye, Vec3f newCentre, Vec3f newUp)
{
    eye = newEye;
    centre = newCentre;
    up = newUp;
    updateDirection();
}

void Camera::move(float dx, float dy, float dz)
{
    Vec3f right = direction;
    right.cross(up);
    const Vec3f d((direction.x * dz + up.x * dy) + right.x * dx,
                  (direction.y * dz + up.y * dy) + right.y * dx,
                  (direction.z * dz + up.z * dy) + right.z * dx);
    eye.add(d);
    centre.add(d);
    updateDirection();
}

void Camera::pitch(float degrees)
{
    Vec3f axis = direction;
    axis.cross(up);
    Vec3f turned = direction;
    turned.rotate(toRadians(degrees), axis);

    // Keep clear of the pole, where direction x up vanishes and the turn
    // axis, the right vector and the view transform all degenerate.
    const float upLength = up.length();
    const float turnedLength = turned.length();
    if (upLength > 0.0f && turnedLength > 0.0f) {
        double cosine = (turned.x * up.x + turned.y * up.y + turned.z * up.z)
                        / (static_cast<double>(upLength) * turnedLength);
        cosine = std::fmax(-1.0, std::fmin(1.0, cosine));
        const double angle = std::acos(cosine) * 180.0 / pi;
        if (angle < minimumPoleAngleDegrees || angle > 180.0 - minimumPoleAngleDegrees) {
            return;
        }
    }
    direction = turned;
    centre = eye;
    centre.add(direction);
}

void Camera::yaw(float degrees)
{
    direction.rotate(toRadians(degrees), up);
    centre = eye;
    centre.add(direction);
}

void Camera::roll(float degrees)
{
    up.rotate(toRadians(degrees), direction);
}

void Camera::freeCameraTick(const Input* input)
{
    if (input->isKeyDown('s')) move(0.0f, 0.0f, -1.0f);
    if (input->isKeyDown('w')) move(0.0f, 0.0f, 1.0f);
    if (input->isKeyDown('a')) move(-1.0f, 0.0f, 0.0f);
    if (input->isKeyDown('d')) move(1.0f, 0.0f, 0.0f);
    if (input->isKeyDown('r')) move(0.0f, 1.0f, 0.0f);
    if (input->isKeyDown('f')) move(0.0f, -1.0f, 0.0f);
    if (input->isKeyDown('q')) yaw(-2.0f);
    if (input->isKeyDown('e')) yaw(2.0f);
    if (input->isKeyDown('2')) roll(-2.0f);
    if (input->isKeyDown('3')) roll(2.0f);
    if (input->isKeyDown('t')) pitch(-2.0f);
    if (input->isKeyDown('g')) pitch(2.0f);
}
