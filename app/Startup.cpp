#include "app/Game.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <IL/il.h>
#include <cstdio>

// The baseline pipeline state and the projection. Kept apart from the scene
// so that GL tests can set the game's exact baseline without the scene.

void initialiseGraphics()
{
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    ilInit();
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_NORMALIZE);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    const GLfloat fogColour[4] = {0.02f, 0.02f, 0.02f, 1.0f};
    glFogfv(GL_FOG_COLOR, fogColour);
    glFogf(GL_FOG_DENSITY, 0.003f);
    glHint(GL_FOG_HINT, GL_NICEST);
    glDepthFunc(GL_LEQUAL);

    const GLenum status = glewInit();
    if (status != GLEW_OK) {
        fprintf(stderr, "Error: %s\n", reinterpret_cast<const char*>(glewGetErrorString(status)));
    }
    if (glewGetExtension("GL_ARB_vertex_buffer_object")) {
        printf("Check:  vertex buffer objects\n");
    }
    printf("Status: Using GLEW %s\n", reinterpret_cast<const char*>(glewGetString(GLEW_VERSION)));

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);

    // Blending stays on for the whole run: fades, clouds, flames and the
    // explosion all rely on it.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Records the mode only; colour-material tracking is never enabled.
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void reshape(int width, int height)
{
    // A minimised or collapsed window reports a height of 0; treat it as 1
    // so the aspect ratio stays finite.
    if (height < 1) {
        height = 1;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / height, 0.05, 1000.0);
}
