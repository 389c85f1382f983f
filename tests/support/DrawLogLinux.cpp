#include "DrawLog.h"

#include <dlfcn.h>

namespace {
bool logging = false;
std::vector<LoggedDraw> drawLog;
}

extern "C" void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    if (logging) {
        LoggedDraw draw;
        glGetFloatv(GL_MODELVIEW_MATRIX, draw.matrix.data());
        draw.vertices = count;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &draw.texture);
        draw.textured = glIsEnabled(GL_TEXTURE_2D);
        draw.culled = glIsEnabled(GL_CULL_FACE);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &draw.depthWrites);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &draw.textureMode);
        glGetIntegerv(GL_BLEND_SRC, &draw.blendSource);
        glGetIntegerv(GL_BLEND_DST, &draw.blendDestination);
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, draw.ambient.data());
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, draw.diffuse.data());
        glGetMaterialfv(GL_FRONT, GL_SPECULAR, draw.specular.data());
        glGetMaterialfv(GL_FRONT, GL_SHININESS, &draw.shininess);
        drawLog.push_back(draw);
    }
    using Real = void (*)(GLenum, GLint, GLsizei);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glDrawArrays"));
    real(mode, first, count);
}

std::vector<LoggedDraw> logDraws(const std::function<void()>& paint)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    drawLog.clear();
    logging = true;
    paint();
    logging = false;
    return drawLog;
}
