#include "game/GameRandom.h"

#include <gtest/gtest.h>

// On every platform the game draws glibc's sequence: these are the first
// draws of seed 1, reduced to 0..32767, and a seed restarts the sequence.
TEST(GameRandom, EverySeedGivesGlibcsSequenceOnEveryPlatform)
{
    seedRandom(1);
    const int firstOfSeedOne[] = {1804289383 % 32768, 846930886 % 32768, 1681692777 % 32768,
                                  1714636915 % 32768, 1957747793 % 32768};
    for (int expected : firstOfSeedOne) {
        EXPECT_EQ(randomDraw(), expected);
    }
    seedRandom(0);
    const int zero = randomDraw();
    seedRandom(1);
    EXPECT_EQ(randomDraw(), zero) << "seed 0 counts as 1";
    seedRandom(2);
    EXPECT_NE(randomDraw(), zero);
}

TEST(GameRandom, DrawsStayWithinTheirRange)
{
    seedRandom(12345);
    for (int i = 0; i < 10000; ++i) {
        const int draw = randomDraw();
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, 32767);
        const double unit = randomUnit();
        ASSERT_GE(unit, 0.0);
        ASSERT_LE(unit, 1.0);
    }
}
