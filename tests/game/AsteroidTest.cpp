#include "GameTestSupport.h"

#include "game/Asteroid.h"
#include "game/GameRandom.h"
#include "math/BoundingSphere.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Stone.h"
#include "support/GlTest.h"

#include <gtest/gtest.h>

#include <GL/glew.h>
#include <cmath>
#include <cstdlib>

namespace {
Asteroid meshless(float scale, Vec3f position)
{
    return Asteroid(scale, position, nullptr, nullptr, nullptr, true);
}

}

TEST(AsteroidSpin, AngleIsWholeDegreesSpinInRangeAxisUnit)
{
    seedRandom(1234);
    for (int i = 0; i < 200; ++i) {
        Asteroid a(1.0f, Vec3f(0.0f, 0.0f, 0.0f), nullptr, nullptr, nullptr, true);
        const float angle = a.getAngle();
        EXPECT_EQ(angle, std::floor(angle));
        EXPECT_GE(angle, 0.0f);
        EXPECT_LE(angle, 359.0f);
        EXPECT_GE(a.getSpin(), 0.5f);
        EXPECT_LE(a.getSpin(), 1.0f);
        EXPECT_NEAR(a.getAxis().length(), 1.0f, 1e-5f);
    }
}

// The draw order fixes the scene a seed produces: axis from the first three
// draws with the first as z, then the angle, then the spin.
TEST(AsteroidSpin, DrawsAxisAngleAndSpinInThatOrder)
{
    seedRandom(77);
    const int r1 = randomDraw();
    const int r2 = randomDraw();
    const int r3 = randomDraw();
    const int r4 = randomDraw();
    const int r5 = randomDraw();
    seedRandom(77);
    Asteroid a = meshless(2.0f, Vec3f(1.0f, 2.0f, 3.0f));

    Vec3f axis(r3 - 16383.0f, r2 - 16383.0f, r1 - 16383.0f);
    axis.normalize();
    EXPECT_FLOAT_EQ(a.getAxis().x, axis.x);
    EXPECT_FLOAT_EQ(a.getAxis().y, axis.y);
    EXPECT_FLOAT_EQ(a.getAxis().z, axis.z);
    EXPECT_EQ(a.getAngle(), static_cast<float>(r4 % 360));
    EXPECT_FLOAT_EQ(a.getSpin(), static_cast<float>((r5 / 32767.0 + 1.0) * 0.5));
    // The sphere starts on the asteroid with its scale as radius.
    EXPECT_EQ(a.getSphere()->getRadius(), 2.0f);
    EXPECT_EQ(a.getSphere()->getCentre().z, 3.0f);
}

TEST(AsteroidMotion, UpdateAtSpeedZeroOnlyTurns)
{
    Asteroid a = meshless(3.0f, Vec3f(4.0f, 5.0f, -6.0f));
    a.setDirection(Vec3f(0.0f, 0.0f, 1.0f));
    const float angle = a.getAngle();
    a.update();
    EXPECT_FLOAT_EQ(a.getAngle(), angle + a.getSpin());
    EXPECT_EQ(a.getPosition().x, 4.0f);
    EXPECT_EQ(a.getPosition().y, 5.0f);
    EXPECT_EQ(a.getPosition().z, -6.0f);
    EXPECT_EQ(a.getDirection().z, 1.0f);
    EXPECT_EQ(a.getSpeed(), 0.0f);
}

TEST(AsteroidMotion, UpdateMovesAlongDirectionButLeavesTheSphere)
{
    Asteroid a = meshless(1.0f, Vec3f(0.0f, 0.0f, -10.0f));
    a.setDirection(Vec3f(3.0f, 0.0f, 4.0f));
    a.setSpeed(0.5f);
    a.update();
    EXPECT_FLOAT_EQ(a.getPosition().x, 0.3f);
    EXPECT_FLOAT_EQ(a.getPosition().z, -9.6f);
    EXPECT_EQ(a.getSphere()->getCentre().x, 0.0f);
    EXPECT_EQ(a.getSphere()->getCentre().z, -10.0f);

    a.setPosition(Vec3f(7.0f, 8.0f, 9.0f));
    EXPECT_EQ(a.getSphere()->getCentre().x, 7.0f);
    EXPECT_EQ(a.getSphere()->getCentre().y, 8.0f);
    EXPECT_EQ(a.getSphere()->getCentre().z, 9.0f);
}

TEST(AsteroidMotion, SetDirectionStoresUnitLength)
{
    Asteroid a = meshless(1.0f, Vec3f());
    a.setDirection(Vec3f(0.0f, 0.0f, 5.0f));
    EXPECT_EQ(a.getDirection().x, 0.0f);
    EXPECT_EQ(a.getDirection().y, 0.0f);
    EXPECT_EQ(a.getDirection().z, 1.0f);
    a.setDirection(Vec3f(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(a.getDirection().length(), 0.0f);
}

TEST_F(GlTest, InactiveAsteroidBindsAppliesAndDrawsNothing)
{
    seedRandom(5);
    Stone stone(1.0f, 0.3f, Vec3f(1.0f, 1.0f, 1.0f));
    TextureObject texture("Textures/asteroid_v8.jpg");
    Material material(Vec4f(0.7f, 0.55f, 0.4f, 1.0f), Vec4f(0.9f, 0.6f, 0.5f, 1.0f),
                      Vec4f(0.2f, 0.2f, 0.2f, 1.0f), 64.0f);
    Asteroid a(5.0f, Vec3f(0.0f, 0.0f, -30.0f), &stone, &material, &texture, false);

    const GLfloat sentinel[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, sentinel);
    GLint boundBefore = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundBefore);

    a.draw();
    GLfloat diffuse[4] = {};
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], 0.1f);
    EXPECT_FLOAT_EQ(diffuse[3], 0.4f);
    GLint boundAfter = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundAfter);
    EXPECT_EQ(boundAfter, boundBefore);
    EXPECT_EQ(countLitPixels(readBackBuffer()), 0);

    // The same asteroid, switched on, applies its material and covers the
    // middle of the view, and leaves texturing off again.
    a.setActive(true);
    a.draw();
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], 0.9f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_GT(countLitPixels(readBackBuffer()), 1000);
}
