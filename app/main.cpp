#include "app/ConsoleOutput.h"
#include "app/Game.h"
#include "app/Input.h"
#include "game/GameRandom.h"

#include <GL/freeglut.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    prepareConsoleOutput();

    input = new Input();
    openWindow(&argc, argv);
    initialiseGraphics();
    seedRandom(static_cast<uint32_t>(time(nullptr)));
    createScene();
    glutTimerFunc(20, timer, 1);
    glutMainLoop();
    return 0;
}
