#include "support/GlTest.h"

#include "render/Camera.h"
#include "scene/Skybox.h"

#include <IL/il.h>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

namespace {

const double halfEdge = 1000.0 / std::sqrt(3.0);
const double tanHalfFov = std::tan(22.5 * std::acos(-1.0) / 180.0);

std::array<GLfloat, 16> modelview()
{
    std::array<GLfloat, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

GLint textureEnvMode()
{
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    return mode;
}

// One vertex of the face as the feedback buffer reports it, mapped back
// from window coordinates to the orthographic volume set up below.
struct FedVertex {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double s = 0.0;
    double t = 0.0;
};

// Draws the skybox in feedback mode under an orthographic projection of
// -1000 to 1000 on every axis and returns the polygons it produced. With
// the polygon mode GL_POINT each corner comes back as a polygon of its own,
// even for a face without area.
std::vector<std::vector<FedVertex>> feedbackPolygons(const Skybox& skybox,
                                                     GLenum polygonMode = GL_FILL)
{
    std::vector<GLfloat> buffer(4096, 0.0f);
    glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
        glLoadIdentity();
        glOrtho(-1000.0, 1000.0, -1000.0, 1000.0, -1000.0, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        skybox.draw();
        const GLint used = glRenderMode(GL_RENDER);
        glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    // Window x and y over 800 by 600, depth 0 to 1 from near to far.
    std::vector<std::vector<FedVertex>> polygons;
    const int vertexFloats = 3 + 4 + 4;
    for (GLint i = 0; i < used;) {
        int count = 1;
        if (static_cast<GLint>(buffer[i]) == GL_POLYGON_TOKEN) {
            count = static_cast<int>(buffer[i + 1]);
            i += 2;
        } else if (static_cast<GLint>(buffer[i]) == GL_POINT_TOKEN) {
            i += 1;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << buffer[i];
            break;
        }
        std::vector<FedVertex> polygon;
        for (int v = 0; v < count; ++v, i += vertexFloats) {
            FedVertex fed;
            fed.x = buffer[i] / 800.0 * 2000.0 - 1000.0;
            fed.y = buffer[i + 1] / 600.0 * 2000.0 - 1000.0;
            fed.z = -(buffer[i + 2] * 2000.0 - 1000.0);
            fed.s = buffer[i + 7];
            fed.t = buffer[i + 8];
            polygon.push_back(fed);
        }
        polygons.push_back(polygon);
    }
    return polygons;
}

// Window depth of a point at eye-space depth z under the fixture's projection.
double windowDepth(double z)
{
    const double nearPlane = 0.05;
    const double farPlane = 1000.0;
    const double ndc = (farPlane + nearPlane) / (farPlane - nearPlane)
                     + 2.0 * farPlane * nearPlane / ((farPlane - nearPlane) * z);
    return 0.5 * (ndc + 1.0);
}

// The sky image as the texture holds it: DevIL's rows in the order it
// delivers them, the first row at t = 0.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

bool loadImage(const char* path, Image& image)
{
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    bool ok = ilLoadImage(path) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    if (ok) {
        image.width = ilGetInteger(IL_IMAGE_WIDTH);
        image.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* data = ilGetData();
        image.rgba.assign(data, data + image.width * image.height * 4);
    }
    ilDeleteImages(1, &id);
    return ok;
}

// GL_LINEAR sampling with the repeat wrap mode.
double sampleLinear(const Image& image, double s, double t, int channel)
{
    const double u = s * image.width - 0.5;
    const double v = t * image.height - 0.5;
    const int i0 = static_cast<int>(std::floor(u));
    const int j0 = static_cast<int>(std::floor(v));
    const double a = u - i0;
    const double b = v - j0;
    auto texel = [&](int i, int j) {
        i = ((i % image.width) + image.width) % image.width;
        j = ((j % image.height) + image.height) % image.height;
        return static_cast<double>(image.rgba[(j * image.width + i) * 4 + channel]);
    };
    return (1 - a) * (1 - b) * texel(i0, j0) + a * (1 - b) * texel(i0 + 1, j0)
         + (1 - a) * b * texel(i0, j0 + 1) + a * b * texel(i0 + 1, j0 + 1);
}

}

TEST_F(GlTest, SkyboxDrawRestoresFogEnvironmentTexturingAndMatrix)
{
    Camera camera(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    Skybox skybox(&camera, 1000.0f);

    // Whatever the state was before, the draw leaves the scene's baseline.
    const bool fogBefore[] = {false, true};
    const GLint envBefore[] = {GL_REPLACE, GL_MODULATE};
    for (int c = 0; c < 2; ++c) {
        if (fogBefore[c]) {
            glEnable(GL_FOG);
        } else {
            glDisable(GL_FOG);
        }
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envBefore[c]);
        glLoadIdentity();
        glTranslatef(1.0f, 2.0f, 3.0f);
        glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
        const std::array<GLfloat, 16> before = modelview();

        skybox.draw();

        EXPECT_TRUE(glIsEnabled(GL_FOG)) << "case " << c;
        EXPECT_EQ(textureEnvMode(), GL_MODULATE) << "case " << c;
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "case " << c;
        EXPECT_EQ(modelview(), before) << "case " << c;
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "case " << c;
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << "case " << c;
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_TRUE(depthWrites) << "case " << c;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlTest, SkyboxFaceIsTheFrontOfTheCubeWithCornersAtSize)
{
    Skybox skybox(nullptr, 1000.0f);
    const std::vector<std::vector<FedVertex>> polygons = feedbackPolygons(skybox);
    ASSERT_FALSE(polygons.empty());

    std::set<std::array<int, 2>> corners;
    for (const std::vector<FedVertex>& polygon : polygons) {
        ASSERT_GE(polygon.size(), 3u);
        double area = 0.0;
        for (size_t v = 0; v < polygon.size(); ++v) {
            const FedVertex& p = polygon[v];
            const FedVertex& q = polygon[(v + 1) % polygon.size()];
            area += p.x * q.y - q.x * p.y;

            EXPECT_NEAR(std::fabs(p.x), halfEdge, 0.01);
            EXPECT_NEAR(std::fabs(p.y), halfEdge, 0.01);
            EXPECT_NEAR(p.z, -halfEdge, 0.05);
            EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 1000.0, 0.05);
            // The image spans the face once, upright: s grows with x, t with y.
            EXPECT_EQ(p.s, p.x > 0.0 ? 1.0 : 0.0);
            EXPECT_EQ(p.t, p.y > 0.0 ? 1.0 : 0.0);
            corners.insert({p.x > 0.0 ? 1 : -1, p.y > 0.0 ? 1 : -1});
        }
        // Counter-clockwise seen from the origin, looking down -z.
        EXPECT_GT(area, 0.0);
    }
    EXPECT_EQ(corners.size(), 4u);
}

TEST_F(GlTest, SkyboxOfSizeZeroHasNoNaNCorners)
{
    // A face of size 0 has no area, so it is read back corner by corner: a
    // corner with NaN in it would be dropped, not reported.
    Skybox skybox(nullptr, 0.0f);
    const std::vector<std::vector<FedVertex>> corners = feedbackPolygons(skybox, GL_POINT);
    ASSERT_EQ(corners.size(), 4u);
    for (const std::vector<FedVertex>& corner : corners) {
        ASSERT_EQ(corner.size(), 1u);
        const FedVertex& p = corner[0];
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        EXPECT_NEAR(p.x, 0.0, 0.01);
        EXPECT_NEAR(p.y, 0.0, 0.01);
        EXPECT_NEAR(p.z, 0.0, 0.05);
    }
}

TEST_F(GlTest, SkyboxCoversTheWholeInitialViewAtItsDepthEvenWithCulling)
{
    Camera camera(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    Skybox skybox(&camera, 1000.0f);
    glEnable(GL_CULL_FACE);
    camera.lookAt();
    skybox.draw();
    glDisable(GL_CULL_FACE);

    std::vector<GLfloat> depth(800 * 600, 1.0f);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 800, 600, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    // The face stands square to the view, so every pixel has the depth of
    // the plane z = -577.35, well short of the cleared 1.0.
    const double expected = windowDepth(-halfEdge);
    ASSERT_LT(expected, 1.0 - 3e-5);
    int off = 0;
    for (GLfloat d : depth) {
        off += std::fabs(d - expected) > 2e-6;
    }
    EXPECT_EQ(off, 0);
}

TEST_F(GlTest, SkyboxShowsItsImageUnfoggedAndUnlit)
{
    Image image;
    if (!loadImage("Textures/front.png", image)) {
        GTEST_SKIP() << "Textures/front.png is not there yet";
    }
    Camera camera(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    Skybox skybox(&camera, 1000.0f);
    // A clear colour the sky does not use, to see a face that is missing.
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    camera.lookAt();
    skybox.draw();
    const std::vector<unsigned char> picture = readBackBuffer();
    savePng("/tmp/zarvy-skybox.png", picture, 800, 600);

    // Pixel centres map onto the face linearly: at the view's edges the face
    // is tan(22.5 degrees) of its half-edge from its middle.
    int probes = 0;
    int mismatches = 0;
    for (int px = 10; px < 800; px += 40) {
        for (int py = 10; py < 600; py += 40) {
            const double ndcX = (px + 0.5) / 400.0 - 1.0;
            const double ndcY = (py + 0.5) / 300.0 - 1.0;
            const double s = 0.5 * (ndcX * tanHalfFov * 800.0 / 600.0 + 1.0);
            const double t = 0.5 * (ndcY * tanHalfFov + 1.0);
            const unsigned char* pixel = &picture[(py * 800 + px) * 4];
            ++probes;
            for (int channel = 0; channel < 3; ++channel) {
                if (std::fabs(pixel[channel] - sampleLinear(image, s, t, channel)) > 6.0) {
                    ++mismatches;
                    break;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << probes << " probes";
}

TEST_F(GlTest, SkyboxUpdateKeepsTheCamerasEye)
{
    Camera camera(1.0f, 2.0f, 3.0f, 1.0f, 2.0f, 2.0f, 0.0f, 1.0f, 0.0f);
    Skybox skybox(&camera, 1000.0f);
    EXPECT_EQ(skybox.getLastEye().z, 3.0f);

    camera.move(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(skybox.getLastEye().z, 3.0f);
    skybox.update();
    EXPECT_EQ(skybox.getLastEye().x, 1.0f);
    EXPECT_EQ(skybox.getLastEye().y, 2.0f);
    EXPECT_EQ(skybox.getLastEye().z, 2.0f);

    Skybox detached(nullptr, 1000.0f);
    detached.update();
    EXPECT_EQ(detached.getLastEye().z, 0.0f);
}
