#ifndef ZARVY_TOOLS_RANDOM_H
#define ZARVY_TOOLS_RANDOM_H

#include <cstdint>

// A small seeded generator (SplitMix64) for the texture painters. The same
// seed always gives the same sequence on every platform, which is what keeps
// the generated images identical from run to run; the C library's rand()
// would not.
class Random {
public:
    explicit Random(std::uint64_t seed) : state(seed) {}
    virtual ~Random() = default;

    std::uint64_t nextBits();
    // Uniform in [0, 1).
    float nextUnit();
    // Uniform in [low, high).
    float nextRange(float low, float high);

private:
    std::uint64_t state = 0;
};

// Mixes 32 bits into 32 well-scrambled bits (a fixed bijection); the
// lattice noise and the per-pixel grain hash their coordinates through it.
std::uint32_t mixBits(std::uint32_t value);

#endif
