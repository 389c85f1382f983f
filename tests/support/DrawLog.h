#ifndef ZARVY_TESTS_SUPPORT_DRAWLOG_H
#define ZARVY_TESTS_SUPPORT_DRAWLOG_H

#include "math/Vec3f.h"

#include <GL/glew.h>
#include <array>
#include <functional>
#include <vector>

// What one mesh draw (a glDrawArrays call) was drawn with, read back from GL
// at that moment.
struct LoggedDraw {
    std::array<GLfloat, 16> matrix{};
    GLint vertices = 0;
    GLint texture = 0;
    bool textured = false;
    bool culled = false;
    GLboolean depthWrites = GL_TRUE;
    GLint textureMode = 0;
    GLint blendSource = 0;
    GLint blendDestination = 0;
    std::array<GLfloat, 4> ambient{};
    std::array<GLfloat, 4> diffuse{};
    std::array<GLfloat, 4> specular{};
    GLfloat shininess = 0.0f;

    // No perspective of its own: the bottom row is (0, 0, 0, 1).
    bool affine() const { return matrix[3] == 0.0f && matrix[7] == 0.0f && matrix[11] == 0.0f && matrix[15] == 1.0f; }

    // Where the draw puts a point (w 1) or a direction (w 0) of its mesh.
    Vec3f map(float x, float y, float z, float w) const
    {
        const auto& m = matrix;
        return Vec3f(m[0] * x + m[4] * y + m[8] * z + m[12] * w,
                     m[1] * x + m[5] * y + m[9] * z + m[13] * w,
                     m[2] * x + m[6] * y + m[10] * z + m[14] * w);
    }
};

// The mesh draws `paint` makes, after loading the identity into the
// modelview matrix, so that each logged matrix is the draw's model matrix.
// Linux only: the program's own glDrawArrays (DrawLogLinux.cpp) is found
// before GL's, notes each draw and passes it on.
std::vector<LoggedDraw> logDraws(const std::function<void()>& paint);

#endif
