#ifndef ZARVY_APP_GAME_H
#define ZARVY_APP_GAME_H

// The application shell: start-up, the tick, the picture and the keyboard.
// Everything here runs on the toolkit's one thread. The steps that the GLUT
// callbacks run are exposed as plain functions so that tests and tools can
// drive the real game without entering the main loop.

class AsteroidsField;
class Camera;
class Input;
class Material;
class Planet;
class Player;
class Skybox;
class TextureObject;

// The process-wide objects, in creation order. Created once at start-up,
// shared by pointer, never deleted.
extern Input* input;
extern Material* material;
extern TextureObject* asteroidTexture;
extern Camera* camera;
extern Player* player;
extern AsteroidsField* asteroidsField;
extern Skybox* skybox;
extern Planet* planet;

// Opens the 800 by 600 window at (0, 0) with the given title and registers
// the callbacks; gives `input` (when it exists) the display's keyboard layout
// and starts watching the window's keyboard focus, which the timer polls.
void openWindow(int* argc, char** argv, const char* title = "Zarvy");
// Puts the pipeline into the baseline state every draw assumes, initialises
// the image and extension libraries and prints the extension status lines.
void initialiseGraphics();
// Creates the scene's seven objects after `input` in their fixed order
// (needs a GL context and a seeded random generator).
void createScene();

// The simulation part of one 20 ms tick: everything after the redraw
// request and the re-arming of the timer.
void runTick();
// The picture without the buffer swap, so a caller can read the back buffer.
void drawPicture();
// The game's own step of the tick: the field moves, then either the player
// flies (with its collision test) or the free camera acts.
void gameTickStep();
// The game's own part of the picture: the asteroids beyond the ship, the
// ship, the nearer asteroids and the explosion, back to front.
void gameDrawStep();
// Run after every key press: while the space bar is held, each press hands
// the ship to the keyboard or takes it away.
void spaceBarStep();
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
