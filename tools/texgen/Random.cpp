#include "Random.h"

std::uint64_t Random::nextBits()
{
    state += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

float Random::nextUnit()
{
    // 24 bits fill a float's mantissa exactly, so the result is never 1.
    return static_cast<float>(nextBits() >> 40) * (1.0f / 16777216.0f);
}

float Random::nextRange(float low, float high)
{
    return low + (high - low) * nextUnit();
}

std::uint32_t mixBits(std::uint32_t value)
{
    value ^= value >> 16;
    value *= 0x7feb352dU;
    value ^= value >> 15;
    value *= 0x846ca68bU;
    value ^= value >> 16;
    return value;
}
