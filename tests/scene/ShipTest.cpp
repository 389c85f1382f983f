#include "support/GlTest.h"

#include "math/AABoundBox.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Ship.h"
#include "scene/ShipData.h"
#include "tools/shipgen/ShipAtlas.h"

#include <GL/glu.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

namespace {

using Vec = std::array<double, 3>;

const int cornerCount = shipTriangleCount * 3;

Vec position(int p)
{
    return {shipPositions[p][0], shipPositions[p][1], shipPositions[p][2]};
}

Vec minus(const Vec& a, const Vec& b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Vec cross(const Vec& a, const Vec& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Vec& a, const Vec& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// One connected piece of the mesh: its positions and its triangles.
struct Surface {
    std::vector<int> positions;
    std::vector<int> triangles;
    double minX = 1e9;
    double maxX = -1e9;
};

int findRoot(std::vector<int>& parent, int p)
{
    while (parent[p] != p) {
        parent[p] = parent[parent[p]];
        p = parent[p];
    }
    return p;
}

// The surfaces, found by which positions the triangles connect, from left to
// right by the middle of their x extents: left pod, hull, right pod.
std::vector<Surface> findSurfaces()
{
    std::vector<int> parent(shipPositionCount);
    std::iota(parent.begin(), parent.end(), 0);
    for (int t = 0; t < shipTriangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            const int a = findRoot(parent, shipTriangles[t][k][0]);
            const int b = findRoot(parent, shipTriangles[t][(k + 1) % 3][0]);
            parent[a] = b;
        }
    }
    std::map<int, Surface> byRoot;
    for (int p = 0; p < shipPositionCount; ++p) {
        Surface& s = byRoot[findRoot(parent, p)];
        s.positions.push_back(p);
        s.minX = std::min(s.minX, static_cast<double>(shipPositions[p][0]));
        s.maxX = std::max(s.maxX, static_cast<double>(shipPositions[p][0]));
    }
    for (int t = 0; t < shipTriangleCount; ++t) {
        byRoot[findRoot(parent, shipTriangles[t][0][0])].triangles.push_back(t);
    }
    std::vector<Surface> surfaces;
    for (auto& entry : byRoot) {
        surfaces.push_back(entry.second);
    }
    std::sort(surfaces.begin(), surfaces.end(),
              [](const Surface& a, const Surface& b) { return a.minX + a.maxX < b.minX + b.maxX; });
    return surfaces;
}

// Number of directed edges of the surface that are not matched by exactly
// one edge running the other way (0 for a closed, consistently wound mesh).
int unpairedEdges(const Surface& s)
{
    std::map<std::pair<int, int>, int> directed;
    for (int t : s.triangles) {
        for (int k = 0; k < 3; ++k) {
            ++directed[{shipTriangles[t][k][0], shipTriangles[t][(k + 1) % 3][0]}];
        }
    }
    int unpaired = 0;
    for (const auto& edge : directed) {
        const auto back = directed.find({edge.first.second, edge.first.first});
        if (edge.second != 1 || back == directed.end() || back->second != 1) {
            ++unpaired;
        }
    }
    return unpaired;
}

int edgeCount(const Surface& s)
{
    std::set<std::pair<int, int>> edges;
    for (int t : s.triangles) {
        for (int k = 0; k < 3; ++k) {
            const int a = shipTriangles[t][k][0];
            const int b = shipTriangles[t][(k + 1) % 3][0];
            edges.insert({std::min(a, b), std::max(a, b)});
        }
    }
    return static_cast<int>(edges.size());
}

double signedVolume(const Surface& s)
{
    double volume = 0.0;
    for (int t : s.triangles) {
        const Vec a = position(shipTriangles[t][0][0]);
        const Vec b = position(shipTriangles[t][1][0]);
        const Vec c = position(shipTriangles[t][2][0]);
        volume += dot(a, cross(b, c)) / 6.0;
    }
    return volume;
}

// The index of the position equal to p mirrored across x = 0, or -1.
int mirrorOf(int p)
{
    for (int q = 0; q < shipPositionCount; ++q) {
        if (shipPositions[q][0] == -shipPositions[p][0] && shipPositions[q][1] == shipPositions[p][1] &&
            shipPositions[q][2] == shipPositions[p][2]) {
            return q;
        }
    }
    return -1;
}

void expectVec(const Vec& actual, double x, double y, double z, double tolerance)
{
    EXPECT_NEAR(actual[0], x, tolerance);
    EXPECT_NEAR(actual[1], y, tolerance);
    EXPECT_NEAR(actual[2], z, tolerance);
}

bool hasPosition(double x, double y, double z)
{
    for (int p = 0; p < shipPositionCount; ++p) {
        if (std::fabs(shipPositions[p][0] - x) < 1e-6 && std::fabs(shipPositions[p][1] - y) < 1e-6 &&
            std::fabs(shipPositions[p][2] - z) < 1e-6) {
            return true;
        }
    }
    return false;
}

// Twice the signed area of a texture-space triangle.
double uvArea(const std::array<double, 2>& a, const std::array<double, 2>& b,
              const std::array<double, 2>& c)
{
    return (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
}

std::array<std::array<double, 2>, 3> uvTriangle(int t)
{
    std::array<std::array<double, 2>, 3> uv;
    for (int k = 0; k < 3; ++k) {
        uv[k] = {shipTexCoords[shipTriangles[t][k][1]][0], shipTexCoords[shipTriangles[t][k][1]][1]};
    }
    return uv;
}

// True when the interiors of two texture-space triangles overlap by more
// than a sliver: some edge of one separates them (separating axis test).
bool uvOverlap(const std::array<std::array<double, 2>, 3>& a,
               const std::array<std::array<double, 2>, 3>& b)
{
    const double slack = 1e-5;
    for (int pass = 0; pass < 2; ++pass) {
        const auto& p = pass == 0 ? a : b;
        const auto& q = pass == 0 ? b : a;
        const double sign = uvArea(p[0], p[1], p[2]) > 0.0 ? 1.0 : -1.0;
        for (int e = 0; e < 3; ++e) {
            const auto& s = p[e];
            const auto& f = p[(e + 1) % 3];
            bool allOutside = true;
            for (int k = 0; k < 3; ++k) {
                if (sign * uvArea(s, f, q[k]) > slack) {
                    allOutside = false;
                }
            }
            if (allOutside) {
                return false;
            }
        }
    }
    return true;
}

}

// ---------------------------------------------------------------------------
// The constant tables.

TEST(ShipDataTest, EveryTableEntryIsUsedAndNumberedInOrderOfFirstUse)
{
    const int sizes[3] = {shipPositionCount, shipTexCoordCount, shipNormalCount};
    int seen[3] = {0, 0, 0};
    for (int t = 0; t < shipTriangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            for (int table = 0; table < 3; ++table) {
                const int index = shipTriangles[t][k][table];
                ASSERT_GE(index, 0);
                ASSERT_LT(index, sizes[table]);
                // A new entry must be the next one in the table.
                ASSERT_LE(index, seen[table]) << "triangle " << t << " corner " << k;
                if (index == seen[table]) {
                    ++seen[table];
                }
            }
        }
    }
    EXPECT_EQ(seen[0], 284);
    EXPECT_EQ(seen[1], 574);
    EXPECT_EQ(seen[2], 296);
    EXPECT_EQ(shipTriangleCount, 556);
}

TEST(ShipDataTest, TrianglesFormAHullAndTwoPodsEachClosedAndWoundOutward)
{
    const std::vector<Surface> surfaces = findSurfaces();
    ASSERT_EQ(surfaces.size(), 3u);
    const Surface& leftPod = surfaces[0];
    const Surface& hull = surfaces[1];
    const Surface& rightPod = surfaces[2];
    EXPECT_EQ(hull.positions.size(), 106u);
    EXPECT_EQ(hull.triangles.size(), 208u);
    for (const Surface* pod : {&leftPod, &rightPod}) {
        EXPECT_EQ(pod->positions.size(), 89u);
        EXPECT_EQ(pod->triangles.size(), 174u);
    }
    EXPECT_DOUBLE_EQ(hull.minX, -3.5344f);
    EXPECT_DOUBLE_EQ(hull.maxX, 3.5344f);
    for (const Surface& s : surfaces) {
        EXPECT_EQ(unpairedEdges(s), 0);
        // Closed and without handles: V - E + F = 2.
        EXPECT_EQ(static_cast<int>(s.positions.size()) - edgeCount(s) + static_cast<int>(s.triangles.size()), 2);
        EXPECT_GT(signedVolume(s), 0.0);
    }
}

TEST(ShipDataTest, PodsAreMirrorImagesOfEachOther)
{
    const std::vector<Surface> surfaces = findSurfaces();
    ASSERT_EQ(surfaces.size(), 3u);
    const std::set<int> left(surfaces[0].positions.begin(), surfaces[0].positions.end());
    for (int p : surfaces[2].positions) {
        EXPECT_EQ(left.count(mirrorOf(p)), 1u) << "right pod position " << p;
    }
    // Every right-pod triangle has its mirror image, wound the other way so
    // that it faces outward too, in the left pod.
    std::set<std::array<int, 3>> leftTriangles;
    for (int t : surfaces[0].triangles) {
        std::array<int, 3> c{shipTriangles[t][0][0], shipTriangles[t][1][0], shipTriangles[t][2][0]};
        std::rotate(c.begin(), std::min_element(c.begin(), c.end()), c.end());
        leftTriangles.insert(c);
    }
    for (int t : surfaces[2].triangles) {
        std::array<int, 3> m{mirrorOf(shipTriangles[t][0][0]), mirrorOf(shipTriangles[t][2][0]),
                             mirrorOf(shipTriangles[t][1][0])};
        std::rotate(m.begin(), std::min_element(m.begin(), m.end()), m.end());
        EXPECT_EQ(leftTriangles.count(m), 1u) << "right pod triangle " << t;
    }
}

TEST(ShipDataTest, AllPositionsButTheTwoOnTheMiddlePlaneHaveMirrorPartners)
{
    // A position on x = 0 is its own mirror image and has no partner.
    int partnered = 0;
    std::vector<int> alone;
    for (int p = 0; p < shipPositionCount; ++p) {
        const int m = mirrorOf(p);
        if (m >= 0 && m != p) {
            ++partnered;
        } else {
            alone.push_back(p);
        }
    }
    EXPECT_EQ(partnered, 282);
    ASSERT_EQ(alone.size(), 2u);
    for (int p : alone) {
        EXPECT_EQ(shipPositions[p][0], 0.0f);
    }
}

TEST(ShipDataTest, ExtentsAndNamedPointsAreWhereThePlayerExpectsThem)
{
    Vec lo{1e9, 1e9, 1e9};
    Vec hi{-1e9, -1e9, -1e9};
    for (int p = 0; p < shipPositionCount; ++p) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], static_cast<double>(shipPositions[p][k]));
            hi[k] = std::max(hi[k], static_cast<double>(shipPositions[p][k]));
        }
    }
    expectVec(lo, -3.5344, -0.7556, -3.6785, 1e-6);
    expectVec(hi, 3.5344, 0.9998, 3.0347, 1e-6);

    EXPECT_TRUE(hasPosition(0.0, -0.3507, 3.0347)) << "nose tip";
    for (double side : {-1.0, 1.0}) {
        EXPECT_TRUE(hasPosition(side * 3.5344, -0.4892, -2.9458)) << "tip leading edge";
        EXPECT_TRUE(hasPosition(side * 3.5344, -0.5391, -3.6785)) << "tip trailing edge";
    }
    int nosePoints = 0;
    int highest = 0;
    for (int p = 0; p < shipPositionCount; ++p) {
        nosePoints += std::fabs(shipPositions[p][2] - 3.0347) < 1e-6 ? 1 : 0;
        if (std::fabs(shipPositions[p][1] - 0.9998) < 1e-6) {
            ++highest;
            EXPECT_NEAR(shipPositions[p][2], -2.5944, 1e-6);
        }
        // Only the wing tips reach the full width.
        if (std::fabs(std::fabs(shipPositions[p][0]) - 3.5344) < 1e-6) {
            EXPECT_LT(shipPositions[p][2], -2.9) << "position " << p;
        }
    }
    EXPECT_EQ(nosePoints, 1);
    EXPECT_GE(highest, 1);
}

TEST(ShipDataTest, PodNozzlesSitWhereTheFlamesAreDrawn)
{
    const std::vector<Surface> surfaces = findSurfaces();
    ASSERT_EQ(surfaces.size(), 3u);
    for (int pod : {0, 2}) {
        const double side = pod == 0 ? -1.0 : 1.0;
        Vec lo{1e9, 1e9, 1e9};
        Vec hi{-1e9, -1e9, -1e9};
        for (int p : surfaces[pod].positions) {
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], static_cast<double>(shipPositions[p][k]));
                hi[k] = std::max(hi[k], static_cast<double>(shipPositions[p][k]));
            }
        }
        EXPECT_NEAR(side > 0 ? lo[0] : -hi[0], 0.3740, 1e-6);
        EXPECT_NEAR(side > 0 ? hi[0] : -lo[0], 1.2821, 1e-6);
        EXPECT_NEAR(lo[1], -0.7556, 1e-6);
        EXPECT_NEAR(hi[1], 0.1525, 1e-6);
        EXPECT_NEAR(lo[2], -2.7828, 1e-6);
        EXPECT_NEAR(hi[2], -1.5563, 1e-6);

        // The nozzle: the rearmost points, round the flames' axis.
        Vec centre{0.0, 0.0, 0.0};
        int count = 0;
        for (int p : surfaces[pod].positions) {
            if (std::fabs(shipPositions[p][2] - lo[2]) < 1e-6) {
                for (int k = 0; k < 3; ++k) {
                    centre[k] += shipPositions[p][k];
                }
                ++count;
            }
        }
        ASSERT_GT(count, 2);
        expectVec({centre[0] / count, centre[1] / count, centre[2] / count}, side * 0.83, -0.30, -2.78,
                  0.01);
    }
}

TEST(ShipDataTest, NormalsAreUnitLengthAndFaceOutward)
{
    for (int n = 0; n < shipNormalCount; ++n) {
        const Vec v{shipNormals[n][0], shipNormals[n][1], shipNormals[n][2]};
        EXPECT_NEAR(std::sqrt(dot(v, v)), 1.0, 1e-4) << "normal " << n;
    }
    // Every corner's normal leans the way its triangle faces, so lighting
    // agrees with the winding that culling keeps.
    for (int t = 0; t < shipTriangleCount; ++t) {
        const Vec a = position(shipTriangles[t][0][0]);
        const Vec face = cross(minus(position(shipTriangles[t][1][0]), a),
                               minus(position(shipTriangles[t][2][0]), a));
        for (int k = 0; k < 3; ++k) {
            const float* n = shipNormals[shipTriangles[t][k][2]];
            EXPECT_GT(dot(face, {n[0], n[1], n[2]}), 0.0) << "triangle " << t << " corner " << k;
        }
    }
}

TEST(ShipDataTest, TextureCoordinatesFillTheSkinWithoutOverlapping)
{
    double lo[2] = {1e9, 1e9};
    double hi[2] = {-1e9, -1e9};
    for (int i = 0; i < shipTexCoordCount; ++i) {
        for (int k = 0; k < 2; ++k) {
            lo[k] = std::min(lo[k], static_cast<double>(shipTexCoords[i][k]));
            hi[k] = std::max(hi[k], static_cast<double>(shipTexCoords[i][k]));
        }
    }
    EXPECT_NEAR(lo[0], 0.01, 1e-6);
    EXPECT_NEAR(hi[0], 0.9421, 1e-6);
    EXPECT_NEAR(lo[1], 0.01, 1e-6);
    EXPECT_NEAR(hi[1], 0.99, 1e-6);

    // Each triangle lies in one part of the skin, and no two share texels,
    // so the painter can colour every texel for the one place it covers.
    std::vector<std::array<std::array<double, 2>, 3>> uv;
    for (int t = 0; t < shipTriangleCount; ++t) {
        uv.push_back(uvTriangle(t));
        const ShipAtlas::Part part = ShipAtlas::partAt(uv[t][0][0], uv[t][0][1]);
        ASSERT_NE(part, ShipAtlas::PartCount) << "triangle " << t;
        for (int k = 1; k < 3; ++k) {
            EXPECT_TRUE(ShipAtlas::rectOf(part).contains(uv[t][k][0], uv[t][k][1])) << "triangle " << t;
        }
    }
    int overlaps = 0;
    for (int a = 0; a < shipTriangleCount; ++a) {
        for (int b = a + 1; b < shipTriangleCount; ++b) {
            overlaps += uvOverlap(uv[a], uv[b]) ? 1 : 0;
        }
    }
    EXPECT_EQ(overlaps, 0);

}

// ---------------------------------------------------------------------------
// The ship in OpenGL.

namespace {

// Counts the pixels that differ from the black background.
int coveredPixels(const std::vector<unsigned char>& rgba)
{
    int covered = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        covered += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0 ? 1 : 0;
    }
    return covered;
}

struct Eye {
    const char* name;
    double x, y, z;
    double upX, upY, upZ;
};

// The views worth looking at: the game's chase camera, then above, the
// side, behind close up and below; the ship sits at z = -20, nose toward -z.
const Eye eyes[] = {
    {"chase", 0.0, 5.0, 10.0, 0.0, 1.0, 0.0},
    {"above", 0.0, 14.0, -20.01, 0.0, 0.0, -1.0},
    {"side", 12.0, 0.0, -20.0, 0.0, 1.0, 0.0},
    {"behind", 4.0, 2.5, -11.0, 0.0, 1.0, 0.0},
    {"below", 0.0, -14.0, -20.01, 0.0, 0.0, -1.0},
};

// Places the ship as the player does at the start: at (0, 0, -20), turned
// so its nose points along -z.
void lookAtShip(const Eye& eye)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const bool chase = std::string(eye.name) == "chase";
    gluLookAt(eye.x, eye.y, eye.z, 0.0, chase ? 5.0 : 0.0, chase ? -30.0 : -20.0, eye.upX, eye.upY,
              eye.upZ);
    const GLfloat light[4] = {-50.0f, 50.0f, 80.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glTranslatef(0.0f, 0.0f, -20.0f);
    const GLfloat turn[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    glMultMatrixf(turn);
}

}

TEST_F(GlTest, ShipBufferHoldsEveryCornerExpandedInTriangleOrder)
{
    Ship ship;
    GLint name = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &name);
    ASSERT_NE(name, 0);
    GLint size = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    ASSERT_EQ(size, 20016 + 20016 + 13344 + 20016);

    std::vector<float> all(size / 4);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, size, all.data());
    const float* positions = all.data();
    const float* normals = positions + 20016 / 4;
    const float* texCoords = normals + 20016 / 4;
    const float* colours = texCoords + 13344 / 4;
    int mismatches = 0;
    for (int v = 0; v < cornerCount; ++v) {
        const int* corner = shipTriangles[v / 3][v % 3];
        for (int c = 0; c < 3; ++c) {
            mismatches += positions[3 * v + c] != shipPositions[corner[0]][c] ? 1 : 0;
            mismatches += normals[3 * v + c] != shipNormals[corner[2]][c] ? 1 : 0;
            mismatches += colours[3 * v + c] != 1.0f ? 1 : 0;
        }
        mismatches += texCoords[2 * v] != shipTexCoords[corner[1]][0] ? 1 : 0;
        mismatches += texCoords[2 * v + 1] != shipTexCoords[corner[1]][1] ? 1 : 0;
    }
    EXPECT_EQ(mismatches, 0);
    // The last corner of the last triangle ends the position range.
    const int* last = shipTriangles[shipTriangleCount - 1][2];
    EXPECT_EQ(positions[3 * (cornerCount - 1) + 2], shipPositions[last[0]][2]);
}

TEST_F(GlTest, ShipBoxIsTheExtentsOfItsPositions)
{
    Ship ship;
    const AABoundBox* box = ship.getBox();
    ASSERT_NE(box, nullptr);
    const Vec3f maxCorner = box->getMaxCorner();
    const Vec3f minCorner = box->getMinCorner();
    const Vec3f centre = box->getCentre();
    EXPECT_FLOAT_EQ(maxCorner.x, 3.5344f);
    EXPECT_FLOAT_EQ(maxCorner.y, 0.9998f);
    EXPECT_FLOAT_EQ(maxCorner.z, 3.0347f);
    EXPECT_FLOAT_EQ(minCorner.x, -3.5344f);
    EXPECT_FLOAT_EQ(minCorner.y, -0.7556f);
    EXPECT_FLOAT_EQ(minCorner.z, -3.6785f);
    EXPECT_NEAR(centre.x, 0.0f, 1e-6);
    EXPECT_NEAR(centre.y, 0.1221f, 1e-6);
    EXPECT_NEAR(centre.z, -0.3219f, 1e-6);
    // The box is the player's to move; drawing leaves it alone.
    ship.draw();
    EXPECT_FLOAT_EQ(ship.getBox()->getMaxCorner().x, 3.5344f);
}

TEST_F(GlTest, ShipCulledToFrontFacesCoversExactlyItsWholeSilhouette)
{
    Ship ship;
    // Flat white, so every covered pixel shows whatever its lighting.
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    for (const Eye& eye : eyes) {
        lookAtShip(eye);
        glDisable(GL_CULL_FACE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ship.draw();
        const int all = coveredPixels(readBackBuffer());
        glEnable(GL_CULL_FACE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ship.draw();
        const int front = coveredPixels(readBackBuffer());
        EXPECT_GT(all, 500) << eye.name;
        // A triangle wound the wrong way would leave a hole once culled.
        EXPECT_EQ(front, all) << eye.name;
    }
    glDisable(GL_CULL_FACE);
    glEnable(GL_FOG);
    glEnable(GL_LIGHTING);
}

TEST_F(GlTest, ShipDrawnLikeThePlayerIsLitOnTopAndDarkUnderneath)
{
    // The player's draw: fighter material, fighter skin, back faces culled.
    Ship ship;
    TextureObject skin("Textures/fighter.png");
    const Material fighter(Vec4f(0.2f, 0.2f, 0.2f, 1.0f), Vec4f(0.5f, 0.5f, 0.5f, 1.0f),
                           Vec4f(0.5f, 0.5f, 0.5f, 1.0f), 128.0f);
    const char* previewDir = std::getenv("ZARVY_PREVIEW_DIR");
    std::map<std::string, double> brightness;
    glEnable(GL_CULL_FACE);
    for (const Eye& eye : eyes) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        lookAtShip(eye);
        fighter.apply(1.0f, 1.0f);
        skin.bind();
        ship.draw();
        skin.unbind();
        const std::vector<unsigned char> rgba = readBackBuffer();
        if (previewDir != nullptr) {
            savePng(std::string(previewDir) + "/ship-" + eye.name + ".png", rgba, 800, 600);
        }
        double sum = 0.0;
        int covered = 0;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            const int level = rgba[i] + rgba[i + 1] + rgba[i + 2];
            if (level > 0) {
                sum += level / 3.0;
                ++covered;
            }
        }
        ASSERT_GT(covered, 500) << eye.name;
        brightness[eye.name] = sum / covered;
    }
    glDisable(GL_CULL_FACE);
    // The light falls from above and behind: normals that pointed inward
    // would light the underside and leave the top dark.
    EXPECT_GT(brightness["above"], 2.0 * brightness["below"]);
    EXPECT_GT(brightness["behind"], 2.0 * brightness["below"]);
    EXPECT_GT(brightness["above"], 30.0);
    EXPECT_GT(brightness["chase"], 30.0);
}
