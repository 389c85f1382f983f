#include "app/Input.h"

void Input::keyDown(unsigned char key, int, int)
{
    keys[key] = true;
}

void Input::keyUp(unsigned char key, int, int)
{
    keys[key] = false;
}

void Input::specialKeyDown(int key, int, int)
{
    if (key >= 0 && key < 256) {
        specialKeys[key] = true;
    }
}

void Input::specialKeyUp(int key, int, int)
{
    if (key >= 0 && key < 256) {
        specialKeys[key] = false;
    }
}
