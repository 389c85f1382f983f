#include "game/GameRandom.h"

#include <cstdlib>

void seedRandom(unsigned int seed)
{
    srand(seed);
}

// glibc's rand() reaches 2^31 - 1; its low 15 bits are the draw.
int randomDraw()
{
    return rand() % 32768;
}
