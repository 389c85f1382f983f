#include "GlTest.h"

#include "app/Game.h"

#include <GL/freeglut.h>
#include <IL/il.h>

namespace {
bool windowOpen = false;
}

void GlTest::SetUpTestSuite()
{
    if (windowOpen) {
        return;
    }
    int argc = 1;
    char name[] = "zarvy-tests";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(800, 600);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("zarvy-tests");
    initialiseGraphics();
    windowOpen = true;
}

void GlTest::SetUp()
{
    reshape(800, 600);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {
    }
}

void GlTest::TearDown()
{
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

std::vector<unsigned char> GlTest::readPixel(int x, int y)
{
    std::vector<unsigned char> rgba(4, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

std::vector<unsigned char> GlTest::readBackBuffer()
{
    std::vector<unsigned char> rgba(800 * 600 * 4, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

bool GlTest::savePng(const std::string& path, const std::vector<unsigned char>& rgba,
                     int width, int height)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // DevIL's default origin is the lower left, matching GL's row order.
    bool ok = ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE,
                         const_cast<unsigned char*>(rgba.data()));
    if (ok) {
        ilEnable(IL_FILE_OVERWRITE);
        ok = ilSaveImage(path.c_str());
    }
    ilDeleteImages(1, &image);
    return ok;
}
