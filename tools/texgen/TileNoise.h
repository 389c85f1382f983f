#ifndef ZARVY_TOOLS_TILENOISE_H
#define ZARVY_TOOLS_TILENOISE_H

#include <cstdint>

// Seeded 2D noise whose lattice wraps around: sampled over x in [0, periodX)
// and y in [0, periodY) it repeats seamlessly, so images painted from it tile.
// Periods are counted in lattice cells and must be at least 1. The same seed
// and arguments always give the same value.
class TileNoise {
public:
    // Distances to the nearest and second-nearest feature point of a jittered
    // grid (one point per lattice cell), and a hash that names the nearest.
    struct Cell {
        float nearest = 0.0f;
        float second = 0.0f;
        std::uint32_t id = 0;
    };

    explicit TileNoise(std::uint32_t seed) : seed(seed) {}
    virtual ~TileNoise() = default;

    // Gradient noise in about [-1, 1], 0 on every lattice point.
    float gradient(float x, float y, int periodX, int periodY) const;
    // `octaves` layers of gradient noise, layer k at 2^k times the frequency
    // (and the period, so the sum still tiles) and gain^k times the
    // amplitude; normalised to about [-1, 1].
    float fractal(float x, float y, int periodX, int periodY, int octaves, float gain) const;
    // The same layers summed as magnitudes: billowy, in about [0, 1].
    float turbulence(float x, float y, int periodX, int periodY, int octaves, float gain) const;
    Cell cellular(float x, float y, int periodX, int periodY) const;

private:
    float layer(float x, float y, int periodX, int periodY, std::uint32_t salt) const;
    std::uint32_t latticeHash(int x, int y, std::uint32_t salt) const;

    std::uint32_t seed = 0;
};

#endif
