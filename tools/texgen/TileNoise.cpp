#include "TileNoise.h"

#include "Random.h"

#include <cmath>

namespace {

// Sixteen unit gradients 22.5 degrees apart; more directions than the
// classic eight keep the noise from showing a grain along the axes.
const float gradientTable[16][2] = {
    {1.0f, 0.0f},           {0.92388f, 0.38268f},   {0.70711f, 0.70711f},
    {0.38268f, 0.92388f},   {0.0f, 1.0f},           {-0.38268f, 0.92388f},
    {-0.70711f, 0.70711f},  {-0.92388f, 0.38268f},  {-1.0f, 0.0f},
    {-0.92388f, -0.38268f}, {-0.70711f, -0.70711f}, {-0.38268f, -0.92388f},
    {0.0f, -1.0f},          {0.38268f, -0.92388f},  {0.70711f, -0.70711f},
    {0.92388f, -0.38268f}};

int wrap(int value, int period)
{
    int r = value % period;
    return r < 0 ? r + period : r;
}

float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

}

std::uint32_t TileNoise::latticeHash(int x, int y, std::uint32_t salt) const
{
    std::uint32_t h = mixBits(seed ^ (salt * 0x9e3779b9U));
    h = mixBits(h ^ static_cast<std::uint32_t>(x) * 0x8da6b343U);
    return mixBits(h ^ static_cast<std::uint32_t>(y) * 0xd8163841U);
}

float TileNoise::layer(float x, float y, int periodX, int periodY, std::uint32_t salt) const
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float dx = x - fx;
    const float dy = y - fy;

    float corner[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int k = 0; k < 4; ++k) {
        const int cx = k & 1;
        const int cy = k >> 1;
        const std::uint32_t h =
            latticeHash(wrap(ix + cx, periodX), wrap(iy + cy, periodY), salt);
        const float* g = gradientTable[h & 15U];
        corner[k] = g[0] * (dx - static_cast<float>(cx)) + g[1] * (dy - static_cast<float>(cy));
    }
    const float u = fade(dx);
    const float v = fade(dy);
    // Unit gradients reach about 0.7 at most; scale that to about 1.
    return 1.4142f * lerp(lerp(corner[0], corner[1], u), lerp(corner[2], corner[3], u), v);
}

float TileNoise::gradient(float x, float y, int periodX, int periodY) const
{
    return layer(x, y, periodX, periodY, 0U);
}

float TileNoise::fractal(float x, float y, int periodX, int periodY, int octaves, float gain) const
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    int scale = 1;
    for (int k = 0; k < octaves; ++k) {
        // Each layer has its own salt: reusing one lattice at doubled
        // frequency would line the layers up into visible grid patterns.
        sum += amplitude * layer(x * static_cast<float>(scale), y * static_cast<float>(scale),
                                 periodX * scale, periodY * scale, static_cast<std::uint32_t>(k + 1));
        total += amplitude;
        amplitude *= gain;
        scale *= 2;
    }
    return sum / total;
}

float TileNoise::turbulence(float x, float y, int periodX, int periodY, int octaves, float gain) const
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    int scale = 1;
    for (int k = 0; k < octaves; ++k) {
        sum += amplitude * std::fabs(layer(x * static_cast<float>(scale), y * static_cast<float>(scale),
                                           periodX * scale, periodY * scale,
                                           static_cast<std::uint32_t>(k + 101)));
        total += amplitude;
        amplitude *= gain;
        scale *= 2;
    }
    return sum / total;
}

TileNoise::Cell TileNoise::cellular(float x, float y, int periodX, int periodY) const
{
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    Cell cell;
    cell.nearest = 1.0e9f;
    cell.second = 1.0e9f;
    for (int oy = -1; oy <= 1; ++oy) {
        for (int ox = -1; ox <= 1; ++ox) {
            const std::uint32_t h =
                latticeHash(wrap(ix + ox, periodX), wrap(iy + oy, periodY), 977U);
            const float px = static_cast<float>(ix + ox) + static_cast<float>(h & 0xffffU) / 65536.0f;
            const float py = static_cast<float>(iy + oy) + static_cast<float>(h >> 16) / 65536.0f;
            const float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < cell.nearest) {
                cell.second = cell.nearest;
                cell.nearest = d;
                cell.id = mixBits(h);
            } else if (d < cell.second) {
                cell.second = d;
            }
        }
    }
    return cell;
}
