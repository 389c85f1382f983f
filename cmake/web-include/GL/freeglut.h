/* The game includes freeglut's header; Emscripten's GLUT has the standard
   GLUT calls the game makes (freeglut_std.h) and no freeglut extensions. */
#ifndef ZARVY_WEB_FREEGLUT_H
#define ZARVY_WEB_FREEGLUT_H
#include <GL/freeglut_std.h>
#endif
