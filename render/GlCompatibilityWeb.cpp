// The GL entry points that Emscripten's legacy GL emulation (over WebGL)
// lacks or gets wrong, defined here so that the game's GL calls mean in the
// browser what they mean on the desktop. The emulation's own versions of
// these names are then not linked; where the real thing is wanted this
// calls it under its emscripten_ alias.
//
// - The ARB buffer entry points are not there: they are the core ones.
// - Arrays read from a bound buffer: the emulation lays out planar arrays
//   anew on every draw and takes their buffer offsets for memory addresses.
//   Each buffer's bytes are kept here as well; the first draw of a buffer
//   with a given set of arrays interleaves them into a WebGL buffer of its
//   own, uploaded once, which every later draw of that set uses as is.
// - glTexImage2D refuses the old internal formats 1 to 4 (component counts).
// - gluLookAt has no effect; glTexEnvf ignores the texture environment mode.
// - glReadBuffer throws; glShadeModel, glColorMaterial and the hints WebGL
//   does not know warn. The emulation always shades smoothly and reads the
//   back buffer, which is what the game asks for.

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

extern "C" {
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glGenBuffers(GLsizei count, GLuint* buffers);
void emscripten_glDeleteBuffers(GLsizei count, const GLuint* buffers);
void emscripten_glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
void emscripten_glBufferSubData(GLenum target, GLintptr offset, GLsizeiptr size, const void* data);
void emscripten_glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
void emscripten_glNormalPointer(GLenum type, GLsizei stride, const void* pointer);
void emscripten_glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
void emscripten_glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
void emscripten_glEnableClientState(GLenum array);
void emscripten_glDisableClientState(GLenum array);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glHint(GLenum target, GLenum mode);
}

namespace {
// One of the four client arrays: where it is, and whether it is on.
struct ClientArray {
    GLenum name = 0;
    bool enabled = false;
    // True when the pointer was given while a buffer was bound: it is then
    // an offset into that buffer.
    bool inBuffer = false;
    GLint size = 0;
    GLenum type = 0;
    GLsizei stride = 0;
    intptr_t offset = 0;
};

ClientArray arrays[4] = {{GL_VERTEX_ARRAY}, {GL_NORMAL_ARRAY}, {GL_TEXTURE_COORD_ARRAY},
                         {GL_COLOR_ARRAY}};

ClientArray* arrayNamed(GLenum name)
{
    for (ClientArray& array : arrays) {
        if (array.name == name) {
            return &array;
        }
    }
    return nullptr;
}

// A buffer's bytes as the game gave them, and its interleaved copies, one
// per set of arrays drawn from it.
struct BufferCopy {
    std::vector<unsigned char> bytes;
    std::map<std::vector<intptr_t>, GLuint> interleaved;
};

std::map<GLuint, BufferCopy> buffers;
GLuint boundArrayBuffer = 0;

void dropInterleaved(BufferCopy& copy)
{
    for (const auto& entry : copy.interleaved) {
        emscripten_glDeleteBuffers(1, &entry.second);
    }
    copy.interleaved.clear();
}

void setPointer(const ClientArray& array, GLsizei stride, intptr_t offset)
{
    const void* pointer = reinterpret_cast<const void*>(offset);
    switch (array.name) {
    case GL_VERTEX_ARRAY: emscripten_glVertexPointer(array.size, array.type, stride, pointer); break;
    case GL_NORMAL_ARRAY: emscripten_glNormalPointer(array.type, stride, pointer); break;
    case GL_TEXTURE_COORD_ARRAY: emscripten_glTexCoordPointer(array.size, array.type, stride, pointer); break;
    case GL_COLOR_ARRAY: emscripten_glColorPointer(array.size, array.type, stride, pointer); break;
    default: break;
    }
}

void recordPointer(GLenum name, GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    ClientArray& array = *arrayNamed(name);
    array.inBuffer = boundArrayBuffer != 0;
    array.size = size;
    array.type = type;
    array.stride = stride;
    array.offset = reinterpret_cast<intptr_t>(pointer);
    if (!array.inBuffer) {
        // Client memory: the emulation reads it correctly.
        setPointer(array, stride, array.offset);
    }
}

// The float arrays of vertices first .. first + count - 1, taken from the
// bound buffer's bytes and interleaved vertex by vertex, in a WebGL buffer
// made on the first draw of this set of arrays. Bytes beyond the buffer's
// end read as 0, as GL would not read them at all. 0 if any enabled array
// is not a float array in the bound buffer.
GLuint interleavedBuffer(GLint first, GLsizei count, GLsizei& vertexBytes)
{
    auto found = buffers.find(boundArrayBuffer);
    if (found == buffers.end()) {
        return 0;
    }
    BufferCopy& copy = found->second;
    std::vector<intptr_t> key = {first, count};
    vertexBytes = 0;
    for (const ClientArray& array : arrays) {
        if (!array.enabled) {
            continue;
        }
        if (!array.inBuffer || array.type != GL_FLOAT) {
            return 0;
        }
        key.insert(key.end(), {static_cast<intptr_t>(array.name), array.size, array.stride, array.offset});
        vertexBytes += array.size * 4;
    }
    const auto known = copy.interleaved.find(key);
    if (known != copy.interleaved.end()) {
        return known->second;
    }
    std::vector<unsigned char> data(static_cast<size_t>(vertexBytes) * count);
    size_t at = 0;
    for (GLsizei vertex = 0; vertex < count; ++vertex) {
        for (const ClientArray& array : arrays) {
            if (!array.enabled) {
                continue;
            }
            const size_t bytes = static_cast<size_t>(array.size) * 4;
            const size_t stride = array.stride != 0 ? static_cast<size_t>(array.stride) : bytes;
            const size_t from = static_cast<size_t>(array.offset) + stride * static_cast<size_t>(first + vertex);
            if (from + bytes <= copy.bytes.size()) {
                memcpy(&data[at], &copy.bytes[from], bytes);
            }
            at += bytes;
        }
    }
    GLuint made = 0;
    emscripten_glGenBuffers(1, &made);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, made);
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size()), data.data(), GL_STATIC_DRAW);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, boundArrayBuffer);
    copy.interleaved[key] = made;
    return made;
}
}

extern "C" {

void glGenBuffersARB(GLsizei count, GLuint* names)
{
    emscripten_glGenBuffers(count, names);
    for (GLsizei i = 0; i < count; ++i) {
        buffers[names[i]] = BufferCopy();
    }
}

void glBindBufferARB(GLenum target, GLuint buffer)
{
    emscripten_glBindBuffer(target, buffer);
    if (target == GL_ARRAY_BUFFER) {
        boundArrayBuffer = buffer;
    }
}

void glBufferDataARB(GLenum target, GLsizeiptrARB size, const void* data, GLenum usage)
{
    emscripten_glBufferData(target, size, data, usage);
    auto found = target == GL_ARRAY_BUFFER ? buffers.find(boundArrayBuffer) : buffers.end();
    if (found != buffers.end() && size >= 0) {
        dropInterleaved(found->second);
        found->second.bytes.assign(static_cast<size_t>(size), 0);
        if (data != nullptr) {
            memcpy(found->second.bytes.data(), data, static_cast<size_t>(size));
        }
    }
}

void glBufferSubDataARB(GLenum target, GLintptrARB offset, GLsizeiptrARB size, const void* data)
{
    emscripten_glBufferSubData(target, offset, size, data);
    auto found = target == GL_ARRAY_BUFFER ? buffers.find(boundArrayBuffer) : buffers.end();
    if (found != buffers.end() && offset >= 0 && size >= 0 && data != nullptr
        && static_cast<size_t>(offset + size) <= found->second.bytes.size()) {
        dropInterleaved(found->second);
        memcpy(found->second.bytes.data() + offset, data, static_cast<size_t>(size));
    }
}

void glDeleteBuffersARB(GLsizei count, const GLuint* names)
{
    for (GLsizei i = 0; i < count; ++i) {
        auto found = buffers.find(names[i]);
        if (found != buffers.end()) {
            dropInterleaved(found->second);
            buffers.erase(found);
        }
        if (names[i] == boundArrayBuffer) {
            boundArrayBuffer = 0;
        }
    }
    emscripten_glDeleteBuffers(count, names);
}

void glEnableClientState(GLenum name)
{
    if (ClientArray* array = arrayNamed(name)) {
        array->enabled = true;
    }
    emscripten_glEnableClientState(name);
}

void glDisableClientState(GLenum name)
{
    if (ClientArray* array = arrayNamed(name)) {
        array->enabled = false;
    }
    emscripten_glDisableClientState(name);
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    recordPointer(GL_VERTEX_ARRAY, size, type, stride, pointer);
}

void glNormalPointer(GLenum type, GLsizei stride, const void* pointer)
{
    recordPointer(GL_NORMAL_ARRAY, 3, type, stride, pointer);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    recordPointer(GL_TEXTURE_COORD_ARRAY, size, type, stride, pointer);
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    recordPointer(GL_COLOR_ARRAY, size, type, stride, pointer);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    GLsizei vertexBytes = 0;
    const GLuint interleaved = boundArrayBuffer != 0 && count > 0 ? interleavedBuffer(first, count, vertexBytes) : 0;
    if (interleaved == 0) {
        emscripten_glDrawArrays(mode, first, count);
        return;
    }
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, interleaved);
        intptr_t offset = 0;
        for (const ClientArray& array : arrays) {
            if (array.enabled) {
                setPointer(array, vertexBytes, offset);
                offset += array.size * 4;
            }
        }
        emscripten_glDrawArrays(mode, 0, count);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, boundArrayBuffer);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels)
{
    // The component counts of GL 1.0 name the formats WebGL knows.
    const GLint formats[5] = {internalFormat, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    if (internalFormat >= 1 && internalFormat <= 4) {
        internalFormat = formats[internalFormat];
    }
    emscripten_glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}

void glTexEnvf(GLenum target, GLenum name, GLfloat value)
{
    // Every texture environment value the game sets is a mode, which the
    // emulation takes through glTexEnvi.
    glTexEnvi(target, name, static_cast<GLint>(value));
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ)
{
    // As GLU defines it: the forward, side and up axes of the eye, then the
    // eye moved to the origin.
    double forward[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    const double up[3] = {upX, upY, upZ};
    auto normalise = [](double* v) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length > 0.0) {
            v[0] /= length;
            v[1] /= length;
            v[2] /= length;
        }
    };
    auto cross = [](const double* a, const double* b, double* out) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalise(forward);
    double side[3];
    cross(forward, up, side);
    normalise(side);
    double trueUp[3];
    cross(side, forward, trueUp);
    const GLdouble matrix[16] = {side[0], trueUp[0], -forward[0], 0.0,
                                 side[1], trueUp[1], -forward[1], 0.0,
                                 side[2], trueUp[2], -forward[2], 0.0,
                                 0.0,     0.0,       0.0,         1.0};
    glMultMatrixd(matrix);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

void glReadBuffer(GLenum)
{
}

void glShadeModel(GLenum)
{
}

void glColorMaterial(GLenum, GLenum)
{
}

void glHint(GLenum target, GLenum mode)
{
    // The perspective, point smoothing and fog hints of the fixed-function
    // pipeline have no WebGL counterpart.
    if (target == GL_PERSPECTIVE_CORRECTION_HINT || target == GL_POINT_SMOOTH_HINT || target == GL_FOG_HINT
        || target == GL_LINE_SMOOTH_HINT || target == GL_POLYGON_SMOOTH_HINT) {
        return;
    }
    emscripten_glHint(target, mode);
}
}
