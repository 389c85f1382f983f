#include "render/Billboard.h"

#include "math/Vec4f.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "render/VertexBufferObject.h"

#include <GL/gl.h>
#include <cmath>

namespace {
// The unit square as two counter-clockwise triangles seen from +z. The
// texture lies on it a quarter turn round: s runs from 1 at y = -1 to 0 at
// y = 1, t from 0 at x = -1 to 1 at x = 1.
const float quadPositions[18] = {
    -1.0f, -1.0f, 0.0f,
     1.0f, -1.0f, 0.0f,
     1.0f,  1.0f, 0.0f,
     1.0f,  1.0f, 0.0f,
    -1.0f,  1.0f, 0.0f,
    -1.0f, -1.0f, 0.0f,
};
const float quadNormals[18] = {
    0.0f, 0.0f, 1.0f,
    0.0f, 0.0f, 1.0f,
    0.0f, 0.0f, 1.0f,
    0.0f, 0.0f, 1.0f,
    0.0f, 0.0f, 1.0f,
    0.0f, 0.0f, 1.0f,
};
const float quadTexCoords[12] = {
    1.0f, 0.0f,
    1.0f, 1.0f,
    0.0f, 1.0f,
    0.0f, 1.0f,
    0.0f, 0.0f,
    1.0f, 0.0f,
};
const float quadColours[18] = {
    1.0f, 1.0f, 1.0f,
    1.0f, 1.0f, 1.0f,
    1.0f, 1.0f, 1.0f,
    1.0f, 1.0f, 1.0f,
    1.0f, 1.0f, 1.0f,
    1.0f, 1.0f, 1.0f,
};
}

Billboard::Billboard(std::string texturePath)
{
    mesh = new VertexBufferObject(GL_TRIANGLES,
                                  quadPositions, sizeof(quadPositions),
                                  quadNormals, sizeof(quadNormals),
                                  quadTexCoords, sizeof(quadTexCoords),
                                  quadColours, sizeof(quadColours));
    texture = new TextureObject(texturePath);
    const Vec4f white(1.0f, 1.0f, 1.0f, 1.0f);
    material = new Material(white, white, white, 1.0f);
    life = 0;
}

Billboard::~Billboard()
{
    delete texture;
    delete mesh;
    delete material;
}

void Billboard::start(Vec3f position, Vec3f axisA, Vec3f axisB, float width, float height, int life)
{
    this->width = width;
    this->height = height;
    this->life = life;
    lifeTotal = life;
    this->position = position;
    this->axisA = axisA;
    this->axisB = axisB;
}

void Billboard::tick()
{
    if (life > 0) {
        life -= 1;
    }
}

void Billboard::draw() const
{
    if (life == 0) {
        return;
    }
    texture->bind();
        // The countdown rises from about 0 to 1 at half time and falls again,
        // so an explosion swells in and fades out. lifeTotal is never 0 here:
        // it equals the life of the last start, and that life is not 0.
        const float fade = static_cast<float>(
            std::sin(static_cast<float>(life) / static_cast<float>(lifeTotal) * 3.14159265));
        material->apply(1.0f, life == -1 ? 1.0f : fade);

        glPushMatrix();
            glTranslatef(position.x, position.y, position.z);
            // The three vectors are the matrix's rows, so the quad's own
            // axes are their x, y and z components in turn.
            Vec3f c = axisB;
            c.cross(axisA);
            const GLfloat orientation[16] = {
                c.x, axisB.x, axisA.x, 0.0f,
                c.y, axisB.y, axisA.y, 0.0f,
                c.z, axisB.z, axisA.z, 0.0f,
                0.0f, 0.0f, 0.0f, 1.0f,
            };
            glMultMatrixf(orientation);
            glScalef(width, height, 1.0f);
            mesh->draw();
        glPopMatrix();
    texture->unbind();
}
