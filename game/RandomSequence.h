#ifndef ZARVY_GAME_RANDOMSEQUENCE_H
#define ZARVY_GAME_RANDOMSEQUENCE_H

#include <cstdint>

// The pseudo-random sequence of glibc's rand() and srand(): an additive
// feedback generator over 31 words, r[i] = r[i - 31] + r[i - 3], whose
// table is filled from the seed by the minimal standard generator
// (16807 * x mod 2^31 - 1) and run 310 steps before the first draw. Each
// draw is a word shifted right by one bit, in 0 to 2^31 - 1. Seed 1 is the
// sequence before any seed is given; seed 0 counts as 1.
class RandomSequence {
public:
    RandomSequence() { seed(1); }
    virtual ~RandomSequence() = default;

    void seed(unsigned int value);
    uint32_t next();

private:
    static const int words = 31;
    // How far the front index runs ahead of the rear one.
    static const int separation = 3;

    uint32_t table[words] = {};
    int front = separation;
    int rear = 0;
};

#endif
