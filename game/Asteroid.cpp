#include "game/Asteroid.h"

#include "game/GameRandom.h"

#include "math/BoundingSphere.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Stone.h"

#include <GL/glew.h>

namespace {
// Centre of a draw's range 0..32767: subtracting it spreads a draw over
// both signs.
const float randomMidpoint = 16383.0f;
}

Asteroid::Asteroid(float scale, Vec3f position, Stone* stone, Material* material,
                   TextureObject* texture, bool active)
    : active(active), position(position), scale(scale), stone(stone),
      material(material), texture(texture)
{
    randomizeSpin();
}

Asteroid::~Asteroid()
{
    delete sphere;
}

void Asteroid::randomizeSpin()
{
    // Separate statements fix the order of the draws: the first one is z.
    const int r1 = randomDraw();
    const int r2 = randomDraw();
    const int r3 = randomDraw();
    axis = Vec3f(static_cast<float>(r3) - randomMidpoint,
                 static_cast<float>(r2) - randomMidpoint,
                 static_cast<float>(r1) - randomMidpoint);
    axis.normalize();
    angle = static_cast<float>(randomDraw() % 360);
    spin = static_cast<float>((randomUnit() + 1.0) * 0.5);
    delete sphere;
    sphere = new BoundingSphere(position, scale);
}

void Asteroid::update()
{
    angle += spin;
    // The sphere stays behind: the field moves it with setPosition once it
    // has applied its own drift and wrap.
    position.x += direction.x * speed;
    position.y += direction.y * speed;
    position.z += direction.z * speed;
}

void Asteroid::draw() const
{
    if (!active) {
        return;
    }
    if (texture != nullptr) {
        texture->bind();
    }
    if (material != nullptr) {
        material->apply(1.0f, 1.0f);
    }
    // Translate, rotate, scale: the rock spins about its own centre and
    // grows about it.
    glPushMatrix();
        glTranslatef(position.x, position.y, position.z);
        glRotatef(angle, axis.x, axis.y, axis.z);
        glScalef(scale, scale, scale);
        if (stone != nullptr) {
            stone->draw();
        }
    glPopMatrix();
    if (texture != nullptr) {
        texture->unbind();
    }
}

void Asteroid::setPosition(Vec3f p)
{
    position = p;
    sphere->setCentre(p);
}

void Asteroid::setDirection(Vec3f d)
{
    direction = d;
    direction.normalize();
}
