#include "RenderTestSupport.h"

#include "render/Material.h"
#include "render/VertexBufferObject.h"

#include <vector>

using rendertest::RenderTest;

namespace {
class VertexBufferObjectTest : public RenderTest {
protected:
    // The buffer's contents from byte `offset` on, as floats.
    static std::vector<float> bufferFloats(GLintptr offset, size_t count)
    {
        std::vector<float> values(count, -999.0f);
        glGetBufferSubData(GL_ARRAY_BUFFER, offset, static_cast<GLsizeiptr>(count * sizeof(float)),
                           values.data());
        return values;
    }

    static GLint boundArrayBuffer()
    {
        GLint buffer = -1;
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
        return buffer;
    }

    static GLint bufferSize()
    {
        GLint size = -1;
        glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
        return size;
    }
};

using VertexBufferObjectDeathTest = VertexBufferObjectTest;

// Two triangles side by side in the x-y plane: the left one spans x -3 to
// -1, the right one x 1 to 3, both y -1 to 1.
const std::vector<float> twoTriangles = {
    -3.0f, -1.0f, 0.0f, -1.0f, -1.0f, 0.0f, -2.0f, 1.0f, 0.0f,
     1.0f, -1.0f, 0.0f,  3.0f, -1.0f, 0.0f,  2.0f, 1.0f, 0.0f,
};
// Probe points well inside each triangle.
const int leftX = 400 - 200;
const int rightX = 400 + 200;
const int probeY = 300 - 50;

int64_t bytes(const std::vector<float>& values)
{
    return static_cast<int64_t>(values.size() * sizeof(float));
}

bool isBlack(const std::vector<unsigned char>& rgba)
{
    return rgba[0] == 0 && rgba[1] == 0 && rgba[2] == 0;
}
}

TEST_F(VertexBufferObjectTest, BufferHoldsTheArraysBackToBackAndStaysBound)
{
    const std::vector<float> positions = {0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f};
    // Longer than three vertices need: uploaded whole all the same.
    const std::vector<float> normals = {10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f,
                                        16.0f, 17.0f, 18.0f, 19.0f, 20.0f, 21.0f};
    const std::vector<float> texCoords = {30.0f, 31.0f, 32.0f, 33.0f, 34.0f, 35.0f};
    const std::vector<float> colours = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    VertexBufferObject mesh(GL_TRIANGLES, positions.data(), bytes(positions),
                            normals.data(), bytes(normals), texCoords.data(), bytes(texCoords),
                            colours.data(), bytes(colours));

    EXPECT_NE(boundArrayBuffer(), 0);
    EXPECT_EQ(bufferSize(), 36 + 48 + 24 + 36);
    EXPECT_EQ(bufferFloats(0, positions.size()), positions);
    EXPECT_EQ(bufferFloats(36, normals.size()), normals);
    EXPECT_EQ(bufferFloats(36 + 48, texCoords.size()), texCoords);
    EXPECT_EQ(bufferFloats(36 + 48 + 24, colours.size()), colours);
    EXPECT_EQ(mesh.vertexCount(), 3);
}

TEST_F(VertexBufferObjectTest, SphereSizedMeshFillsOneBufferOf126720Bytes)
{
    const size_t vertices = 2880;
    std::vector<float> all(vertices * (3 + 3 + 2 + 3));
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<float>(i);
    }
    const float* positions = all.data();
    const float* normals = positions + vertices * 3;
    const float* texCoords = normals + vertices * 3;
    const float* colours = texCoords + vertices * 2;

    VertexBufferObject mesh(GL_TRIANGLES, positions, 34560, normals, 34560,
                            texCoords, 23040, colours, 34560);

    EXPECT_EQ(bufferSize(), 126720);
    // The four ranges meet at bytes 34560, 69120 and 92160, so the whole
    // buffer reads back as the four arrays laid end to end.
    EXPECT_EQ(bufferFloats(0, all.size()), all);
    EXPECT_EQ(bufferFloats(34560, 1)[0], normals[0]);
    EXPECT_EQ(bufferFloats(69120, 1)[0], texCoords[0]);
    EXPECT_EQ(bufferFloats(92160, 1)[0], colours[0]);
}

TEST_F(VertexBufferObjectTest, DestructionDeletesTheBuffer)
{
    const std::vector<float> positions(9, 0.0f);
    GLint name = 0;
    {
        VertexBufferObject mesh(GL_TRIANGLES, positions.data(), bytes(positions),
                                nullptr, 0, nullptr, 0, nullptr, 0);
        name = boundArrayBuffer();
        EXPECT_TRUE(glIsBuffer(static_cast<GLuint>(name)));
    }
    EXPECT_FALSE(glIsBuffer(static_cast<GLuint>(name)));
}

TEST_F(VertexBufferObjectTest, DrawLeavesNoClientArrayEnabledAndNoBufferBound)
{
    const std::vector<float> normals(18, 0.0f);
    const std::vector<float> texCoords(12, 0.0f);
    const std::vector<float> colours(18, 1.0f);
    VertexBufferObject mesh(GL_TRIANGLES, twoTriangles.data(), bytes(twoTriangles),
                            normals.data(), bytes(normals), texCoords.data(), bytes(texCoords),
                            colours.data(), bytes(colours));
    mesh.draw();

    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_EQ(boundArrayBuffer(), 0);
}

TEST_F(VertexBufferObjectTest, PositionsOnlyMeshUsesTheCurrentColour)
{
    VertexBufferObject mesh(GL_TRIANGLES, twoTriangles.data(), bytes(twoTriangles),
                            nullptr, 0, nullptr, 0, nullptr, 0);
    EXPECT_EQ(bufferSize(), 72);

    glDisable(GL_LIGHTING);
    glColor3f(0.0f, 1.0f, 0.0f);
    mesh.draw();

    EXPECT_EQ(readPixel(leftX, probeY), (std::vector<unsigned char>{0, 255, 0, 255}));
    EXPECT_EQ(readPixel(rightX, probeY), (std::vector<unsigned char>{0, 255, 0, 255}));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

TEST_F(VertexBufferObjectTest, ColoursReachTheirOwnVertices)
{
    const std::vector<float> colours = {
        1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
        0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f,
    };
    // Normals and texture coordinates sit in front of the colours, so a
    // wrong colour offset would read them instead.
    const std::vector<float> normals(18, 0.5f);
    const std::vector<float> texCoords(12, 0.25f);
    VertexBufferObject mesh(GL_TRIANGLES, twoTriangles.data(), bytes(twoTriangles),
                            normals.data(), bytes(normals), texCoords.data(), bytes(texCoords),
                            colours.data(), bytes(colours));
    glDisable(GL_LIGHTING);
    mesh.draw();

    EXPECT_EQ(readPixel(leftX, probeY), (std::vector<unsigned char>{255, 0, 0, 255}));
    EXPECT_EQ(readPixel(rightX, probeY), (std::vector<unsigned char>{0, 0, 255, 255}));
}

TEST_F(VertexBufferObjectTest, NormalsDecideTheLighting)
{
    // The left triangle faces the light, the right one faces away from it.
    const std::vector<float> normals = {
        0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f,
        0.0f, 0.0f, -1.0f, 0.0f, 0.0f, -1.0f, 0.0f, 0.0f, -1.0f,
    };
    VertexBufferObject mesh(GL_TRIANGLES, twoTriangles.data(), bytes(twoTriangles),
                            normals.data(), bytes(normals), nullptr, 0, nullptr, 0);
    const Material grey(Vec4f(0.0f, 0.0f, 0.0f, 1.0f), Vec4f(0.5f, 0.5f, 0.5f, 1.0f),
                        Vec4f(0.0f, 0.0f, 0.0f, 1.0f), 1.0f);
    grey.apply(1.0f, 1.0f);
    mesh.draw();

    const std::vector<unsigned char> lit = readPixel(leftX, probeY);
    EXPECT_NEAR(lit[0], 128, 2);
    EXPECT_NEAR(lit[1], 128, 2);
    EXPECT_NEAR(lit[2], 128, 2);
    EXPECT_TRUE(isBlack(readPixel(rightX, probeY)));
}

TEST_F(VertexBufferObjectTest, VertexCountRoundsDownToWholeVertices)
{
    glDisable(GL_LIGHTING);
    // 71 bytes hold five whole vertices: only the first triangle is complete.
    VertexBufferObject partial(GL_TRIANGLES, twoTriangles.data(), 71, nullptr, 0, nullptr, 0, nullptr, 0);
    EXPECT_EQ(partial.vertexCount(), 5);
    partial.draw();
    EXPECT_FALSE(isBlack(readPixel(leftX, probeY)));
    EXPECT_TRUE(isBlack(readPixel(rightX, probeY)));

    VertexBufferObject empty(GL_TRIANGLES, twoTriangles.data(), 0, nullptr, 0, nullptr, 0, nullptr, 0);
    EXPECT_EQ(bufferSize(), 0);
    glClear(GL_COLOR_BUFFER_BIT);
    empty.draw();
    EXPECT_EQ(countLitPixels(), 0);
}

TEST_F(VertexBufferObjectTest, ShortAttributeArrayLimitsTheVerticesDrawn)
{
    // Normals for the first triangle only: drawing all six vertices would
    // take the second triangle's normals from the colour range behind them.
    const std::vector<float> normals = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f};
    const std::vector<float> colours = {
        0.2f, 0.4f, 0.9f, 0.2f, 0.4f, 0.9f, 0.2f, 0.4f, 0.9f,
        0.2f, 0.4f, 0.9f, 0.2f, 0.4f, 0.9f, 0.2f, 0.4f, 0.9f,
    };
    VertexBufferObject mesh(GL_TRIANGLES, twoTriangles.data(), bytes(twoTriangles),
                            normals.data(), bytes(normals), nullptr, 0, colours.data(), bytes(colours));
    EXPECT_EQ(mesh.vertexCount(), 6);
    const Material grey(Vec4f(0.0f, 0.0f, 0.0f, 1.0f), Vec4f(0.5f, 0.5f, 0.5f, 1.0f),
                        Vec4f(0.0f, 0.0f, 0.0f, 1.0f), 1.0f);
    grey.apply(1.0f, 1.0f);
    mesh.draw();

    EXPECT_NEAR(readPixel(leftX, probeY)[0], 128, 2);
    EXPECT_TRUE(isBlack(readPixel(rightX, probeY)));
}

TEST_F(VertexBufferObjectDeathTest, MissingBufferEntryPointStopsWithStatusOne)
{
    // Each child process opens its own window, so the parent's GL
    // connection is not shared with a process that exits.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::vector<float> positions(9, 0.0f);
    const auto build = [&positions]() {
        VertexBufferObject mesh(GL_TRIANGLES, positions.data(), bytes(positions),
                                nullptr, 0, nullptr, 0, nullptr, 0);
    };
    const char* const message = "Error: the OpenGL driver has no ARB vertex buffer object entry points";
    EXPECT_EXIT({ __glewGenBuffersARB = nullptr; build(); }, testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ __glewBindBufferARB = nullptr; build(); }, testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ __glewBufferDataARB = nullptr; build(); }, testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ __glewBufferSubDataARB = nullptr; build(); }, testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ __glewDeleteBuffersARB = nullptr; build(); }, testing::ExitedWithCode(1), message);
}
