#include "scene/Stone.h"

#include "game/GameRandom.h"
#include "render/VertexBufferObject.h"

#include <GL/glew.h>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// 12 segments of 30 degrees around, 5 rings between the poles.
const int segmentCount = 12;
const int ringCount = 5;
const int baseVertexCount = 2 + segmentCount * ringCount;
const int topPole = 0;
const int bottomPole = baseVertexCount - 1;
const int triangleCount = 2 * segmentCount + 2 * segmentCount * (ringCount - 1);
const int vertexCount = 3 * triangleCount;

// The rock's numbers are written with the few values 0, 0.5, 0.866 and 1
// for the sines and cosines of multiples of 30 degrees. A trigonometric
// value is kept as an index into those magnitudes and a sign, so every
// product below is a written constant rather than a computed one.
struct WrittenTrig {
    int magnitude = 0;
    float sign = 1.0f;
};

// sin(30 k degrees) for k = 0 to 11; the cosine of k is the sine of k + 3.
const WrittenTrig sines[segmentCount] = {
    {0, 1.0f}, {1, 1.0f}, {2, 1.0f}, {3, 1.0f}, {2, 1.0f}, {1, 1.0f},
    {0, 1.0f}, {1, -1.0f}, {2, -1.0f}, {3, -1.0f}, {2, -1.0f}, {1, -1.0f},
};

WrittenTrig sineAt(int k)
{
    return sines[k % segmentCount];
}

WrittenTrig cosineAt(int k)
{
    return sines[(k + 3) % segmentCount];
}

// Ring radius times the magnitudes 0, 0.5, 0.866, 1, to three decimals;
// rows for the ring radii 0.5, 0.866 and 1.
const float positionProducts[3][4] = {
    {0.0f, 0.25f, 0.433f, 0.5f},
    {0.0f, 0.433f, 0.75f, 0.866f},
    {0.0f, 0.5f, 0.866f, 1.0f},
};
const int ringRadiusRow[ringCount] = {0, 1, 2, 1, 0};
const float ringHeight[ringCount] = {0.866f, 0.5f, 0.0f, -0.5f, -0.866f};

// Normal horizontal length times the same magnitudes, to four decimals, for
// the rings next to the poles (0.5309) and the rings at 30 degrees from the
// equator (0.876). The equator's normals are its positions.
const float normalProducts[2][4] = {
    {0.0f, 0.2654f, 0.4598f, 0.5309f},
    {0.0f, 0.438f, 0.7586f, 0.876f},
};
const float normalHeight[ringCount] = {0.8474f, 0.4823f, 0.0f, -0.4823f, -0.8474f};
// The rock's normal table rounds 0.5309 x 0.5 = 0.26545 up at a few places.
const float roundedUpHalfProduct = 0.2655f;

bool halfProductRoundsUp(int ring, int k)
{
    const bool nextToPole = ring == 1 || ring == ringCount;
    return (nextToPole && (k == 5 || k == 8 || k == 11)) || (ring == ringCount && k == 1);
}

// Texture coordinates to four decimals: u = k / 12 around a ring (k = 12 is
// the seam copy of k = 0), v = 1 - ring / 6, and at the poles the middle of
// each segment, u = (k + 0.5) / 12.
const float ringU[segmentCount + 1] = {
    0.0f, 0.0833f, 0.1667f, 0.25f, 0.3333f, 0.4167f, 0.5f,
    0.5833f, 0.6667f, 0.75f, 0.8333f, 0.9167f, 1.0f,
};
const float ringV[ringCount] = {0.8333f, 0.6667f, 0.5f, 0.3333f, 0.1667f};
const float poleU[segmentCount] = {
    0.0417f, 0.125f, 0.2083f, 0.2917f, 0.375f, 0.4583f,
    0.5417f, 0.625f, 0.7083f, 0.7917f, 0.875f, 0.9583f,
};

// -(sign * product), written so that a zero product stays +0.
float negated(const WrittenTrig& trig, float product)
{
    return product == 0.0f ? 0.0f : -trig.sign * product;
}

int ringVertex(int ring, int k)
{
    return 1 + segmentCount * (ring - 1) + k % segmentCount;
}

// One draw as u in [0, 1], which keeps every vertex between
// size * (1 - roughness) and size.
double unitRandom()
{
    return randomUnit();
}

// Writes the rounded-sphere base positions and normals.
void baseVertices(Vec3f* positions, Vec3f* normals)
{
    positions[topPole] = Vec3f(0.0f, 1.0f, 0.0f);
    normals[topPole] = positions[topPole];
    positions[bottomPole] = Vec3f(0.0f, -1.0f, 0.0f);
    normals[bottomPole] = positions[bottomPole];

    for (int ring = 1; ring <= ringCount; ++ring) {
        for (int k = 0; k < segmentCount; ++k) {
            const WrittenTrig sine = sineAt(k);
            const WrittenTrig cosine = cosineAt(k);
            const float* products = positionProducts[ringRadiusRow[ring - 1]];
            const int index = ringVertex(ring, k);
            positions[index] = Vec3f(negated(sine, products[sine.magnitude]), ringHeight[ring - 1],
                                     negated(cosine, products[cosine.magnitude]));

            const bool equator = ring == 3;
            if (equator) {
                normals[index] = positions[index];
                continue;
            }
            const bool nextToPole = ring == 1 || ring == ringCount;
            float normalRow[4];
            for (int m = 0; m < 4; ++m) {
                normalRow[m] = normalProducts[nextToPole ? 0 : 1][m];
            }
            if (halfProductRoundsUp(ring, k)) {
                normalRow[1] = roundedUpHalfProduct;
            }
            normals[index] = Vec3f(negated(sine, normalRow[sine.magnitude]), normalHeight[ring - 1],
                                   negated(cosine, normalRow[cosine.magnitude]));
        }
    }
}

// The flat arrays handed to the vertex buffer, filled corner by corner.
struct FlatArrays {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords;
    std::vector<float> colours;
};

void addCorner(FlatArrays& arrays, const Vec3f& position, const Vec3f& normal, float u, float v,
               const Vec3f& colour)
{
    arrays.positions.insert(arrays.positions.end(), {position.x, position.y, position.z});
    arrays.normals.insert(arrays.normals.end(), {normal.x, normal.y, normal.z});
    arrays.texCoords.insert(arrays.texCoords.end(), {u, v});
    arrays.colours.insert(arrays.colours.end(), {colour.x, colour.y, colour.z});
}

}

Stone::Stone(float size, float roughness, Vec3f colour) : size(size)
{
    Vec3f positions[baseVertexCount];
    Vec3f normals[baseVertexCount];
    baseVertices(positions, normals);

    // The shared base vertices move before the expansion into triangles, so
    // every triangle sees the same moved corner and the surface stays closed.
    // The normals stay those of the round sphere.
    // The pull is rounded to float once and applied by the vector's own
    // single-precision scale, component by component.
    for (Vec3f& position : positions) {
        position.scale(static_cast<float>(size * (1.0 - roughness * unitRandom())));
    }

    FlatArrays arrays;
    arrays.positions.reserve(vertexCount * 3);
    arrays.normals.reserve(vertexCount * 3);
    arrays.texCoords.reserve(vertexCount * 2);
    arrays.colours.reserve(vertexCount * 3);

    // A ring corner at position k around; k = 12 is the seam copy of k = 0,
    // sharing its position and normal but reaching u = 1.
    auto ringCorner = [&](int ring, int k) {
        const int index = ringVertex(ring, k);
        addCorner(arrays, positions[index], normals[index], ringU[k], ringV[ring - 1], colour);
    };

    for (int k = 0; k < segmentCount; ++k) {
        addCorner(arrays, positions[topPole], normals[topPole], poleU[k], 1.0f, colour);
        ringCorner(1, k);
        ringCorner(1, k + 1);
    }
    for (int ring = 1; ring < ringCount; ++ring) {
        for (int k = 0; k < segmentCount; ++k) {
            ringCorner(ring, k);
            ringCorner(ring + 1, k);
            ringCorner(ring + 1, k + 1);

            ringCorner(ring, k);
            ringCorner(ring + 1, k + 1);
            ringCorner(ring, k + 1);
        }
    }
    for (int k = 0; k < segmentCount; ++k) {
        addCorner(arrays, positions[bottomPole], normals[bottomPole], poleU[k], 0.0f, colour);
        ringCorner(ringCount, k + 1);
        ringCorner(ringCount, k);
    }

    const int64_t floatBytes = static_cast<int64_t>(sizeof(float));
    mesh = new VertexBufferObject(GL_TRIANGLES,
                                  arrays.positions.data(), static_cast<int64_t>(arrays.positions.size()) * floatBytes,
                                  arrays.normals.data(), static_cast<int64_t>(arrays.normals.size()) * floatBytes,
                                  arrays.texCoords.data(), static_cast<int64_t>(arrays.texCoords.size()) * floatBytes,
                                  arrays.colours.data(), static_cast<int64_t>(arrays.colours.size()) * floatBytes);
}

Stone::~Stone()
{
    delete mesh;
}

void Stone::draw() const
{
    mesh->draw();
}
