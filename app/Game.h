#ifndef ZARVY_APP_GAME_H
#define ZARVY_APP_GAME_H

// The application shell: start-up, the tick, the picture and the keyboard.
// Everything here runs on the toolkit's one thread. The steps that the GLUT
// callbacks run are exposed as plain functions so that tests and tools can
// drive the real game without entering the main loop.

class Input;
class Camera;

// The process-wide objects. Created once at start-up, never deleted.
extern Input* input;
extern Camera* camera;

// Opens the 800 by 600 window "Zarvy" at (0, 0) and registers the callbacks.
void openWindow(int* argc, char** argv);
// Puts the pipeline into the baseline state every draw assumes, initialises
// the image and extension libraries and prints the extension status lines.
void initialiseGraphics();
// Creates the scene's objects in their fixed order (needs a GL context).
void createScene();

// The simulation part of one 20 ms tick: everything after the redraw
// request and the re-arming of the timer.
void runTick();
// The picture without the buffer swap, so a caller can read the back buffer.
void drawPicture();
// The keyboard callback's work; returns true when the key asks to quit.
bool handleKeyDown(unsigned char key, int x, int y);

// GLUT callbacks.
void timer(int value);
void display();
void reshape(int width, int height);
void keyboard(unsigned char key, int x, int y);
void keyboardUp(unsigned char key, int x, int y);
void special(int key, int x, int y);
void specialUp(int key, int x, int y);

#endif
