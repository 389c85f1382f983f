#include "game/RandomSequence.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The sequence must be glibc's, draw for draw, for any seed: the scenes a
// seed gives on Windows are the ones the Linux build renders.
TEST(RandomSequence, DrawsWhatGlibcsRandDrawsForEverySeed)
{
    // 739806647 makes the first step of the seeding land on -1 before it is
    // brought back into range.
    const unsigned int seeds[] = {0u, 1u, 2u, 7u, 42u, 12345u, 127773u, 0x7fffffffu,
                                  0x80000000u, 0xfffffffeu, 0xffffffffu, 1796000000u, 739806647u};
    for (unsigned int seed : seeds) {
        RandomSequence sequence;
        sequence.seed(seed);
        srand(seed);
        for (int draw = 0; draw < 2000; ++draw) {
            const uint32_t expected = static_cast<uint32_t>(rand());
            ASSERT_EQ(sequence.next(), expected) << "seed " << seed << ", draw " << draw;
        }
    }
}

TEST(RandomSequence, StartsAsSeedOne)
{
    RandomSequence unseeded;
    RandomSequence seeded;
    seeded.seed(1);
    for (int draw = 0; draw < 100; ++draw) {
        ASSERT_EQ(unseeded.next(), seeded.next()) << draw;
    }
}

TEST(RandomSequence, SeedingAgainStartsTheSequenceOver)
{
    RandomSequence fresh;
    fresh.seed(42);
    RandomSequence reused;
    reused.seed(7);
    for (int draw = 0; draw < 57; ++draw) {
        reused.next();
    }
    reused.seed(42);
    for (int draw = 0; draw < 100; ++draw) {
        ASSERT_EQ(reused.next(), fresh.next()) << draw;
    }
}
