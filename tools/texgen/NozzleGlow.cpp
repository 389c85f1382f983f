#include "NozzleGlow.h"

#include "PaintMath.h"

#include <cmath>

void paintNozzleGlow(std::vector<unsigned char>& rgba, int width, int height)
{
    static const RampStop heatRamp[5] = {{0.0f, {0.28f, 0.42f, 1.0f}}, {0.22f, {0.85f, 0.40f, 0.35f}},
                                         {0.42f, {1.0f, 0.55f, 0.14f}}, {0.7f, {1.0f, 0.86f, 0.42f}},
                                         {1.0f, {1.0f, 1.0f, 0.95f}}};
    rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) * 2.0f - 1.0f;
            const float dy = (static_cast<float>(y) + 0.5f) / static_cast<float>(height) * 2.0f - 1.0f;
            const float r = std::sqrt(dx * dx + dy * dy);
            // A hot centre, and a brighter ring where the nozzle's lip glows.
            const float ringOffset = (r - 0.44f) / 0.09f;
            const float heat = clamp01(std::exp(-r * r / 0.07f) + 0.3f * std::exp(-ringOffset * ringOffset));
            const float reach = clamp01(1.0f - r / 0.94f);
            const float alpha = clamp01(std::pow(reach, 1.5f) * 1.25f);
            storePixel(rgba, width, x, y, sampleRamp(heatRamp, 5, heat), alpha);
        }
    }
}
