#ifndef ZARVY_TESTS_APP_SHAREDSCENE_H
#define ZARVY_TESTS_APP_SHAREDSCENE_H

#include "app/Game.h"
#include "app/Input.h"
#include "render/Camera.h"

// Start-up creates the process-wide objects once; the tests of a program
// share them, the way the callbacks do.
inline void ensureScene()
{
    if (input == nullptr) {
        input = new Input();
    }
    if (camera == nullptr) {
        createScene();
    }
}

#endif
