#ifndef ZARVY_GAME_GAMERANDOM_H
#define ZARVY_GAME_GAMERANDOM_H

// The game's one source of random draws. Each draw takes a value in 0 to
// 32767, as the scene's numbers were tuned for, and each call is exactly one
// draw of the C library's generator as glibc makes it, so the order of calls
// fixes the scene a seed gives, and a seed gives the same scene on every
// platform. On Linux this is glibc's own rand(), of which only the low 15
// bits are used; elsewhere (Windows, the browser) the same sequence is
// computed by RandomSequence.

// Starts the sequence that `seed` selects, as srand() does.
void seedRandom(unsigned int seed);

// The next draw, in 0 to 32767.
int randomDraw();

// One draw as a value in [0, 1].
inline double randomUnit()
{
    return randomDraw() / 32767.0;
}

#endif
