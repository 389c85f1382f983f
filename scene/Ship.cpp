#include "scene/Ship.h"

#include "math/AABoundBox.h"
#include "render/VertexBufferObject.h"
#include "scene/ShipData.h"

#include <GL/glew.h>
#include <cstdint>
#include <vector>

namespace {
const int cornerCount = shipTriangleCount * 3;
}

Ship::Ship()
{
    // The indexed tables are expanded corner by corner, in triangle order,
    // into the flat arrays the vertex buffer takes; corner k of triangle t is
    // vertex 3t + k. They only live until the buffer has copied them.
    std::vector<float> positions(cornerCount * 3);
    std::vector<float> normals(cornerCount * 3);
    std::vector<float> texCoords(cornerCount * 2);
    const std::vector<float> colours(cornerCount * 3, 1.0f);
    for (int t = 0; t < shipTriangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            const int vertex = 3 * t + k;
            const int* corner = shipTriangles[t][k];
            for (int c = 0; c < 3; ++c) {
                positions[3 * vertex + c] = shipPositions[corner[0]][c];
                normals[3 * vertex + c] = shipNormals[corner[2]][c];
            }
            texCoords[2 * vertex] = shipTexCoords[corner[1]][0];
            texCoords[2 * vertex + 1] = shipTexCoords[corner[1]][1];
        }
    }

    const int64_t floatBytes = static_cast<int64_t>(sizeof(float));
    const int64_t tripleBytes = cornerCount * 3 * floatBytes;
    const int64_t pairBytes = cornerCount * 2 * floatBytes;
    mesh = new VertexBufferObject(GL_TRIANGLES,
                                  positions.data(), tripleBytes,
                                  normals.data(), tripleBytes,
                                  texCoords.data(), pairBytes,
                                  colours.data(), tripleBytes);

    // Starting from the origin, which lies inside the mesh on every axis, the
    // box ends up as exactly the extents of the positions.
    box = new AABoundBox(Vec3f(0.0f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, 0.0f));
    for (int p = 0; p < shipPositionCount; ++p) {
        box->extend(Vec3f(shipPositions[p][0], shipPositions[p][1], shipPositions[p][2]));
    }
}

Ship::~Ship()
{
    delete box;
    delete mesh;
}

void Ship::draw() const
{
    mesh->draw();
}
