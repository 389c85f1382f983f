#include "app/Game.h"

#include "app/FocusWatcher.h"
#include "app/Input.h"
#include "app/KeyboardLayout.h"
#include "app/KeypadReleases.h"
#include "app/ViewDriverNotice.h"
#include "game/AsteroidsField.h"
#include "game/Player.h"
#include "render/Camera.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Planet.h"
#include "scene/Skybox.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>

Input* input = nullptr;
Material* material = nullptr;
TextureObject* asteroidTexture = nullptr;
Camera* camera = nullptr;
Player* player = nullptr;
AsteroidsField* asteroidsField = nullptr;
Skybox* skybox = nullptr;
Planet* planet = nullptr;

namespace {
// A directional light from the upper left, behind the initial view; given
// after the view transform every frame, so it is fixed in world space.
const GLfloat lightPosition[4] = {-50.0f, 50.0f, 80.0f, 0.0f};

// Watches the window opened by openWindow; polled once per tick.
FocusWatcher* keyboardFocus = nullptr;
// Keeps the keypad's releases from leaving its characters held; lives as
// long as the window.
KeypadReleases* keypadReleases = nullptr;
}

void openWindow(int* argc, char** argv, const char* title)
{
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(800, 600);
    glutInitWindowPosition(0, 0);
    glutCreateWindow(title);
    // The window's context is current now, so its display is known: read
    // which characters share a key, and watch where the keyboard goes.
    if (input != nullptr) {
        input->setLayout(KeyboardLayout::ofCurrentDisplay());
    }
    keyboardFocus = new FocusWatcher();
    // A window opened again (the tests open several) lets go of the last one.
    delete keypadReleases;
    keypadReleases = new KeypadReleases();
    glutReshapeFunc(reshape);
    glutDisplayFunc(display);
    glutKeyboardFunc(keyboard);
    glutKeyboardUpFunc(keyboardUp);
    glutSpecialFunc(special);
    glutSpecialUpFunc(specialUp);
}

void createScene()
{
    // Diffuse red 8.0, not 0.8: lit rock surfaces saturate in red.
    material = new Material(Vec4f(0.7f, 0.55f, 0.4f, 1.0f), Vec4f(8.0f, 0.6f, 0.5f, 1.0f),
                            Vec4f(0.2f, 0.2f, 0.2f, 1.0f), 64.0f);
    asteroidTexture = new TextureObject("Textures/asteroid_v8.jpg");
    camera = new Camera(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    player = new Player(camera, input);
    player->place(Vec3f(0.0f, 0.0f, -20.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f));
    player->takeControl();
    asteroidsField = new AsteroidsField(Vec3f(0.0f, 0.0f, -250.0f), 100.0f, 100.0f, 500.0f,
                                        250, 20, 10.0f, 2.0f, material, asteroidTexture, camera);
    skybox = new Skybox(camera, 1000.0f);
    planet = new Planet(Vec3f(0.0f, -860.0f, -200.0f), 800.0f);
}

void gameTickStep()
{
    asteroidsField->update(player);
    if (player->isInControl()) {
        player->update();
        asteroidsField->setSpeed(player->getSpeed());
        if (asteroidsField->collide(player->getBox(), -20.0f, 0.0f)) {
            player->setSpeed(0.0f);
        }
        return;
    }
    camera->freeCameraTick(input);
}

void runTick()
{
    planet->update();
    skybox->update();
    gameTickStep();
}

void gameDrawStep()
{
    material->apply(1.0f, 1.0f);
    asteroidsField->drawFar();
    player->draw();
    asteroidsField->drawNear();
}

void drawPicture()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera->lookAt();
    skybox->draw();
    planet->draw();
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    gameDrawStep();
}

void spaceBarStep()
{
    // Tests the held flag, not this event's key: with key repeat, every
    // further key-down while space is held toggles again.
    if (player->isInControl()) {
        if (input->isKeyDown(' ')) {
            player->releaseControl();
        }
    } else if (input->isKeyDown(' ')) {
        player->takeControl();
    }
}

bool handleKeyDown(unsigned char key, int x, int y)
{
    if (key == 27) {
        return true;
    }
    input->keyDown(key, x, y);
    spaceBarStep();
    return false;
}

void timer(int)
{
    glutPostRedisplay();
    glutTimerFunc(20, timer, 1);
    // Keys let go while another window had the keyboard were released there:
    // none of them is still held here.
    if (keyboardFocus != nullptr && keyboardFocus->focusLost()) {
        input->releaseAll();
    }
    runTick();
}

void display()
{
    drawPicture();
    glutSwapBuffers();
}

void keyboard(unsigned char key, int x, int y)
{
    if (handleKeyDown(key, x, y)) {
        exit(0);
    }
    noticeViewDriver(player->isInControl());
}

void keyboardUp(unsigned char key, int x, int y)
{
    input->keyUp(key, x, y);
}

void special(int key, int x, int y)
{
    input->specialKeyDown(key, x, y);
}

void specialUp(int key, int x, int y)
{
    input->specialKeyUp(key, x, y);
}
