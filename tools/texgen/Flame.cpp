#include "Flame.h"

#include "PaintMath.h"
#include "TileNoise.h"

#include <cmath>

void paintFlame(std::vector<unsigned char>& rgba, int width, int height)
{
    static const RampStop heatRamp[7] = {{0.0f, {0.22f, 0.36f, 1.0f}},  {0.08f, {0.55f, 0.32f, 0.78f}},
                                         {0.2f, {1.0f, 0.36f, 0.08f}},  {0.45f, {1.0f, 0.60f, 0.15f}},
                                         {0.7f, {1.0f, 0.87f, 0.45f}},  {0.88f, {1.0f, 0.97f, 0.80f}},
                                         {1.0f, {1.0f, 1.0f, 1.0f}}};
    const TileNoise noise(0x666c616dU);
    rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // u runs from the nozzle (0) to the tip (1), v across the flame.
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
            const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height) * 2.0f - 1.0f;
            const float across = std::fabs(v);

            // The envelope swells a little past the nozzle and then tapers
            // to a point; its edge grows ragged toward the tip.
            const float ragged = 1.0f + 0.16f * u * noise.fractal(u * 6.0f, across * 2.0f, 64, 64, 3, 0.5f);
            const float envelope = 0.6f * std::pow(1.0f - u, 0.7f) * (1.0f + 0.5f * u * (1.0f - u)) * ragged;
            const float q = across / envelope;
            const float outer = q < 1.0f ? std::pow(1.0f - q * q, 1.3f) : 0.0f;

            // A soft white-hot core runs out of the nozzle and cools along
            // the flame; faint shock diamonds pulse along it.
            const float coreWidth = 0.24f * std::pow(1.0f - u, 0.5f);
            const float qc = across / coreWidth;
            const float diamonds = 0.94f + 0.06f * std::cos(u * 6.2831853f * 4.5f);
            const float core = std::exp(-qc * qc) * std::pow(1.0f - u, 1.6f) * diamonds;

            const float fade = 1.0f - smoothstep(0.4f, 1.0f, u);
            const float heat = clamp01(1.1f * core + 0.3f * outer * (1.0f - u));
            // Cool gas at the rim stays faint, so the blue shows only as a
            // fringe around the orange body.
            // The billboard's texture coordinates reach exactly 0 and 1 and
            // wrap, so filtering mixes the first column into the tip's edge;
            // a clear first column keeps the nozzle's colour from showing
            // there as a line.
            const float lip = x == 0 ? 0.0f : 1.0f;
            const float alpha = clamp01(0.55f * std::pow(outer, 1.1f) + 1.2f * heat * outer) * fade * lip;
            storePixel(rgba, width, x, y, sampleRamp(heatRamp, 7, heat), alpha);
        }
    }
}
