#include "support/GlTest.h"

#include "scene/Sphere.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <vector>

namespace {

const int vertexCount = 2880;
const double radiansPerDegree = std::acos(-1.0) / 180.0;

// The sphere's arrays as the buffer object holds them.
struct SphereData {
    GLint bufferSize = 0;
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords;
    std::vector<float> colours;
};

// The constructor leaves its new buffer bound, so the binding names it.
SphereData readBoundSphereBuffer()
{
    SphereData data;
    GLint name = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &name);
    EXPECT_NE(name, 0);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &data.bufferSize);
    if (data.bufferSize != 126720) {
        return data;
    }
    std::vector<float> all(data.bufferSize / 4);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, data.bufferSize, all.data());
    const auto start = all.begin();
    data.positions.assign(start, start + 8640);
    data.normals.assign(start + 8640, start + 17280);
    data.texCoords.assign(start + 17280, start + 23040);
    data.colours.assign(start + 23040, all.end());
    return data;
}

std::array<double, 3> at3(const std::vector<float>& v, int i)
{
    return {v[3 * i], v[3 * i + 1], v[3 * i + 2]};
}

double length(const std::array<double, 3>& a)
{
    return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
}

// Ring (0 at the north pole) and segment (0 toward -z, growing toward -x)
// recovered from a position.
struct GridPlace {
    int ring = 0;
    int segment = 0;
};

GridPlace placeOf(const std::array<double, 3>& p)
{
    GridPlace place;
    const double y = std::max(-1.0, std::min(1.0, p[1]));
    place.ring = static_cast<int>(std::lround(std::acos(y) / radiansPerDegree / 11.25));
    double phi = std::atan2(-p[0], -p[2]) / radiansPerDegree;
    if (phi < 0.0) {
        phi += 360.0;
    }
    place.segment = static_cast<int>(std::lround(phi / 11.25)) % 32;
    return place;
}

// Normal y and horizontal length per ring, rings 0 to 8; the southern rings
// mirror them.
const double ringNormalY[9] = {1.0, 0.979598, 0.921707, 0.828645, 0.704059, 0.552761, 0.380537, 0.193930, 0.0};
const double ringNormalH[9] = {0.0, 0.200969, 0.387887, 0.559775, 0.710141, 0.833340, 0.924766, 0.981015, 1.0};

void expectNear3(const std::vector<float>& v, int i, double x, double y, double z, const char* what)
{
    EXPECT_NEAR(v[3 * i], x, 1e-6) << what << " x of vertex " << i;
    EXPECT_NEAR(v[3 * i + 1], y, 1e-6) << what << " y of vertex " << i;
    EXPECT_NEAR(v[3 * i + 2], z, 1e-6) << what << " z of vertex " << i;
}

}

TEST_F(GlTest, SphereBufferHoldsTheTellingRowsAndItsColourIn126720Bytes)
{
    Sphere sphere(Vec3f(0.25f, 0.5f, 0.75f));
    const SphereData d = readBoundSphereBuffer();
    ASSERT_EQ(d.bufferSize, 126720);
    for (int i = 0; i < vertexCount; ++i) {
        ASSERT_EQ(d.colours[3 * i], 0.25f) << "vertex " << i;
        ASSERT_EQ(d.colours[3 * i + 1], 0.5f) << "vertex " << i;
        ASSERT_EQ(d.colours[3 * i + 2], 0.75f) << "vertex " << i;
    }

    struct Row {
        int vertex;
        double p[3];
        double n[3];
        double t[2];
    };
    const Row rows[] = {
        {0, {0, 1, 0}, {0, 1, 0}, {6, 4}},
        {1, {0, 0.9808, -0.1951}, {0, 0.9796, -0.2010}, {4, 3.75}},
        {2, {-0.0381, 0.9808, -0.1913}, {-0.0392, 0.9796, -0.1971}, {4.125, 3.75}},
        {3, {0, 1, 0}, {0, 1, 0}, {2, 4}},
        {4, {-0.0381, 0.9808, -0.1913}, {-0.0392, 0.9796, -0.1971}, {0.125, 3.75}},
        {5, {-0.0747, 0.9808, -0.1802}, {-0.0769, 0.9796, -0.1857}, {0.25, 3.75}},
        {96, {-0.0747, 0.9239, -0.3753}, {-0.0757, 0.9217, -0.3804}, {4.125, 3.5}},
        {2877, {0, -1, 0}, {0, -1, 0}, {2, 0}},
        {2878, {0, -0.9808, -0.1951}, {0, -0.9796, -0.2010}, {4, 0.25}},
        {2879, {0.0381, -0.9808, -0.1913}, {0.0392, -0.9796, -0.1971}, {3.875, 0.25}},
    };
    for (const Row& row : rows) {
        expectNear3(d.positions, row.vertex, row.p[0], row.p[1], row.p[2], "position");
        expectNear3(d.normals, row.vertex, row.n[0], row.n[1], row.n[2], "normal");
        EXPECT_EQ(d.texCoords[2 * row.vertex], static_cast<float>(row.t[0])) << "s of vertex " << row.vertex;
        EXPECT_EQ(d.texCoords[2 * row.vertex + 1], static_cast<float>(row.t[1])) << "t of vertex " << row.vertex;
    }

    // The first south-cap triangle shifts only its pole.
    const int firstSouth = vertexCount - 96;
    EXPECT_EQ(d.texCoords[2 * firstSouth], -2.0f);
    EXPECT_EQ(d.texCoords[2 * (firstSouth + 1)], 0.125f);
    EXPECT_EQ(d.texCoords[2 * (firstSouth + 1) + 1], 0.25f);
    EXPECT_EQ(d.texCoords[2 * (firstSouth + 2)], 0.0f);
}

TEST_F(GlTest, SphereVerticesFollowTheRingAndSegmentRule)
{
    Sphere sphere(Vec3f(1.0f, 1.0f, 1.0f));
    const SphereData d = readBoundSphereBuffer();
    ASSERT_EQ(d.bufferSize, 126720);

    int exceptions = 0;
    for (int i = 0; i < vertexCount; ++i) {
        const std::array<double, 3> p = at3(d.positions, i);
        const GridPlace place = placeOf(p);
        const int k = place.ring;
        const bool pole = k == 0 || k == 16;
        const double theta = k * 11.25 * radiansPerDegree;
        const double phi = place.segment * 11.25 * radiansPerDegree;

        // Positions: the rule to four decimals; the four written exceptions
        // lie 5.03e-5 away.
        EXPECT_NEAR(p[0], -std::sin(theta) * std::sin(phi), 6e-5) << "vertex " << i;
        EXPECT_NEAR(p[1], std::cos(theta), 6e-5) << "vertex " << i;
        EXPECT_NEAR(p[2], -std::sin(theta) * std::cos(phi), 6e-5) << "vertex " << i;
        if ((k == 4 || k == 12) && place.segment == 17) {
            EXPECT_EQ(d.positions[3 * i], 0.1380f) << "vertex " << i;
            ++exceptions;
        }
        if ((k == 4 || k == 12) && place.segment == 25) {
            EXPECT_EQ(d.positions[3 * i + 2], -0.1380f) << "vertex " << i;
            ++exceptions;
        }

        // Normals: the per-ring table, mirrored south of the equator.
        const double ny = k <= 8 ? ringNormalY[k] : -ringNormalY[16 - k];
        const double h = k <= 8 ? ringNormalH[k] : ringNormalH[16 - k];
        EXPECT_NEAR(d.normals[3 * i], -h * std::sin(phi), 5.1e-5) << "vertex " << i;
        EXPECT_NEAR(d.normals[3 * i + 1], ny, 5.1e-5) << "vertex " << i;
        EXPECT_NEAR(d.normals[3 * i + 2], -h * std::cos(phi), 5.1e-5) << "vertex " << i;

        // Texture coordinates: t from the ring, s from the segment up to
        // whole repeats (the seam copies and shifted triangles).
        EXPECT_EQ(d.texCoords[2 * i + 1], static_cast<float>((16 - k) / 4.0)) << "vertex " << i;
        if (!pole) {
            const double repeats = (d.texCoords[2 * i] - place.segment / 8.0) / 4.0;
            EXPECT_NEAR(repeats, std::round(repeats), 1e-9) << "vertex " << i;
        }
    }
    // Each of the four exceptional places is used by six triangle corners.
    EXPECT_EQ(exceptions, 4 * 6);

    // No band triangle runs back across the texture at the seam.
    for (int t = 32; t < 32 + 896; ++t) {
        float sMin = 1e9f, sMax = -1e9f;
        for (int corner = 0; corner < 3; ++corner) {
            sMin = std::min(sMin, d.texCoords[2 * (3 * t + corner)]);
            sMax = std::max(sMax, d.texCoords[2 * (3 * t + corner)]);
        }
        EXPECT_EQ(sMax - sMin, 0.125f) << "band triangle " << t;
    }
}

TEST_F(GlTest, SphereIsAUnitSphereOf482PointsWithNormalsCloseToThem)
{
    Sphere sphere(Vec3f(1.0f, 1.0f, 1.0f));
    const SphereData d = readBoundSphereBuffer();
    ASSERT_EQ(d.bufferSize, 126720);

    double largestAngle = 0.0;
    std::set<std::array<float, 3>> distinct;
    for (int i = 0; i < vertexCount; ++i) {
        distinct.insert({d.positions[3 * i], d.positions[3 * i + 1], d.positions[3 * i + 2]});
        const std::array<double, 3> p = at3(d.positions, i);
        const std::array<double, 3> n = at3(d.normals, i);
        EXPECT_NEAR(length(p), 1.0, 1e-4) << "vertex " << i;
        EXPECT_NEAR(length(n), 1.0, 1e-4) << "vertex " << i;
        const double cosine = (p[0] * n[0] + p[1] * n[1] + p[2] * n[2]) / (length(p) * length(n));
        largestAngle = std::max(largestAngle, std::acos(std::min(1.0, cosine)) / radiansPerDegree);
    }
    EXPECT_LT(largestAngle, 0.4);
    // The normals do lean toward the equator: they are not the positions.
    EXPECT_GT(largestAngle, 0.3);
    // 32 points on each of the 15 rings between the poles, and the poles.
    EXPECT_EQ(distinct.size(), 482u);
}

TEST_F(GlTest, SphereWithCullingShowsItsOutsideAndHidesItsInside)
{
    Sphere sphere(Vec3f(1.0f, 1.0f, 1.0f));
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glEnable(GL_CULL_FACE);

    // From outside: the front faces cover the middle of the view.
    glPushMatrix();
        glTranslatef(0.0f, 0.0f, -5.0f);
        sphere.draw();
    glPopMatrix();
    const std::vector<unsigned char> outside = readPixel(400, 300);

    // From inside: every face is a back face.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
        glScalef(10.0f, 10.0f, 10.0f);
        sphere.draw();
    glPopMatrix();
    const std::vector<unsigned char> back = readBackBuffer();

    glDisable(GL_CULL_FACE);
    glEnable(GL_FOG);
    glEnable(GL_LIGHTING);

    // The vertex colour is white and lighting is off.
    EXPECT_EQ(outside[0], 255);
    EXPECT_EQ(outside[1], 255);
    EXPECT_EQ(outside[2], 255);
    int drawn = 0;
    for (size_t i = 0; i < back.size(); i += 4) {
        drawn += back[i] != 0 || back[i + 1] != 0 || back[i + 2] != 0;
    }
    EXPECT_EQ(drawn, 0);
}
