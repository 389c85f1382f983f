#ifndef ZARVY_RENDER_VERTEXBUFFEROBJECT_H
#define ZARVY_RENDER_VERTEXBUFFEROBJECT_H

#include <cstdint>

// One static triangle mesh in a single ARB buffer object: positions, normals,
// texture coordinates and RGB colours packed back to back, sizes in bytes.
// This is the only class that creates, binds or deletes buffer objects.
//
// Construction copies the caller's arrays and leaves the new buffer bound.
// draw() leaves no client array enabled and the array-buffer binding at 0.
// Absent optional arrays are passed as null with size 0. A present array
// shorter than the positions limits the vertices drawn to those it covers,
// so GL never reads outside the buffer.
// Stops the program with status 1 if GLEW found no ARB buffer entry points.
class VertexBufferObject {
public:
    VertexBufferObject(int mode,
                       const float* vertices, int64_t vertexBytes,
                       const float* normals, int64_t normalBytes,
                       const float* texCoords, int64_t texCoordBytes,
                       const float* colors, int64_t colorBytes);
    virtual ~VertexBufferObject();

    VertexBufferObject(const VertexBufferObject&) = delete;
    VertexBufferObject& operator=(const VertexBufferObject&) = delete;

    void draw() const;
    int64_t vertexCount() const { return vertexBytes / 4 / 3; }

private:
    // Vertices drawn: vertexCount(), cut to what every present array covers.
    int64_t drawCount() const;

    unsigned int bufferId = 0;
    int64_t vertexBytes = 0;
    bool hasNormals = false;
    int64_t normalBytes = 0;
    bool hasTexCoords = false;
    int64_t texCoordBytes = 0;
    bool hasColors = false;
    int64_t colorBytes = 0;
    int mode = 0;
};

#endif
