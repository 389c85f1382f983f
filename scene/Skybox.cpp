#include "scene/Skybox.h"

#include "render/Camera.h"
#include "render/TextureObject.h"

#include <GL/glew.h>
#include <cmath>

Skybox::Skybox(Camera* camera, float size)
    : size(size), texture(new TextureObject("Textures/front.png")), camera(camera)
{
    update();
}

Skybox::~Skybox()
{
    delete texture;
}

void Skybox::update()
{
    if (camera != nullptr) {
        lastEye = camera->getEye();
    }
}

void Skybox::draw() const
{
    // Half the edge of the cube whose corners lie `size` from its centre,
    // that is size / sqrt(3). A size of 0 would make this 0 / 0; the face
    // then shrinks to a point instead of getting NaN corners.
    const float squared = size * size;
    const float h = squared == 0.0f ? 0.0f : squared / std::sqrt(3.0f * squared);

    glPushMatrix();
        // The sky is infinitely far away: no fog, and the texel colour
        // replaces the lit colour so the light does not shade it.
        glDisable(GL_FOG);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        texture->bind();
            // Counter-clockwise seen from the origin, so the face survives
            // back-face culling.
            glBegin(GL_QUADS);
                glTexCoord2f(0.0f, 1.0f);
                glVertex3f(-h, h, -h);
                glTexCoord2f(0.0f, 0.0f);
                glVertex3f(-h, -h, -h);
                glTexCoord2f(1.0f, 0.0f);
                glVertex3f(h, -h, -h);
                glTexCoord2f(1.0f, 1.0f);
                glVertex3f(h, h, -h);
            glEnd();
        texture->unbind();
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable(GL_FOG);
    glPopMatrix();
}
