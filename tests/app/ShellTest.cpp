#include "support/GlTest.h"

#include "app/Game.h"
#include "app/Input.h"
#include "render/Camera.h"

#include <cmath>

namespace {
// Start-up creates the process-wide objects once; tests in this program
// share them, the way the callbacks do.
void ensureScene()
{
    if (input == nullptr) {
        input = new Input();
    }
    if (camera == nullptr) {
        createScene();
    }
}

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
