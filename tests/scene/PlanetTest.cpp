#include "support/GlTest.h"

#include "render/Camera.h"
#include "scene/Planet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

const double radiansPerDegree = std::acos(-1.0) / 180.0;
const double tanHalfFov = std::tan(22.5 * radiansPerDegree);

std::array<GLfloat, 16> modelview()
{
    std::array<GLfloat, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Where the planet's transform puts a point of the unit sphere: scale, lay
// the pole axis along x (90 degrees about z), spin about x, move.
Point placed(const Point& q, const Point& centre, double radius, double angleDegrees)
{
    const Point scaled{q.x * radius, q.y * radius, q.z * radius};
    const Point turned{-scaled.y, scaled.x, scaled.z};
    const double a = angleDegrees * radiansPerDegree;
    return Point{centre.x + turned.x, centre.y + turned.y * std::cos(a) - turned.z * std::sin(a),
                 centre.z + turned.y * std::sin(a) + turned.z * std::cos(a)};
}

// The game's camera behind the fighter at its start: eye (0, 5, 10)
// looking along -z.
const Point gameEye{0.0, 5.0, 10.0};
const Point sceneCentre{0.0, -860.0, -200.0};

// Window y of the planet's top edge in the middle column of the game view,
// for a layer of the given radius at the given angle. The middle column
// cuts the mesh along its equator ring, a 32-gon in the plane x = 0, so the
// edge is the ring vertex in front of the eye seen highest from it.
double limbWindowY(double radius, double angleDegrees)
{
    double highest = -1e9;
    for (int j = 0; j < 32; ++j) {
        const double phi = j * 11.25 * radiansPerDegree;
        const Point p = placed(Point{-std::sin(phi), 0.0, -std::cos(phi)}, sceneCentre, radius, angleDegrees);
        // The near half of the ring passes behind the eye.
        if (p.z >= gameEye.z) {
            continue;
        }
        const double slope = (p.y - gameEye.y) / (gameEye.z - p.z);
        highest = std::max(highest, 300.0 + 300.0 * slope / tanHalfFov);
    }
    return highest;
}

// Draws the planet in the game's view over the given background colour.
std::vector<unsigned char> drawInGameView(const Planet& planet, float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    Camera camera(0.0f, 5.0f, 10.0f, 0.0f, 5.0f, -30.0f, 0.0f, 1.0f, 0.0f);
    glLoadIdentity();
    camera.lookAt();
    const GLfloat light[4] = {-50.0f, 50.0f, 80.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    planet.draw();
    // Light 0's default position, as the fixture expects it.
    glLoadIdentity();
    const GLfloat defaultLight[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, defaultLight);
    std::vector<unsigned char> rgba(800 * 600 * 4, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

}

TEST_F(GlTest, PlanetTurnsByFloatStepsWithoutWrapping)
{
    Planet planet(Vec3f(0.0f, -860.0f, -200.0f), 800.0f);
    EXPECT_EQ(planet.getAngle(), 0.0f);
    float expected = 0.0f;
    for (int tick = 1; tick <= 10000; ++tick) {
        planet.update();
        expected += 0.05f;
        if (tick == 1) {
            EXPECT_EQ(planet.getAngle(), 0.05f);
        }
    }
    EXPECT_EQ(planet.getAngle(), expected);
    // Past a full turn and still counting: 10000 ticks are about 500 degrees.
    EXPECT_NEAR(planet.getAngle(), 500.0f, 0.5f);
}

TEST_F(GlTest, PlanetDrawLeavesTexturingOffTheMatrixAndTheCloudMaterial)
{
    Planet planet(Vec3f(0.0f, -860.0f, -200.0f), 800.0f);
    const bool fogBefore[] = {true, false};
    for (bool fog : fogBefore) {
        if (fog) {
            glEnable(GL_FOG);
        } else {
            glDisable(GL_FOG);
        }
        glLoadIdentity();
        glTranslatef(0.0f, -5.0f, -10.0f);
        const std::array<GLfloat, 16> before = modelview();

        planet.draw();

        EXPECT_EQ(modelview(), before);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        // The planet changes neither fog nor the texture environment.
        EXPECT_EQ(glIsEnabled(GL_FOG), fog ? GL_TRUE : GL_FALSE);
        GLint mode = 0;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        EXPECT_EQ(mode, GL_MODULATE);
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_TRUE(depthWrites);
    }
    glEnable(GL_FOG);

    // The cloud layer's material stays in force: alpha 0.3 on diffuse and
    // specular, the red of 8.0 unclamped, ambient opaque.
    GLfloat diffuse[4] = {};
    GLfloat specular[4] = {};
    GLfloat ambient[4] = {};
    GLfloat shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(diffuse[0], 8.0f);
    EXPECT_FLOAT_EQ(diffuse[1], 0.6f);
    EXPECT_FLOAT_EQ(diffuse[2], 0.5f);
    EXPECT_FLOAT_EQ(diffuse[3], 0.3f);
    EXPECT_FLOAT_EQ(specular[0], 0.2f);
    EXPECT_FLOAT_EQ(specular[3], 0.3f);
    EXPECT_FLOAT_EQ(ambient[0], 0.7f);
    EXPECT_FLOAT_EQ(ambient[1], 0.55f);
    EXPECT_FLOAT_EQ(ambient[2], 0.4f);
    EXPECT_FLOAT_EQ(ambient[3], 1.0f);
    EXPECT_FLOAT_EQ(shininess, 64.0f);
}

TEST_F(GlTest, PlanetLayersAreScaledTurnedSpunAndMovedInThatOrder)
{
    const Point centre{10.0, -20.0, -30.0};
    const double radius = 5.0;
    Planet planet(Vec3f(10.0f, -20.0f, -30.0f), 5.0f);
    // The sphere is built last, so its buffer is the one left bound.
    GLint bufferSize = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bufferSize);
    ASSERT_EQ(bufferSize, 126720);
    std::vector<float> unit(2880 * 3);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 2880 * 3 * 4, unit.data());

    for (int tick = 0; tick < 600; ++tick) {
        planet.update();
    }
    const double angle = planet.getAngle();
    ASSERT_NEAR(angle, 30.0, 0.01);

    // An orthographic volume of x 0 to 40, y -40 to 0, z 0 to -80 maps the
    // feedback's window coordinates straight back to world coordinates.
    std::vector<GLfloat> buffer(2 * 960 * 11 + 64, 0.0f);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
        glLoadIdentity();
        glOrtho(0.0, 40.0, -40.0, 0.0, 0.0, 80.0);
        glMatrixMode(GL_MODELVIEW);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        planet.draw();
        const GLint used = glRenderMode(GL_RENDER);
        glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    ASSERT_EQ(used, 2 * 960 * 11);

    // The surface turns by the angle at radius 5; the clouds by half of it at
    // 5.025.
    double worst = 0.0;
    for (int layer = 0; layer < 2; ++layer) {
        const double layerRadius = layer == 0 ? radius : radius * 1.005f;
        const double layerAngle = layer == 0 ? angle : static_cast<float>(angle) * 0.5f;
        for (int t = 0; t < 960; ++t) {
            const GLfloat* record = &buffer[(layer * 960 + t) * 11];
            ASSERT_EQ(static_cast<GLint>(record[0]), GL_POLYGON_TOKEN);
            ASSERT_EQ(static_cast<int>(record[1]), 3);
            // The feedback may start a triangle at any of its corners.
            double best = 1e9;
            for (int rotation = 0; rotation < 3; ++rotation) {
                double error = 0.0;
                for (int corner = 0; corner < 3; ++corner) {
                    const int v = 3 * t + (corner + rotation) % 3;
                    const Point p = placed(Point{unit[3 * v], unit[3 * v + 1], unit[3 * v + 2]}, centre,
                                           layerRadius, layerAngle);
                    const GLfloat* fed = record + 2 + 3 * corner;
                    error = std::max(error, std::fabs(fed[0] / 800.0 * 40.0 - p.x));
                    error = std::max(error, std::fabs(fed[1] / 600.0 * 40.0 - 40.0 - p.y));
                    error = std::max(error, std::fabs(-fed[2] * 80.0 - p.z));
                }
                best = std::min(best, error);
            }
            worst = std::max(worst, best);
        }
    }
    EXPECT_LT(worst, 2e-3);
}

TEST_F(GlTest, PlanetTopEdgeLiesLowInTheGameView)
{
    Planet planet(Vec3f(0.0f, -860.0f, -200.0f), 800.0f);
    const std::vector<unsigned char> picture = drawInGameView(planet, 0.0f, 0.0f, 1.0f);
    savePng("/tmp/zarvy-planet.png", picture, 800, 600);

    auto isBackground = [&](int x, int y) {
        const unsigned char* p = &picture[(y * 800 + x) * 4];
        return p[0] == 0 && p[1] == 0 && p[2] == 255;
    };
    int topRow = -1;
    for (int y = 599; y >= 0 && topRow < 0; --y) {
        if (!isBackground(400, y)) {
            topRow = y;
        }
    }
    // The edge is the surface's where the clouds are clear, the cloud
    // layer's where they are not.
    const double surfaceEdge = limbWindowY(800.0, 0.0);
    const double cloudEdge = limbWindowY(804.0, 0.0);
    EXPECT_GE(topRow, static_cast<int>(std::floor(surfaceEdge)) - 2);
    EXPECT_LE(topRow, static_cast<int>(std::ceil(cloudEdge)) + 1);
    // About 140 rows up from the bottom of 600: the planet fills only the
    // bottom of the view, under the asteroid field.
    EXPECT_GT(surfaceEdge, 130.0);
    EXPECT_LT(cloudEdge, 155.0);

    // Nothing of the planet reaches above its top edge anywhere across.
    int above = 0;
    for (int y = static_cast<int>(std::ceil(cloudEdge)) + 2; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            above += !isBackground(x, y);
        }
    }
    EXPECT_EQ(above, 0);
    // Below the edge the planet covers the view.
    EXPECT_FALSE(isBackground(400, static_cast<int>(surfaceEdge) - 20));
    EXPECT_FALSE(isBackground(20, 20));
    EXPECT_FALSE(isBackground(780, 20));
}

TEST_F(GlTest, PlanetCloudsAreTranslucentOverAnOpaqueSurface)
{
    Planet planet(Vec3f(0.0f, -860.0f, -200.0f), 800.0f);
    const std::vector<unsigned char> overBlue = drawInGameView(planet, 0.0f, 0.0f, 1.0f);
    const std::vector<unsigned char> overGreen = drawInGameView(planet, 0.0f, 1.0f, 0.0f);
    std::vector<GLfloat> depth(800 * 600, 1.0f);
    glReadPixels(0, 0, 800, 600, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());

    const int surfaceEdge = static_cast<int>(limbWindowY(800.0, 0.0));
    const int cloudEdge = static_cast<int>(limbWindowY(804.0, 0.0));
    ASSERT_GE(cloudEdge - surfaceEdge, 5);

    // Between the two edges only the cloud layer lies over the background:
    // it is drawn there (it writes depth) and lets at least 70 percent of
    // the background through, as its alpha is at most 0.3.
    for (int y = surfaceEdge + 2; y <= cloudEdge - 2; ++y) {
        const int i = (y * 800 + 400) * 4;
        EXPECT_LT(depth[y * 800 + 400], 1.0f) << "row " << y;
        const int blueThrough = overBlue[i + 2] - overGreen[i + 2];
        const int greenThrough = overGreen[i + 1] - overBlue[i + 1];
        EXPECT_GE(blueThrough, 176) << "row " << y;
        EXPECT_GE(greenThrough, 176) << "row " << y;
    }

    // Inside the edge the surface hides the background completely; the
    // clouds drawn after it blend over the surface, not over the background.
    // The edge falls toward the sides, to about row 90 at the view's corners.
    std::vector<std::array<int, 2>> inside;
    for (int y = 10; y < surfaceEdge - 4; y += 10) {
        inside.push_back({400, y});
    }
    for (int y = 10; y <= 70; y += 20) {
        inside.push_back({20, y});
        inside.push_back({780, y});
    }
    for (const std::array<int, 2>& place : inside) {
        const int i = (place[1] * 800 + place[0]) * 4;
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_EQ(overBlue[i + channel], overGreen[i + channel]) << place[0] << ", " << place[1];
        }
    }
}
