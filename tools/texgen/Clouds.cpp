#include "Clouds.h"

#include "PaintMath.h"
#include "TileNoise.h"

#include <cmath>

void paintClouds(std::vector<unsigned char>& rgba, int width, int height)
{
    const TileNoise noise(0x636c6f75U);
    // On the planet one repeat spans twice as much surface across as down;
    // painting the cells 1.5 times narrower leaves the clouds there a little
    // drawn out along the planet's spin, like weather in zonal winds.
    const int cellsX = 6;
    const int cellsY = 4;
    rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 255);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float px = static_cast<float>(x) / static_cast<float>(width) * static_cast<float>(cellsX);
            const float py = static_cast<float>(y) / static_cast<float>(height) * static_cast<float>(cellsY);
            // Warping the lookup curls the patches into swirls and fronts.
            const float wx = noise.fractal(px + 3.1f, py + 7.7f, cellsX, cellsY, 4, 0.5f);
            const float wy = noise.fractal(px + 8.4f, py + 2.2f, cellsX, cellsY, 4, 0.5f);
            const float body = noise.fractal(px + 0.35f * wx, py + 0.35f * wy, cellsX, cellsY, 6, 0.5f);
            const float cover = noise.fractal(px * 0.5f + 5.5f, py * 0.5f + 1.5f, cellsX / 2, cellsY / 2, 2, 0.5f);
            const float puffs = noise.fractal(px * 4.0f, py * 4.0f, cellsX * 4, cellsY * 4, 3, 0.5f);

            const float density = body + 0.45f * cover + 0.1f * puffs + 0.08f;
            const float alpha = smoothstep(0.0f, 0.4f, density);
            // Thick cores are a touch greyer, as their shaded undersides
            // would be; thin edges stay bright.
            const float shade = 1.0f - 0.16f * smoothstep(0.35f, 0.75f, density);
            storePixel(rgba, width, x, y, Rgb{shade, shade, shade * 1.02f}, alpha);
        }
    }
}
