#ifndef ZARVY_TESTS_RENDER_RENDERTESTSUPPORT_H
#define ZARVY_TESTS_RENDER_RENDERTESTSUPPORT_H

#include "image/ImageTestSupport.h"
#include "support/GlTest.h"

#include <vector>

// The fixture of the render tests, which puts back the state the tests
// change; the image file helpers come with it.
namespace rendertest {

using namespace imagetest;

// The GL fixture for the render tests: the view is an orthographic box of
// 8 by 6 units (100 pixels a unit, origin at the window's centre, z from -10
// to 10), the light shines along the view toward -z, and what a test
// changes of the baseline state is put back afterwards.
class RenderTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4.0, 4.0, -3.0, 3.0, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const GLfloat towardViewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, towardViewer);
    }

    void TearDown() override
    {
        GlTest::TearDown();
        glDisable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    // Pixels of the back buffer whose colour is not black.
    static int countLitPixels()
    {
        const std::vector<unsigned char> rgba = readBackBuffer();
        int lit = 0;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            if (rgba[i] != 0 || rgba[i + 1] != 0 || rgba[i + 2] != 0) {
                ++lit;
            }
        }
        return lit;
    }

    // Window pixel of a point in the orthographic view.
    static int pixelX(float x) { return static_cast<int>(400.0f + 100.0f * x); }
    static int pixelY(float y) { return static_cast<int>(300.0f + 100.0f * y); }
};

}

#endif
