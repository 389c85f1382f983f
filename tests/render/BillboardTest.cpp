#include "RenderTestSupport.h"

#include "render/Billboard.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

using rendertest::RenderTest;
using rendertest::scratch;

namespace {
using Pixel = std::vector<unsigned char>;

// The explosion's orientation: the quad in the x-y plane, front toward +z.
const Vec3f facingViewer(0.0f, 0.0f, 1.0f);
const Vec3f upright(0.0f, 1.0f, 0.0f);

class BillboardTest : public RenderTest {
protected:
    // A uniform, opaque orange picture.
    static std::string orangeImage()
    {
        const std::string path = scratch().path("orange.png");
        EXPECT_TRUE(rendertest::writeImage(path, 4, 4, 4, rendertest::uniformPixels(4, 4, {255, 128, 0, 255})));
        return path;
    }

    // Two by two texels, each its own opaque colour.
    static std::string quadrantsImage()
    {
        const std::string path = scratch().path("quadrants.png");
        EXPECT_TRUE(rendertest::writeImage(path, 2, 2, 4,
                                           {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255}));
        return path;
    }

    static void expectPixelNear(const Pixel& actual, const std::array<double, 3>& expected, double tolerance,
                                const std::string& where)
    {
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(actual[i], expected[i], tolerance) << where << ", channel " << i;
        }
    }

    static float sentDiffuseAlpha()
    {
        GLfloat diffuse[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
        return diffuse[3];
    }

    // The texel the quad's local point (x, y) shows, from the texture GL holds:
    // s runs from 1 at y = -1 to 0 at y = 1, t from 0 at x = -1 to 1 at x = 1.
    static std::array<double, 3> texelAt(const std::vector<unsigned char>& texels, float x, float y)
    {
        const int column = static_cast<int>((1.0f - y) / 2.0f * 2.0f);
        const int row = static_cast<int>((x + 1.0f) / 2.0f * 2.0f);
        const size_t at = static_cast<size_t>((row * 2 + column) * 4);
        return {double(texels[at]), double(texels[at + 1]), double(texels[at + 2])};
    }

    // The 2 by 2 texture the billboard just built, still bound.
    static std::vector<unsigned char> boundTexels()
    {
        std::vector<unsigned char> texels(16, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }
};
}

TEST_F(BillboardTest, NewBillboardDrawsNothing)
{
    Billboard billboard(orangeImage());
    EXPECT_EQ(billboard.getLife(), 0);
    billboard.draw();
    EXPECT_EQ(countLitPixels(), 0);
    billboard.start(Vec3f(), facingViewer, upright, 1.0f, 1.0f, 0);
    billboard.draw();
    EXPECT_EQ(countLitPixels(), 0);
}

TEST_F(BillboardTest, SquareSpansTwiceItsHalfSizesAroundItsCentre)
{
    Billboard billboard(orangeImage());
    // The centre is given in the caller's coordinates: (0.5, 0.5) moved by
    // the caller's own 0.5 along x puts it at (1, 0.5).
    glTranslatef(0.5f, 0.0f, 0.0f);
    billboard.start(Vec3f(0.5f, 0.5f, 0.0f), facingViewer, upright, 1.0f, 0.5f, 3);
    billboard.tick();
    billboard.draw();

    // The quad spans x 0 to 2 and y 0 to 1: pixels 400 to 599 and 300 to 399.
    const std::vector<unsigned char> rgba = readBackBuffer();
    int lit = 0;
    int left = 800;
    int right = -1;
    int bottom = 600;
    int top = -1;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const size_t at = static_cast<size_t>((y * 800 + x) * 4);
            if (rgba[at] != 0 || rgba[at + 1] != 0 || rgba[at + 2] != 0) {
                ++lit;
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = std::min(bottom, y);
                top = std::max(top, y);
            }
        }
    }
    EXPECT_NEAR(left, 400, 1);
    EXPECT_NEAR(right, 599, 1);
    EXPECT_NEAR(bottom, 300, 1);
    EXPECT_NEAR(top, 399, 1);
    EXPECT_NEAR(lit, 200 * 100, 600);
    // Lit white, so the texture's own colour, faded over the black
    // background: life 2 of 3 gives alpha sin(2 pi / 3).
    const double alpha = std::sin(2.0 / 3.0 * 3.14159265);
    expectPixelNear(readPixel(500, 350), {255.0 * alpha, 128.0 * alpha, 0.0}, 3.0, "centre");
}

TEST_F(BillboardTest, TextureLiesAQuarterTurnRound)
{
    Billboard billboard(quadrantsImage());
    const std::vector<unsigned char> texels = boundTexels();
    billboard.start(Vec3f(), facingViewer, upright, 2.0f, 2.0f, -1);
    billboard.draw();

    // Quadrant centres at local (+-0.5, +-0.5) lie at (+-1, +-1) in the view.
    for (float x : {-0.5f, 0.5f}) {
        for (float y : {-0.5f, 0.5f}) {
            expectPixelNear(readPixel(pixelX(2.0f * x), pixelY(2.0f * y)), texelAt(texels, x, y), 8.0,
                            "local (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        }
    }
}

TEST_F(BillboardTest, VectorsAreTheRowsOfTheQuadMatrix)
{
    Billboard billboard(quadrantsImage());
    const std::vector<unsigned char> texels = boundTexels();
    // With axisB along x, c = axisB x axisA is -y, and the rows (c, axisB,
    // axisA) send the quad's local x along +y and its local y along -x: a
    // quarter turn counter-clockwise. Columns would turn it the other way.
    billboard.start(Vec3f(), facingViewer, Vec3f(1.0f, 0.0f, 0.0f), 2.0f, 2.0f, -1);
    billboard.draw();
    for (float x : {-0.5f, 0.5f}) {
        for (float y : {-0.5f, 0.5f}) {
            expectPixelNear(readPixel(pixelX(-2.0f * y), pixelY(2.0f * x)), texelAt(texels, x, y), 8.0,
                            "turned local (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        }
    }

    // The nozzle glow's orientation puts the quad's local x along -x and
    // its front toward -z, away from the viewer.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    billboard.start(Vec3f(), Vec3f(0.0f, 0.0f, -1.0f), upright, 2.0f, 2.0f, -1);

    // Unlit, so the back side shows the texture at full strength.
    glDisable(GL_LIGHTING);
    billboard.draw();
    for (float x : {-0.5f, 0.5f}) {
        for (float y : {-0.5f, 0.5f}) {
            expectPixelNear(readPixel(pixelX(-2.0f * x), pixelY(2.0f * y)), texelAt(texels, x, y), 8.0,
                            "mirrored local (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        }
    }

    // Culling back faces hides it; the explosion's orientation faces the viewer.
    glEnable(GL_CULL_FACE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    billboard.draw();
    EXPECT_EQ(countLitPixels(), 0);
    billboard.start(Vec3f(), facingViewer, upright, 2.0f, 2.0f, -1);
    billboard.draw();
    EXPECT_GT(countLitPixels(), 150000);
}

TEST_F(BillboardTest, FadeRisesAndFallsOverTheCountdown)
{
    Billboard billboard(orangeImage());
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    billboard.start(Vec3f(), facingViewer, upright, 1.0f, 1.0f, 10);

    for (int ticks = 0; ticks <= 11; ++ticks) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        billboard.draw();
        const int life = 10 - std::min(ticks, 10);
        EXPECT_EQ(billboard.getLife(), life);
        const double alpha = life == 0 ? 0.0 : std::sin(life / 10.0 * 3.14159265);
        if (life > 0) {
            EXPECT_NEAR(sentDiffuseAlpha(), alpha, 1e-6) << ticks << " ticks";
        }
        // Orange over blue by the fade; after ten ticks only the background.
        expectPixelNear(readPixel(400, 300), {255.0 * alpha, 128.0 * alpha, 255.0 * (1.0 - alpha)}, 3.0,
                        std::to_string(ticks) + " ticks");
        billboard.tick();
    }
}

TEST_F(BillboardTest, EndlessLifeShowsAtFullStrengthAndNeverCountsDown)
{
    Billboard billboard(orangeImage());
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    billboard.start(Vec3f(), facingViewer, upright, 1.0f, 1.0f, -1);
    for (int i = 0; i < 50; ++i) {
        billboard.tick();
    }
    EXPECT_EQ(billboard.getLife(), -1);
    billboard.draw();
    EXPECT_FLOAT_EQ(sentDiffuseAlpha(), 1.0f);
    expectPixelNear(readPixel(400, 300), {255.0, 128.0, 0.0}, 2.0, "centre");
}

TEST_F(BillboardTest, StartRestartsTheCountdownWithItsOwnLength)
{
    Billboard billboard(orangeImage());
    billboard.start(Vec3f(), facingViewer, upright, 1.0f, 1.0f, 10);
    billboard.tick();
    billboard.tick();
    billboard.start(Vec3f(), facingViewer, upright, 1.0f, 1.0f, 4);
    EXPECT_EQ(billboard.getLife(), 4);
    billboard.tick();
    billboard.draw();
    EXPECT_NEAR(sentDiffuseAlpha(), std::sin(0.75 * 3.14159265), 1e-6);
}

TEST_F(BillboardTest, DrawPutsBackMatrixTexturingAndArrays)
{
    Billboard billboard(orangeImage());
    glTranslatef(0.25f, -0.5f, 1.0f);
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    billboard.start(Vec3f(1.0f, 2.0f, 0.0f), Vec3f(0.0f, 1.0f, 0.0f), Vec3f(-1.0f, 0.0f, 0.0f), 3.0f, 2.0f, 5);
    billboard.draw();

    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(after[i], before[i]) << "element " << i;
    }
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    GLint buffer = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    EXPECT_EQ(buffer, 0);
}

TEST_F(BillboardTest, MissingImageDrawsAPlainLitSquare)
{
    const std::string path = scratch().path("no-flame.png");
    testing::internal::CaptureStdout();
    Billboard billboard(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Texture: " + path + " not loaded.\n");
    billboard.start(Vec3f(), facingViewer, upright, 1.0f, 1.0f, -1);
    billboard.draw();
    expectPixelNear(readPixel(400, 300), {255.0, 255.0, 255.0}, 2.0, "centre");
}

TEST_F(BillboardTest, SquareIsFlatAndLitAsFacingItsFrontAtEveryCorner)
{
    // Untextured, so the lit colour shows: the white material under a white
    // light is white where the light falls head-on and the grey of the
    // scene's ambient (0.2) where it grazes the square from any side. A
    // corner whose normal leaned off the front would shade its triangles
    // unevenly in one of these lights.
    const std::string path = scratch().path("no-glow.png");
    testing::internal::CaptureStdout();
    Billboard billboard(path);
    testing::internal::GetCapturedStdout();
    billboard.start(Vec3f(), facingViewer, upright, 1.0f, 1.0f, -1);
    struct Light {
        GLfloat direction[4];
        double grey;
    };
    // Light from 85 degrees off the front: the highlight of shininess 1
    // still lifts the faint diffuse and ambient light to full white.
    const GLfloat slant = 85.0f * 3.14159265f / 180.0f;
    const Light lights[] = {
        {{0.0f, 0.0f, 1.0f, 0.0f}, 255.0},
        {{std::sin(slant), 0.0f, std::cos(slant), 0.0f}, 255.0},
        {{1.0f, 0.0f, 0.0f, 0.0f}, 51.0},
        {{-1.0f, 0.0f, 0.0f, 0.0f}, 51.0},
        {{0.0f, 1.0f, 0.0f, 0.0f}, 51.0},
        {{0.0f, -1.0f, 0.0f, 0.0f}, 51.0},
    };
    for (const Light& light : lights) {
        glLightfv(GL_LIGHT0, GL_POSITION, light.direction);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        billboard.draw();
        const std::vector<unsigned char> rgba = readBackBuffer();
        int uneven = 0;
        // The square covers pixels 300 to 499 by 200 to 399; its edges are left out.
        for (int y = 203; y < 397; y += 6) {
            for (int x = 303; x < 497; x += 6) {
                const size_t at = static_cast<size_t>((y * 800 + x) * 4);
                for (int channel = 0; channel < 3; ++channel) {
                    uneven += std::fabs(rgba[at + channel] - light.grey) > 3.0;
                }
            }
        }
        EXPECT_EQ(uneven, 0) << "light from (" << light.direction[0] << ", " << light.direction[1] << ", "
                             << light.direction[2] << ")";
    }
    // And it is flat: every corner lies in the plane of the square, here at
    // depth 0, half way through the view volume.
    std::vector<GLfloat> depth(800 * 600, 0.0f);
    glReadPixels(0, 0, 800, 600, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    int tilted = 0;
    for (int y = 203; y < 397; y += 6) {
        for (int x = 303; x < 497; x += 6) {
            tilted += std::fabs(depth[static_cast<size_t>(y * 800 + x)] - 0.5f) > 1e-3f;
        }
    }
    EXPECT_EQ(tilted, 0);
}

TEST_F(BillboardTest, UnlitSquareShowsItsTextureEvenlyToEveryCorner)
{
    // With lighting off the vertex colours modulate the texture: they are
    // white at every corner, so the picture is the image's own colour.
    Billboard billboard(orangeImage());
    billboard.start(Vec3f(), facingViewer, upright, 1.0f, 1.0f, -1);
    glDisable(GL_LIGHTING);
    billboard.draw();
    const std::vector<unsigned char> rgba = readBackBuffer();
    int off = 0;
    for (int y = 203; y < 397; y += 6) {
        for (int x = 303; x < 497; x += 6) {
            const size_t at = static_cast<size_t>((y * 800 + x) * 4);
            off += std::abs(rgba[at] - 255) > 3 || std::abs(rgba[at + 1] - 128) > 3 || rgba[at + 2] > 3;
        }
    }
    EXPECT_EQ(off, 0);
}
