// The scene as start-up assembles it: the values each object is built with,
// the steps of the tick, and the passes of the picture, seen in what the
// objects report and in what GL holds and shows afterwards.

#include "StartUpScene.h"
#include "support/GlTest.h"

#include "app/Game.h"
#include "app/Input.h"
#include "game/Asteroid.h"
#include "game/AsteroidsField.h"
#include "game/GameRandom.h"
#include "game/GameTestSupport.h"
#include "game/Player.h"
#include "render/Camera.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Planet.h"
#include "scene/Skybox.h"

#include <GL/glew.h>
#include <algorithm>
#include <vector>

namespace {
bool samePicture(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    return a == b;
}
}

TEST_F(StartUpScene, ShipStartsFlyingAtDepthMinusTwentyFacingIntoTheField)
{
    EXPECT_TRUE(::player->isInControl()) << "the game starts with the keyboard flying the ship";
    expectVec(::player->getPosition(), 0.0, 0.0, -20.0);
    // The first picture can come before the first tick: it shows the ship
    // level, nose into the field.
    expectVec(::player->getForward(), 0.0, 0.0, -1.0);
    expectVec(::player->getUp(), 0.0, 1.0, 0.0);
    EXPECT_EQ(::player->getSpeed(), 1.5f);
    // The camera starts at the origin looking down -z with y up.
    expectVec(::camera->getEye(), 0.0, 0.0, 0.0);
    expectVec(::camera->getCentre(), 0.0, 0.0, -1.0);
    expectVec(::camera->getUp(), 0.0, 1.0, 0.0);
}

TEST_F(StartUpScene, FieldHasTwoHundredFiftyRocksOfScaleTwoToTenInItsBox)
{
    const std::vector<Asteroid*>& all = ::asteroidsField->getAsteroids();
    const std::vector<Asteroid*>& pool = ::asteroidsField->getFragments();
    EXPECT_EQ(all.size() - pool.size(), 250u);
    float smallest = 100.0f;
    float largest = 0.0f;
    Vec3f low(1000.0f, 1000.0f, 1000.0f);
    Vec3f high(-1000.0f, -1000.0f, -1000.0f);
    for (const Asteroid* a : all) {
        const Vec3f p = a->getPosition();
        low = Vec3f(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = Vec3f(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        if (std::find(pool.begin(), pool.end(), a) == pool.end()) {
            smallest = std::min(smallest, a->getScale());
            largest = std::max(largest, a->getScale());
        }
    }
    // 250 uniform scales come within a twentieth of the range of each end.
    EXPECT_GE(smallest, 2.0f);
    EXPECT_LT(smallest, 2.4f);
    EXPECT_LE(largest, 10.0f);
    EXPECT_GT(largest, 9.6f);
    // The box spans x and y from -50 to 50 and z from -500 to 0, and the
    // rocks fill it.
    EXPECT_GE(low.x, -50.0f);
    EXPECT_LT(low.x, -45.0f);
    EXPECT_LE(high.x, 50.0f);
    EXPECT_GT(high.x, 45.0f);
    EXPECT_GE(low.y, -50.0f);
    EXPECT_LT(low.y, -45.0f);
    EXPECT_LE(high.y, 50.0f);
    EXPECT_GT(high.y, 45.0f);
    EXPECT_GE(low.z, -500.0f);
    EXPECT_LT(low.z, -480.0f);
    EXPECT_LE(high.z, 0.0f);
    EXPECT_GT(high.z, -20.0f);

    // The same seed and the documented arguments give the same rocks: the
    // same count of stones, the same placement draws.
    seedRandom(fieldSeed);
    Material rockMaterial(Vec4f(0.7f, 0.55f, 0.4f, 1.0f), Vec4f(8.0f, 0.6f, 0.5f, 1.0f),
                          Vec4f(0.2f, 0.2f, 0.2f, 1.0f), 64.0f);
    // The scene's creation draws nothing before the field.
    AsteroidsField documented(Vec3f(0.0f, 0.0f, -250.0f), 100.0f, 100.0f, 500.0f, 250, 20, 10.0f,
                              2.0f, &rockMaterial, nullptr, ::camera);
    ASSERT_EQ(documented.getAsteroids().size(), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        const Vec3f p = all[i]->getPosition();
        expectVec(documented.getAsteroids()[i]->getPosition(), p.x, p.y, p.z, 0.0);
        EXPECT_EQ(documented.getAsteroids()[i]->getScale(), all[i]->getScale()) << i;
    }
}

TEST_F(StartUpScene, RocksAreDrawnTexturedWithTheRedSaturatedMaterial)
{
    isolate();
    // One rock half way between the camera and the start of the near fade.
    Asteroid* rock = firstRegular();
    rock->setPosition(Vec3f(0.0f, 0.0f, -10.0f));
    rock->setSpeed(0.0f);
    rock->setActive(true);
    ::asteroidsField->update(::player);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ::camera->lookAt();
    gameDrawStep();
    // The rock was the last surface drawn: GL holds its material, faded to
    // half by its depth.
    expectMaterial(GL_AMBIENT, {0.7f, 0.55f, 0.4f, 1.0f});
    expectMaterial(GL_DIFFUSE, {8.0f, 0.6f, 0.5f, 0.5f});
    expectMaterial(GL_SPECULAR, {0.2f, 0.2f, 0.2f, 0.5f});
    GLfloat shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(shininess, 64.0f);
    // The rocks' texture is the one that stays bound after the pass.
    GLint drawn = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &drawn);
    ASSERT_TRUE(::asteroidTexture->isLoaded());
    ::asteroidTexture->bind();
    GLint own = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &own);
    ::asteroidTexture->unbind();
    EXPECT_EQ(drawn, own);
    EXPECT_NE(own, 0);

    // Each pass of the field switches texturing off again behind it.
    rock->setPosition(Vec3f(0.0f, 0.0f, -30.0f));
    ::asteroidsField->update(::player);
    ::asteroidsField->drawFar();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "after the far pass";
    rock->setPosition(Vec3f(0.0f, 0.0f, -10.0f));
    ::asteroidsField->update(::player);
    ::asteroidsField->drawNear();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "after the near pass";
}

TEST_F(StartUpScene, TickTurnsThePlanetFollowsTheEyeAndFliesTheShip)
{
    const float angle = ::planet->getAngle();
    keys.keyDown('d', 0, 0);
    runTick();
    EXPECT_GT(::planet->getAngle(), angle) << "the planet did not turn";
    // The skybox keeps the eye as it stood before the ship's update moved
    // the camera.
    expectVec(::skybox->getLastEye(), 0.0, 0.0, 0.0);
    EXPECT_GT(::player->getPosition().x, 0.0f) << "the ship did not fly";
    EXPECT_EQ(::asteroidsField->getSpeed(), 1.5f);
}

TEST_F(StartUpScene, PictureIsTheSkyThenThePlanetThenTheGame)
{
    isolate();
    ::asteroidsField->update(::player);
    // Culling is on from the first picture on: the ship's draw leaves it so.
    drawPicture();
    // From the start-up camera the sky fills the top of the view and the
    // planet's limb crosses the lower part.
    auto picture = [&]() {
        glMatrixMode(GL_PROJECTION);
        drawPicture();
        return readBackBuffer();
    };
    // Whatever the buffers and the matrices held before, the picture is the
    // same: here a magenta picture whose depth would hide anything drawn.
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(5.0f, 0.0f, 0.0f);
    const std::vector<unsigned char> full = picture();
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW) << "the picture's transforms went to another matrix";
    GLfloat projection[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NE(projection[0], 1.0f) << "the view was loaded into the projection";

    // The same passes drawn one by one.
    auto passes = [&](bool sky, bool world, bool game) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ::camera->lookAt();
        if (sky) {
            ::skybox->draw();
        }
        if (world) {
            ::planet->draw();
        }
        const GLfloat light[4] = {-50.0f, 50.0f, 80.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, light);
        if (game) {
            gameDrawStep();
        }
        return readBackBuffer();
    };
    const std::vector<unsigned char> skyOnly = passes(true, false, false);
    const std::vector<unsigned char> planetOnly = passes(false, true, false);
    const std::vector<unsigned char> gameOnly = passes(false, false, true);
    EXPECT_TRUE(samePicture(full, passes(true, true, true)));
    EXPECT_GT(countLitPixels(skyOnly), 800 * 600 * 9 / 10) << "the sky does not fill the view";
    EXPECT_GT(countLitPixels(planetOnly), 800 * 50) << "the planet is not in view";
    EXPECT_GT(countLitPixels(gameOnly), 1000) << "the ship is not in view";

    int skyShows = 0;
    int planetShows = 0;
    int shipShows = 0;
    int skyPixels = 0;
    int planetPixels = 0;
    int shipPixels = 0;
    for (size_t i = 0; i < full.size(); i += 4) {
        auto at = [i](const std::vector<unsigned char>& rgba) {
            return std::vector<unsigned char>(rgba.begin() + i, rgba.begin() + i + 3);
        };
        const bool ship = gameOnly[i] > 8 || gameOnly[i + 1] > 8 || gameOnly[i + 2] > 8;
        const bool world = planetOnly[i] > 8 || planetOnly[i + 1] > 8 || planetOnly[i + 2] > 8;
        if (ship) {
            shipPixels += 1;
            shipShows += at(full) != at(skyOnly) && at(full) != at(planetOnly);
        } else if (world) {
            planetPixels += 1;
            planetShows += at(full) != at(skyOnly);
        } else {
            skyPixels += 1;
            skyShows += at(full) == at(skyOnly);
        }
    }
    // The planet covers the sky behind it, the ship shows over both, and
    // the sky fills the rest but for the faint edges of the flames and the
    // clouds, which blend over it.
    EXPECT_GT(planetShows, planetPixels * 9 / 10);
    EXPECT_GT(shipShows, shipPixels / 2);
    EXPECT_GT(skyShows, skyPixels * 99 / 100);
}
