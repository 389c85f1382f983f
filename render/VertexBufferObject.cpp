#include "render/VertexBufferObject.h"

#include <GL/glew.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// GLEW leaves an entry point null when the driver lacks it; calling one would
// crash far from the cause, so the program stops here with the reason.
void requireBufferEntryPoints()
{
    if (glGenBuffersARB == nullptr || glBindBufferARB == nullptr ||
        glBufferDataARB == nullptr || glBufferSubDataARB == nullptr ||
        glDeleteBuffersARB == nullptr) {
        fprintf(stderr, "Error: the OpenGL driver has no ARB vertex buffer object "
                        "entry points; meshes cannot be built\n");
        exit(1);
    }
}

// Buffer offsets travel through the pointer arguments of the array calls.
const void* bufferOffset(int64_t bytes)
{
    return reinterpret_cast<const void*>(static_cast<intptr_t>(bytes));
}
}

VertexBufferObject::VertexBufferObject(int mode,
                                       const float* vertices, int64_t vertexBytes,
                                       const float* normals, int64_t normalBytes,
                                       const float* texCoords, int64_t texCoordBytes,
                                       const float* colors, int64_t colorBytes)
{
    requireBufferEntryPoints();

    hasNormals = false;
    hasTexCoords = false;
    hasColors = false;
    glGenBuffersARB(1, &bufferId);
    this->mode = mode;
    this->vertexBytes = vertexBytes;
    if (normals != nullptr) {
        hasNormals = true;
        this->normalBytes = normalBytes;
    } else {
        this->normalBytes = 0;
    }
    if (texCoords != nullptr) {
        hasTexCoords = true;
        this->texCoordBytes = texCoordBytes;
    } else {
        this->texCoordBytes = 0;
    }
    if (colors != nullptr) {
        hasColors = true;
        this->colorBytes = colorBytes;
    } else {
        this->colorBytes = 0;
    }

    glBindBufferARB(GL_ARRAY_BUFFER_ARB, bufferId);
    // One allocation for all four sub-ranges, filled range by range.
    glBufferDataARB(GL_ARRAY_BUFFER_ARB,
                    this->vertexBytes + this->normalBytes + this->texCoordBytes + this->colorBytes,
                    nullptr, GL_STATIC_DRAW_ARB);
    if (this->vertexBytes != 0) {
        glBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 0, this->vertexBytes, vertices);
    }
    if (this->normalBytes != 0) {
        glBufferSubDataARB(GL_ARRAY_BUFFER_ARB, this->vertexBytes, this->normalBytes, normals);
    }
    if (this->texCoordBytes != 0) {
        glBufferSubDataARB(GL_ARRAY_BUFFER_ARB, this->vertexBytes + this->normalBytes,
                           this->texCoordBytes, texCoords);
    }
    if (this->colorBytes != 0) {
        glBufferSubDataARB(GL_ARRAY_BUFFER_ARB,
                           this->vertexBytes + this->normalBytes + this->texCoordBytes,
                           this->colorBytes, colors);
    }
}

VertexBufferObject::~VertexBufferObject()
{
    glDeleteBuffersARB(1, &bufferId);
}

int64_t VertexBufferObject::drawCount() const
{
    // A present array shorter than the positions would make GL read past its
    // sub-range, and past the buffer's end for the last one; drawing only the
    // vertices every array can supply keeps every read inside the buffer.
    int64_t count = vertexCount();
    if (hasNormals) {
        count = std::min(count, normalBytes / 4 / 3);
    }
    if (hasTexCoords) {
        count = std::min(count, texCoordBytes / 4 / 2);
    }
    if (hasColors) {
        count = std::min(count, colorBytes / 4 / 3);
    }
    return std::max<int64_t>(count, 0);
}

void VertexBufferObject::draw() const
{
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, bufferId);
        if (hasNormals) {
            glEnableClientState(GL_NORMAL_ARRAY);
        }
        if (hasTexCoords) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        if (hasColors) {
            glEnableClientState(GL_COLOR_ARRAY);
        }
        glEnableClientState(GL_VERTEX_ARRAY);

            if (hasNormals) {
                glNormalPointer(GL_FLOAT, 0, bufferOffset(vertexBytes));
            }
            if (hasTexCoords) {
                glTexCoordPointer(2, GL_FLOAT, 0, bufferOffset(vertexBytes + normalBytes));
            }
            if (hasColors) {
                glColorPointer(3, GL_FLOAT, 0, bufferOffset(vertexBytes + normalBytes + texCoordBytes));
            }
            glVertexPointer(3, GL_FLOAT, 0, bufferOffset(0));
            glDrawArrays(mode, 0, static_cast<GLsizei>(drawCount()));

        glDisableClientState(GL_VERTEX_ARRAY);
        if (hasColors) {
            glDisableClientState(GL_COLOR_ARRAY);
        }
        if (hasTexCoords) {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        if (hasNormals) {
            glDisableClientState(GL_NORMAL_ARRAY);
        }
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}
