#ifndef ZARVY_GAME_GAMERANDOM_H
#define ZARVY_GAME_GAMERANDOM_H

#include <cstdlib>

// The game's random draws take values in 0 to 32767, as the scene's numbers
// were tuned for. glibc's rand() reaches 2^31 - 1, so only its low 15 bits
// are used (the rock meshes reduce their draws the same way). Each call is
// exactly one rand() draw, so the order of calls fixes the scene a seed gives.
inline int randomDraw()
{
    return rand() % 32768;
}

// One draw as a value in [0, 1].
inline double randomUnit()
{
    return randomDraw() / 32767.0;
}

#endif
