#include "render/Material.h"

#include <GL/gl.h>

Material::Material(Vec4f ambient, Vec4f diffuse, Vec4f specular, float shininess)
{
    this->ambient = ambient;
    this->diffuse = diffuse;
    this->specular = specular;
    this->shininess = shininess;
}

void Material::apply(float intensity, float alpha) const
{
    const Vec4f factor(intensity, intensity, intensity, alpha);
    Vec4f d = diffuse;
    d.multiply(factor);
    Vec4f s = specular;
    s.multiply(factor);

    // Ambient is never dimmed, and its alpha is fixed so that only the
    // diffuse alpha decides how translucent the lit surface is.
    const GLfloat ambientColour[4] = {ambient.x, ambient.y, ambient.z, 1.0f};
    const GLfloat diffuseColour[4] = {d.x, d.y, d.z, d.w};
    const GLfloat specularColour[4] = {s.x, s.y, s.z, s.w};
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambientColour);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuseColour);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specularColour);
    glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
}
