#include "support/GlTest.h"

#include "game/GameRandom.h"
#include "scene/Stone.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

const int vertexCount = 360;

struct StoneData {
    GLint bufferSize = 0;
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords;
    std::vector<float> colours;
};

// Builds a stone and reads back the buffer its constructor left bound.
StoneData buildStone(float size, float roughness, Vec3f colour = Vec3f(1.0f, 1.0f, 1.0f))
{
    Stone stone(size, roughness, colour);
    StoneData data;
    GLint name = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &name);
    EXPECT_NE(name, 0);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &data.bufferSize);
    if (data.bufferSize != 4320 * 3 + 2880) {
        return data;
    }
    std::vector<float> all(data.bufferSize / 4);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, data.bufferSize, all.data());
    const auto start = all.begin();
    data.positions.assign(start, start + 1080);
    data.normals.assign(start + 1080, start + 2160);
    data.texCoords.assign(start + 2160, start + 2880);
    data.colours.assign(start + 2880, all.end());
    return data;
}

double distanceFromCentre(const std::vector<float>& positions, int i)
{
    const double x = positions[3 * i];
    const double y = positions[3 * i + 1];
    const double z = positions[3 * i + 2];
    return std::sqrt(x * x + y * y + z * z);
}

std::set<std::array<float, 3>> distinctPositions(const std::vector<float>& positions)
{
    std::set<std::array<float, 3>> distinct;
    for (int i = 0; i < vertexCount; ++i) {
        distinct.insert({positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]});
    }
    return distinct;
}

// The written base vertices are unit vectors to within the three-decimal
// rounding of their components.
const double baseLengthTolerance = 1e-4;

// Corner indices into the expanded arrays, in triangle order.
int topCapCorner(int k, int corner)
{
    return 3 * k + corner;
}

int bottomCapCorner(int k, int corner)
{
    return 3 * (108 + k) + corner;
}

// First corner of the first of the two triangles of band `ring` at `k`.
int bandCorner(int ring, int k, int triangle, int corner)
{
    return 3 * (12 + 24 * (ring - 1) + 2 * k + triangle) + corner;
}

void expectVec(const std::vector<float>& v, int i, float x, float y, float z, const char* what)
{
    EXPECT_EQ(v[3 * i], x) << what << " x of corner " << i;
    EXPECT_EQ(v[3 * i + 1], y) << what << " y of corner " << i;
    EXPECT_EQ(v[3 * i + 2], z) << what << " z of corner " << i;
}

}

TEST_F(GlTest, StoneWithoutRoughnessIsTheRoundSphereOfItsSize)
{
    const StoneData d = buildStone(2.5f, 0.0f, Vec3f(0.2f, 0.4f, 0.6f));
    // 360 vertices: 4320 bytes each of positions, normals and colours,
    // 2880 of texture coordinates.
    ASSERT_EQ(d.bufferSize, 4320 + 4320 + 2880 + 4320);
    for (int i = 0; i < vertexCount; ++i) {
        ASSERT_EQ(d.colours[3 * i], 0.2f);
        ASSERT_EQ(d.colours[3 * i + 1], 0.4f);
        ASSERT_EQ(d.colours[3 * i + 2], 0.6f);
    }
    for (int i = 0; i < vertexCount; ++i) {
        EXPECT_NEAR(distanceFromCentre(d.positions, i), 2.5, 2.5 * baseLengthTolerance) << "corner " << i;
    }
    EXPECT_EQ(distinctPositions(d.positions).size(), 62u);

    // The written base positions, scaled by the size.
    const StoneData unit = buildStone(1.0f, 0.0f);
    expectVec(unit.positions, topCapCorner(0, 0), 0.0f, 1.0f, 0.0f, "top pole");
    expectVec(unit.positions, topCapCorner(0, 1), 0.0f, 0.866f, -0.5f, "ring 1, k 0");
    expectVec(unit.positions, topCapCorner(1, 1), -0.25f, 0.866f, -0.433f, "ring 1, k 1");
    expectVec(unit.positions, bandCorner(1, 1, 0, 1), -0.433f, 0.5f, -0.75f, "ring 2, k 1");
    expectVec(unit.positions, bandCorner(2, 3, 0, 1), -1.0f, 0.0f, 0.0f, "ring 3, k 3 toward -x");
    expectVec(unit.positions, bandCorner(2, 9, 0, 1), 1.0f, 0.0f, 0.0f, "ring 3, k 9 toward +x");
    expectVec(unit.positions, bandCorner(3, 6, 0, 1), 0.0f, -0.5f, 0.866f, "ring 4, k 6 toward +z");
    expectVec(unit.positions, bottomCapCorner(0, 0), 0.0f, -1.0f, 0.0f, "bottom pole");
}

TEST_F(GlTest, StoneWithTheFieldsValuesStaysBetween07And1)
{
    seedRandom(1234);
    const StoneData d = buildStone(1.0f, 0.3f);
    ASSERT_EQ(d.bufferSize, 15840);
    double nearest = 2.0;
    double farthest = 0.0;
    for (int i = 0; i < vertexCount; ++i) {
        const double r = distanceFromCentre(d.positions, i);
        nearest = std::min(nearest, r);
        farthest = std::max(farthest, r);
    }
    EXPECT_GE(nearest, 0.7 * (1.0 - baseLengthTolerance));
    EXPECT_LE(farthest, 1.0 + baseLengthTolerance);
    // The lumps are real: the distances spread over most of the range.
    EXPECT_LT(nearest, 0.8);
    EXPECT_GT(farthest, 0.9);
    // Moving shared vertices before the expansion keeps the surface closed.
    EXPECT_EQ(distinctPositions(d.positions).size(), 62u);
}

TEST_F(GlTest, StoneTakesOneDrawPerBaseVertexInOrder)
{
    // The draws as the stone turns them into its pull factors.
    seedRandom(99);
    std::vector<double> pulls;
    for (int i = 0; i < 62; ++i) {
        pulls.push_back(2.0f * (1.0 - 0.3f * (randomUnit())));
    }
    const int drawAfterStone = randomDraw();

    seedRandom(99);
    const StoneData d = buildStone(2.0f, 0.3f);
    ASSERT_EQ(d.bufferSize, 15840);
    // Exactly 62 draws were taken.
    EXPECT_EQ(randomDraw(), drawAfterStone);

    // Base vertex 0 is the top pole, 1 + 12 (ring - 1) + k the ring
    // vertices, 61 the bottom pole. Each is its base position times its pull
    // rounded to float, multiplied in single precision component by
    // component, to the last bit.
    const StoneData round = buildStone(1.0f, 0.0f);
    ASSERT_EQ(round.bufferSize, 15840);
    std::vector<int> corners = {topCapCorner(0, 0)};
    for (int ring = 1; ring <= 5; ++ring) {
        for (int k = 0; k < 12; ++k) {
            corners.push_back(ring == 1 ? topCapCorner(k, 1) : bandCorner(ring - 1, k, 0, 1));
        }
    }
    corners.push_back(bottomCapCorner(0, 0));
    for (int vertex = 0; vertex < 62; ++vertex) {
        const float pull = static_cast<float>(pulls[vertex]);
        const int c = corners[vertex];
        const float x = round.positions[3 * c] * pull;
        const float y = round.positions[3 * c + 1] * pull;
        const float z = round.positions[3 * c + 2] * pull;
        expectVec(d.positions, c, x, y, z, "pulled");
    }
    // A vertex stays on its ray: the top pole only moves along y.
    EXPECT_EQ(d.positions[0], 0.0f);
    EXPECT_EQ(d.positions[2], 0.0f);
}

TEST_F(GlTest, StoneNormalsAreTheTablesWhateverThePerturbation)
{
    const StoneData round = buildStone(1.0f, 0.0f);
    seedRandom(4321);
    const StoneData rough = buildStone(1.0f, 0.3f);
    ASSERT_EQ(round.bufferSize, 15840);
    ASSERT_EQ(rough.bufferSize, 15840);
    EXPECT_EQ(round.normals, rough.normals);
    EXPECT_NE(round.positions, rough.positions);

    expectVec(rough.normals, topCapCorner(0, 0), 0.0f, 1.0f, 0.0f, "top pole");
    expectVec(rough.normals, topCapCorner(0, 1), 0.0f, 0.8474f, -0.5309f, "ring 1, k 0");
    expectVec(rough.normals, topCapCorner(1, 1), -0.2654f, 0.8474f, -0.4598f, "ring 1, k 1");
    // 0.5309 x 0.5 is written 0.2655 at k = 5, 8 and 11 of rings 1 and 5.
    expectVec(rough.normals, topCapCorner(5, 1), -0.2655f, 0.8474f, 0.4598f, "ring 1, k 5");
    expectVec(rough.normals, topCapCorner(8, 1), 0.4598f, 0.8474f, 0.2655f, "ring 1, k 8");
    expectVec(rough.normals, topCapCorner(7, 1), 0.2654f, 0.8474f, 0.4598f, "ring 1, k 7");
    expectVec(rough.normals, bandCorner(1, 1, 0, 1), -0.438f, 0.4823f, -0.7586f, "ring 2, k 1");
    expectVec(rough.normals, bandCorner(2, 3, 0, 1), -1.0f, 0.0f, 0.0f, "equator, k 3");
    expectVec(rough.normals, bandCorner(3, 4, 0, 1), -0.7586f, -0.4823f, 0.438f, "ring 4, k 4");
    // ... and at k = 1 of ring 5 alone.
    expectVec(rough.normals, bottomCapCorner(0, 1), -0.2655f, -0.8474f, -0.4598f, "ring 5, k 1");
    expectVec(rough.normals, bottomCapCorner(6, 2), 0.0f, -0.8474f, 0.5309f, "ring 5, k 6");
    expectVec(rough.normals, bottomCapCorner(11, 2), 0.2655f, -0.8474f, -0.4598f, "ring 5, k 11");
    expectVec(rough.normals, bottomCapCorner(7, 2), 0.2654f, -0.8474f, 0.4598f, "ring 5, k 7");
    expectVec(rough.normals, bottomCapCorner(0, 0), 0.0f, -1.0f, 0.0f, "bottom pole");
}

TEST_F(GlTest, StonesBuiltOneAfterTheOtherDiffer)
{
    seedRandom(7);
    const StoneData first = buildStone(1.0f, 0.3f);
    const StoneData second = buildStone(1.0f, 0.3f);
    seedRandom(7);
    const StoneData again = buildStone(1.0f, 0.3f);
    ASSERT_EQ(first.bufferSize, 15840);
    EXPECT_NE(first.positions, second.positions);
    // The seed alone fixes the shape.
    EXPECT_EQ(first.positions, again.positions);
}

TEST_F(GlTest, StoneTrianglesFaceOutwardAndTheSeamReachesUOne)
{
    const StoneData d = buildStone(1.0f, 0.0f);
    ASSERT_EQ(d.bufferSize, 15840);

    for (int t = 0; t < vertexCount / 3; ++t) {
        const float* a = &d.positions[9 * t];
        const float* b = a + 3;
        const float* c = a + 6;
        const double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const double face[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                e1[0] * e2[1] - e1[1] * e2[0]};
        const double outward = face[0] * (a[0] + b[0] + c[0]) + face[1] * (a[1] + b[1] + c[1])
                             + face[2] * (a[2] + b[2] + c[2]);
        EXPECT_GT(outward, 0.0) << "triangle " << t;

        // No triangle runs back across the whole texture.
        float uMin = 2.0f, uMax = -1.0f;
        for (int corner = 0; corner < 3; ++corner) {
            uMin = std::min(uMin, d.texCoords[2 * (3 * t + corner)]);
            uMax = std::max(uMax, d.texCoords[2 * (3 * t + corner)]);
        }
        EXPECT_LE(uMax - uMin, 0.0835f) << "triangle " << t;
    }

    // The seam segment's ring corners reach u = 1, the pole sits mid-segment.
    EXPECT_EQ(d.texCoords[2 * topCapCorner(11, 2)], 1.0f);
    EXPECT_EQ(d.texCoords[2 * topCapCorner(11, 0)], 0.9583f);
    EXPECT_EQ(d.texCoords[2 * topCapCorner(11, 0) + 1], 1.0f);
    EXPECT_EQ(d.texCoords[2 * bandCorner(1, 11, 0, 2)], 1.0f);
    EXPECT_EQ(d.texCoords[2 * bandCorner(1, 11, 1, 2)], 1.0f);
    EXPECT_EQ(d.texCoords[2 * bandCorner(4, 11, 0, 2) + 1], 0.1667f);
    EXPECT_EQ(d.texCoords[2 * bottomCapCorner(11, 1)], 1.0f);
    EXPECT_EQ(d.texCoords[2 * bottomCapCorner(0, 0)], 0.0417f);
    EXPECT_EQ(d.texCoords[2 * bottomCapCorner(0, 0) + 1], 0.0f);
    // The seam copy shares its position with k = 0.
    expectVec(d.positions, topCapCorner(11, 2), d.positions[3 * topCapCorner(0, 1)],
              d.positions[3 * topCapCorner(0, 1) + 1], d.positions[3 * topCapCorner(0, 1) + 2], "seam copy");
}
