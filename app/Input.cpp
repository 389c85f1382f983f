#include "app/Input.h"

void Input::keyDown(unsigned char key, int, int)
{
    keys[key] = true;
}

void Input::keyUp(unsigned char key, int, int)
{
    for (int other = 0; other < 256; ++other) {
        if (layout.sameKey(key, static_cast<unsigned char>(other))) {
            keys[other] = false;
        }
    }
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

void Input::releaseAll()
{
    for (int key = 0; key < 256; ++key) {
        keys[key] = false;
        specialKeys[key] = false;
    }
}
