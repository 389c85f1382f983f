#include "scene/Planet.h"

#include "math/Vec4f.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Sphere.h"

#include <GL/glew.h>

namespace {
// Degrees the surface turns per tick; the clouds turn at half this rate.
const float turnPerTick = 0.05f;
const float cloudTurnFactor = 0.5f;
// The cloud layer floats just above the surface.
const float cloudScale = 1.005f;
// Lets the surface show through the clouds.
const float cloudAlpha = 0.3f;
}

Planet::Planet(Vec3f position, float radius)
    : position(position),
      radius(radius),
      // A diffuse red of 8.0 saturates the lit side of the planet in red.
      planetMaterial(new Material(Vec4f(0.7f, 0.55f, 0.4f, 1.0f), Vec4f(8.0f, 0.6f, 0.5f, 1.0f),
                                  Vec4f(0.2f, 0.2f, 0.2f, 1.0f), 64.0f)),
      bodyTexture(new TextureObject("Textures/asteroid_v8.jpg")),
      cloudTexture(new TextureObject("Textures/clouds.png"))
{
    sphere = new Sphere(Vec3f(1.0f, 1.0f, 1.0f));
}

Planet::~Planet()
{
    delete sphere;
    delete cloudTexture;
    delete bodyTexture;
    delete planetMaterial;
}

void Planet::update()
{
    // Never reduced modulo 360: the rotation is periodic anyway.
    angle += turnPerTick;
}

void Planet::draw() const
{
    planetMaterial->apply(1.0f, 1.0f);

    // The sphere's pole axis (y) is laid along x, so the planet spins about a
    // horizontal axis with its poles to the left and right.
    glPushMatrix();
        glTranslatef(position.x, position.y, position.z);
        glRotatef(angle, 1.0f, 0.0f, 0.0f);
        glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
        glScalef(radius, radius, radius);
        bodyTexture->bind();
            sphere->draw();
        bodyTexture->unbind();
    glPopMatrix();

    // Drawn after the surface so the translucent layer blends over it.
    glPushMatrix();
        glTranslatef(position.x, position.y, position.z);
        glRotatef(angle * cloudTurnFactor, 1.0f, 0.0f, 0.0f);
        glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
        glScalef(radius * cloudScale, radius * cloudScale, radius * cloudScale);
        planetMaterial->apply(1.0f, cloudAlpha);
        cloudTexture->bind();
            sphere->draw();
        cloudTexture->unbind();
    glPopMatrix();
}
