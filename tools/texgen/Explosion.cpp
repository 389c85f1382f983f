#include "Explosion.h"

#include "PaintMath.h"
#include "Random.h"
#include "TileNoise.h"

#include <cmath>
#include <cstddef>

void paintExplosion(std::vector<unsigned char>& rgba, int width, int height)
{
    static const RampStop fireRamp[7] = {{0.0f, {0.10f, 0.05f, 0.04f}}, {0.14f, {0.36f, 0.07f, 0.03f}},
                                         {0.32f, {0.86f, 0.26f, 0.05f}}, {0.5f, {1.0f, 0.52f, 0.10f}},
                                         {0.7f, {1.0f, 0.80f, 0.30f}},   {0.86f, {1.0f, 0.95f, 0.70f}},
                                         {1.0f, {1.0f, 1.0f, 0.95f}}};
    const TileNoise noise(0x626f6f6dU);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<Rgb> colour(count);
    std::vector<float> alpha(count, 0.0f);

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
            const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
            const float dx = u * 2.0f - 1.0f;
            const float dy = v * 2.0f - 1.0f;
            const float r = std::sqrt(dx * dx + dy * dy);

            const float billow = noise.turbulence(u * 4.0f, v * 4.0f, 4, 4, 6, 0.55f);
            const float lump = noise.fractal(u * 3.0f + 11.0f, v * 3.0f + 4.0f, 64, 64, 5, 0.5f);
            // Lumps push the fireball's edge in and out; billows mottle it.
            const float radius = r * (1.0f + 0.32f * lump) - 0.16f * (billow - 0.3f);
            const float heat = clamp01(1.05f - radius / 0.72f + 0.7f * (billow - 0.3f) * (1.0f - r));

            const float body = 1.0f - smoothstep(0.62f, 0.92f, radius);
            const float smoke = 0.7f + 0.3f * smoothstep(0.1f, 0.5f, billow);
            const float edge = 1.0f - smoothstep(0.8f, 0.97f, r);
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(x);
            colour[i] = sampleRamp(fireRamp, 7, heat);
            alpha[i] = clamp01(body * mix(smoke, 1.0f, heat)) * edge;
        }
    }

    // Sparks flung out of the blast: small hot dots among the smoke.
    Random random(0x535041524bULL);
    const Rgb spark = {1.0f, 0.9f, 0.55f};
    const float scale = static_cast<float>(width) / 256.0f;
    for (int k = 0; k < 30; ++k) {
        const float angle = random.nextUnit() * 6.2831853f;
        const float distance = random.nextRange(0.45f, 0.82f);
        const float size = random.nextRange(0.6f, 1.3f) * scale;
        const float cx = (0.5f + 0.5f * distance * std::cos(angle)) * static_cast<float>(width);
        const float cy = (0.5f + 0.5f * distance * std::sin(angle)) * static_cast<float>(height);
        const int reach = static_cast<int>(std::ceil(size * 3.0f));
        for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y) {
            for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
                if (x < 0 || x >= width || y < 0 || y >= height) {
                    continue;
                }
                const float ox = static_cast<float>(x) + 0.5f - cx;
                const float oy = static_cast<float>(y) + 0.5f - cy;
                const float w = std::exp(-(ox * ox + oy * oy) / (2.0f * size * size));
                const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                      static_cast<std::size_t>(x);
                colour[i] = mix(colour[i], spark, w);
                alpha[i] = alpha[i] + (1.0f - alpha[i]) * w;
            }
        }
    }

    rgba.assign(count * 4, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(x);
            storePixel(rgba, width, x, y, colour[i], alpha[i]);
        }
    }
}
