#include "game/GameRandom.h"

#include "game/RandomSequence.h"

// Where the C library is not glibc (Windows' and the browser's rand() are
// other generators), glibc's sequence is computed: with the platform's own
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
