#include "game/GameRandom.h"

#include "game/RandomSequence.h"

// The Windows C library's rand() is another generator than glibc's: with it
// a seed would give another field of rocks than on Linux.
namespace {
RandomSequence sequence;
}

void seedRandom(unsigned int seed)
{
    sequence.seed(seed);
}

int randomDraw()
{
    return static_cast<int>(sequence.next() % 32768);
}
