#include "SharedScene.h"
#include "support/GlTest.h"

#include "app/Game.h"
#include "app/Input.h"
#include "game/GameRandom.h"
#include "game/GameTestSupport.h"
#include "math/AABoundBox.h"
#include "render/Camera.h"
#include "scene/Planet.h"

#include <GL/freeglut.h>
#include <cmath>
#include <string>
#include <vector>

namespace {
void expectFloats(const GLfloat* actual, std::initializer_list<float> expected)
{
    int i = 0;
    for (float e : expected) {
        EXPECT_FLOAT_EQ(actual[i], e) << "component " << i;
        ++i;
    }
}
}

TEST_F(GlTest, BaselineStateHasDepthFogLightAndBlending)
{
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_FOG_MODE, &value);
    EXPECT_EQ(value, GL_EXP2);
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);
    glGetIntegerv(GL_COLOR_MATERIAL_FACE, &value);
    EXPECT_EQ(value, GL_FRONT);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &value);
    EXPECT_EQ(value, GL_AMBIENT_AND_DIFFUSE);

    GLfloat v[4] = {};
    glGetFloatv(GL_FOG_COLOR, v);
    expectFloats(v, {0.02f, 0.02f, 0.02f, 1.0f});
    glGetFloatv(GL_FOG_DENSITY, v);
    EXPECT_FLOAT_EQ(v[0], 0.003f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, v);
    expectFloats(v, {0.0f, 0.0f, 0.0f, 1.0f});
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, v);
    expectFloats(v, {0.0f, 0.0f, 0.0f, 1.0f});
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, v);
    expectFloats(v, {1.0f, 1.0f, 1.0f, 1.0f});
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, v);
    expectFloats(v, {1.0f, 1.0f, 1.0f, 1.0f});

    glGetIntegerv(GL_FOG_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
}

TEST_F(GlTest, ReshapeKeepsTheVerticalFieldOfView)
{
    GLfloat m[16] = {};
    reshape(800, 600);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const float f = 1.0f / std::tan(22.5f * 3.14159265f / 180.0f);
    EXPECT_NEAR(m[5], f, 1e-5f);
    EXPECT_NEAR(m[0], f / (800.0f / 600.0f), 1e-5f);

    reshape(300, 600);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5], f, 1e-5f);
    EXPECT_NEAR(m[0], f / 0.5f, 1e-5f);

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 300);
    EXPECT_EQ(viewport[3], 600);
}

TEST_F(GlTest, ReshapeToZeroHeightKeepsTheProjectionFinite)
{
    reshape(800, 0);
    GLfloat m[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    for (float value : m) {
        EXPECT_TRUE(std::isfinite(value));
    }
    EXPECT_NEAR(m[0] * 800.0f, m[5], 1e-3f * m[5]);
}

TEST_F(GlTest, PictureLoadsTheCameraViewAndPlacesTheLightInWorldSpace)
{
    ensureScene();
    camera->setView(Vec3f(3.0f, 4.0f, 5.0f), Vec3f(3.0f, 4.0f, -5.0f), Vec3f(0.0f, 1.0f, 0.0f));
    camera->yaw(30.0f);
    drawPicture();

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat view[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, view);

    // GL stores the light direction in eye space: the world direction
    // (-50, 50, 80, 0) carried through the view's rotation.
    GLfloat eyeSpace[4] = {};
    glGetLightfv(GL_LIGHT0, GL_POSITION, eyeSpace);
    const float world[4] = {-50.0f, 50.0f, 80.0f, 0.0f};
    for (int row = 0; row < 4; ++row) {
        float expected = 0.0f;
        for (int col = 0; col < 4; ++col) {
            expected += view[col * 4 + row] * world[col];
        }
        EXPECT_NEAR(eyeSpace[row], expected, 1e-3f) << row;
    }
    // The eye (3, 4, 5) maps to the origin of eye space.
    const float eye[4] = {3.0f, 4.0f, 5.0f, 1.0f};
    for (int row = 0; row < 3; ++row) {
        float mapped = 0.0f;
        for (int col = 0; col < 4; ++col) {
            mapped += view[col * 4 + row] * eye[col];
        }
        EXPECT_NEAR(mapped, 0.0f, 1e-4f);
    }
}

TEST_F(GlTest, EscapeAsksToQuitWithoutRecordingTheKey)
{
    ensureScene();
    EXPECT_TRUE(handleKeyDown(27, 0, 0));
    EXPECT_FALSE(input->isKeyDown(27));
    EXPECT_FALSE(handleKeyDown('x', 0, 0));
    EXPECT_TRUE(input->isKeyDown('x'));
    keyboardUp('x', 0, 0);
    EXPECT_FALSE(input->isKeyDown('x'));
}

TEST(ShellKeys, EscapeEndsTheProcessWithStatusZero)
{
    // A child of its own runs the key from a fresh start, with no window.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(keyboard(27, 0, 0), testing::ExitedWithCode(0), "");
}

// --- The frame loop --------------------------------------------------------

// --- The space bar -----------------------------------------------------------

TEST_F(GlTest, WhileSpaceIsHeldEveryKeyPressTogglesControlAndReleasesNever)
{
    ensureScene();
    player->takeControl();
    handleKeyDown('w', 0, 0);
    keyboardUp('w', 0, 0);
    EXPECT_TRUE(player->isInControl()) << "a press without space toggled";

    handleKeyDown(' ', 0, 0);
    EXPECT_FALSE(player->isInControl()) << "the press of space";
    handleKeyDown(' ', 0, 0);
    EXPECT_TRUE(player->isInControl()) << "the first auto-repeat of space";
    handleKeyDown(' ', 0, 0);
    EXPECT_FALSE(player->isInControl()) << "the second auto-repeat of space";
    handleKeyDown('w', 0, 0);
    EXPECT_TRUE(player->isInControl()) << "w pressed while space is held";
    EXPECT_TRUE(input->isKeyDown('w'));
    keyboardUp('w', 0, 0);
    EXPECT_TRUE(player->isInControl()) << "the release of w";
    handleKeyDown('q', 0, 0);
    EXPECT_FALSE(player->isInControl()) << "q pressed while space is held";
    keyboardUp(' ', 0, 0);
    EXPECT_FALSE(player->isInControl()) << "the release of space";
    handleKeyDown('w', 0, 0);
    EXPECT_FALSE(player->isInControl()) << "w pressed after space was released";
    keyboardUp('w', 0, 0);
    keyboardUp('q', 0, 0);
    player->takeControl();
}

// --- The game's step of the tick and of the picture --------------------------

namespace {
// The game's own objects are the fixture's field, player, camera, keyboard
// and material, handed to the shell for one test, with every asteroid
// switched off until a test places the ones it needs.
class GameStep : public FieldTest {
protected:
    void SetUp() override
    {
        FieldTest::SetUp();
        savedInput = ::input;
        savedCamera = ::camera;
        savedPlayer = ::player;
        savedField = ::asteroidsField;
        savedMaterial = ::material;
        ::input = &input;
        ::camera = &camera;
        ::player = player;
        ::asteroidsField = field;
        ::material = &material;
        player->takeControl();
        isolate(field);
    }

    void TearDown() override
    {
        ::input = savedInput;
        ::camera = savedCamera;
        ::player = savedPlayer;
        ::asteroidsField = savedField;
        ::material = savedMaterial;
        glDisable(GL_CULL_FACE);
        FieldTest::TearDown();
    }

    // A regular asteroid switched on, standing still at p.
    Asteroid* rockAt(int k, Vec3f p)
    {
        Asteroid* rock = regular(field, k);
        activate(rock, p, Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
        return rock;
    }

    Input* savedInput = nullptr;
    Camera* savedCamera = nullptr;
    Player* savedPlayer = nullptr;
    AsteroidsField* savedField = nullptr;
    Material* savedMaterial = nullptr;
};
}

TEST_F(GameStep, FieldMovesAtTheOldSpeedThenTakesTheSpeedTheShipJustReached)
{
    Asteroid* rock = rockAt(0, Vec3f(30.0f, 30.0f, -100.0f));
    field->setSpeed(1.5f);
    input.keyDown('r', 0, 0);
    gameTickStep();
    EXPECT_FLOAT_EQ(rock->getPosition().z, -98.5f) << "the field moved after the boost";
    EXPECT_FLOAT_EQ(player->getSpeed(), 1.6f);
    EXPECT_EQ(field->getSpeed(), player->getSpeed()) << "the field took the speed before the boost";
    gameTickStep();
    EXPECT_FLOAT_EQ(rock->getPosition().z, -96.9f);
}

TEST_F(GameStep, ShipThatFliesIntoARockHitsItInTheSameTick)
{
    input.keyDown('d', 0, 0);
    for (int tick = 0; tick < 24; ++tick) {
        player->update();
    }
    // The ship is about to move one unit right; the rock stands half a unit
    // beyond the box's right face.
    const AABoundBox* box = player->getBox();
    const float halfWidth = 0.5f * (box->getMaxCorner().x - box->getMinCorner().x);
    Asteroid* rock = regular(field, 0);
    const float x = player->getPosition().x + halfWidth + rock->getScale() + 0.5f;
    activate(rock, Vec3f(x, 0.0f, -19.5f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    ASSERT_FALSE(box->intersects(rock->getSphere()));

    gameTickStep();
    EXPECT_FALSE(rock->isActive()) << "the collision test came before the ship moved";
    EXPECT_EQ(player->getSpeed(), 0.0f);
}

TEST_F(GameStep, RockThatDriftsIntoTheWindowIsHitInTheSameTick)
{
    player->update();
    // Overlapping the ship but just beyond the depth window until the field
    // moves it by one unit.
    Asteroid* rock = rockAt(0, Vec3f(0.0f, 0.0f, -20.5f));
    ASSERT_TRUE(player->getBox()->intersects(rock->getSphere()));
    field->setSpeed(1.0f);
    gameTickStep();
    EXPECT_FALSE(rock->isActive()) << "the collision test came before the field moved";
}

TEST_F(GameStep, OnlyRocksStrictlyBetweenDepthMinusTwentyAndZeroAreTested)
{
    player->update();
    Asteroid* beyond = rockAt(0, Vec3f(0.0f, 0.0f, -20.5f));
    ASSERT_TRUE(player->getBox()->intersects(beyond->getSphere()));
    gameTickStep();
    EXPECT_TRUE(beyond->isActive()) << "a rock at depth -20.5 was tested";

    // A rock big enough to reach the ship from in front of depth 0, in a
    // box whose near face lies beyond it so it does not wrap.
    seedRandom(5);
    AsteroidsField big(Vec3f(0.0f, 0.0f, -240.0f), 100.0f, 100.0f, 500.0f, 1, 1, 20.0f, 20.0f,
                       &material, nullptr, &camera);
    isolate(&big);
    Asteroid* huge = regular(&big, 0);
    activate(huge, Vec3f(0.0f, 0.0f, 0.5f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    ASSERT_TRUE(player->getBox()->intersects(huge->getSphere()));
    ::asteroidsField = &big;
    gameTickStep();
    EXPECT_TRUE(huge->isActive()) << "a rock at depth 0.5 was tested";
    huge->setPosition(Vec3f(0.0f, 0.0f, -0.5f));
    big.setSpeed(0.0f);
    gameTickStep();
    EXPECT_FALSE(huge->isActive()) << "a rock at depth -0.5 was not tested";
    ::asteroidsField = field;
}

TEST_F(GameStep, HitStopsTheShipAtOnceWhileTheFieldKeepsTheSpeedItWasGiven)
{
    player->update();
    Asteroid* hit = rockAt(0, Vec3f(0.0f, 0.0f, -19.5f));
    Asteroid* distant = rockAt(1, Vec3f(30.0f, 30.0f, -100.0f));
    gameTickStep();
    EXPECT_FALSE(hit->isActive());
    EXPECT_EQ(player->getSpeed(), 0.0f) << "the hit did not stop the ship in its tick";
    EXPECT_EQ(field->getSpeed(), 1.5f) << "the field lost the speed it was given";

    gameTickStep();
    EXPECT_FLOAT_EQ(distant->getPosition().z, -98.5f) << "the next tick moved the field at another speed";
    EXPECT_FLOAT_EQ(player->getSpeed(), 0.01f);
    EXPECT_EQ(field->getSpeed(), player->getSpeed());
}

TEST_F(GameStep, WithTheFreeCameraTheFieldDriftsAndTheShipStaysUntested)
{
    player->update();
    player->releaseControl();
    Asteroid* touching = rockAt(0, Vec3f(0.0f, 0.0f, -19.5f));
    Asteroid* distant = rockAt(1, Vec3f(30.0f, 30.0f, -100.0f));
    field->setSpeed(1.5f);
    camera.setView(Vec3f(0.0f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f));
    input.keyDown('w', 0, 0);
    input.keyDown('d', 0, 0);

    gameTickStep();
    EXPECT_FLOAT_EQ(distant->getPosition().z, -98.5f) << "the field stopped";
    EXPECT_TRUE(touching->isActive()) << "a collision test ran";
    EXPECT_EQ(field->getImmunity(), 0);
    expectVec(player->getPosition(), 0.0, 0.0, -20.0, 0.0);
    expectVec(player->getVelocity(), 0.0, 0.0, 1.5, 0.0);
    // w steps forward, d to the right.
    expectVec(camera.getEye(), 1.0, 0.0, -1.0);
    EXPECT_EQ(field->getSpeed(), 1.5f);
}

TEST_F(GameStep, PictureIsPaintedBackToFrontAroundTheShip)
{
    // Seen from the ship's camera: a rock beyond the ship to its left, and a
    // rock between ship and camera to its right, half faded by its depth.
    player->update();
    Asteroid* farRock = rockAt(1, Vec3f(-0.5f, -3.3f, -40.0f));
    Asteroid* nearRock = rockAt(0, Vec3f(3.0f, 2.0f, -10.0f));
    field->update(player);
    Player unplaced(&camera, &input);

    std::vector<GLfloat> depth(800 * 600, 1.0f);
    auto picture = [&](bool ship, bool nearOn, bool farOn) {
        ::player = ship ? player : &unplaced;
        nearRock->setActive(nearOn);
        farRock->setActive(farOn);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera.lookAt();
        const GLfloat light[4] = {-50.0f, 50.0f, 80.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, light);
        glEnable(GL_CULL_FACE);
        gameDrawStep();
        ::player = player;
        glReadPixels(0, 0, 800, 600, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        return readBackBuffer();
    };
    const std::vector<unsigned char> nearOnly = picture(false, true, false);
    const std::vector<unsigned char> farOnly = picture(false, false, true);
    const std::vector<unsigned char> all = picture(true, true, true);
    const std::vector<unsigned char> shipOnly = picture(true, false, false);
    const std::vector<GLfloat> shipDepth = depth;

    auto lit = [](const std::vector<unsigned char>& rgba, int i) {
        return rgba[i * 4] > 8 || rgba[i * 4 + 1] > 8 || rgba[i * 4 + 2] > 8;
    };
    auto same = [](const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int i) {
        return a[i * 4] == b[i * 4] && a[i * 4 + 1] == b[i * 4 + 1] && a[i * 4 + 2] == b[i * 4 + 2];
    };
    struct Tally {
        int pixels = 0;
        int holding = 0;
    };
    Tally farBehindBody, farBehindFlames, nearOverBody, nearOverFar;
    for (int i = 0; i < 800 * 600; ++i) {
        const bool body = shipDepth[i] < 1.0f;
        const bool flames = lit(shipOnly, i) && !body;
        const bool nearCovers = lit(nearOnly, i);
        const bool farCovers = lit(farOnly, i);
        if (body && farCovers && !nearCovers) {
            farBehindBody.pixels += 1;
            farBehindBody.holding += same(all, shipOnly, i);
        }
        if (flames && farCovers && !nearCovers) {
            farBehindFlames.pixels += 1;
            farBehindFlames.holding += !same(all, farOnly, i);
        }
        if (body && nearCovers && !farCovers) {
            nearOverBody.pixels += 1;
            nearOverBody.holding += !same(all, nearOnly, i) && !same(all, shipOnly, i);
        }
        if (nearCovers && farCovers && !lit(shipOnly, i)) {
            nearOverFar.pixels += 1;
            nearOverFar.holding += !same(all, nearOnly, i);
        }
    }
    // The ship hides the rock beyond it...
    EXPECT_GT(farBehindBody.pixels, 500);
    EXPECT_EQ(farBehindBody.holding, farBehindBody.pixels) << "the rock beyond showed over the ship";
    // ...and its translucent flames glow over that rock, drawn after it.
    EXPECT_GE(farBehindFlames.pixels, 10);
    EXPECT_EQ(farBehindFlames.holding, farBehindFlames.pixels) << "the rock beyond covered the flames";
    // The faded rock nearer than the ship covers it, with the ship showing
    // through: the near rock is drawn after the ship.
    EXPECT_GT(nearOverBody.pixels, 100);
    EXPECT_EQ(nearOverBody.holding, nearOverBody.pixels) << "the near rock did not blend over the ship";
    // The rock beyond shows through the faded near rock.
    EXPECT_GT(nearOverFar.pixels, 500);
    EXPECT_EQ(nearOverFar.holding, nearOverFar.pixels) << "the near rock did not blend over the far one";
}
