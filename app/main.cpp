#include "app/Game.h"
#include "app/Input.h"

#include <GL/freeglut.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    // Console lines reach their stream at once, even into a pipe or a file.
    setvbuf(stdout, nullptr, _IOLBF, 0);

    input = new Input();
    openWindow(&argc, argv);
    initialiseGraphics();
    srand(static_cast<uint32_t>(time(nullptr)));
    createScene();
    glutTimerFunc(20, timer, 1);
    glutMainLoop();
    return 0;
}
