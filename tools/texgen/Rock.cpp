#include "Rock.h"

#include "PaintMath.h"
#include "Random.h"
#include "TileNoise.h"

#include <cmath>
#include <cstddef>

namespace {

struct Crater {
    float x = 0.0f;
    float y = 0.0f;
    float radius = 0.0f;
    float depth = 0.0f;
    float rim = 0.0f;
    // Young craters are sharp and leave bright ejecta; old ones are worn.
    float freshness = 0.0f;
};

// The game lays this image around spheres (the rock meshes and the planet)
// with one repeat spanning twice as much surface across as down, so every
// feature is painted half as wide as it is tall and comes out round there.
const int stretch = 2;

std::size_t at(int x, int y, int width)
{
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
}

int wrap(int value, int period)
{
    int r = value % period;
    return r < 0 ? r + period : r;
}

// Impact sizes follow a power law, as on real airless bodies: many small
// pits, a handful of large craters. Centres and radii are in surface units,
// where x runs over [0, stretch * size) and y over [0, size).
std::vector<Crater> scatterCraters(int size)
{
    Random random(0x524f434bULL);
    const float scale = static_cast<float>(size) / 1024.0f;
    const float smallest = 2.5f * scale;
    const float largest = 95.0f * scale;
    const float exponent = 1.9f;
    const float cut = std::pow(smallest / largest, exponent);
    const int count = static_cast<int>(3400.0f * scale * scale) * stretch + 8;

    std::vector<Crater> craters;
    craters.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        Crater c;
        c.x = random.nextUnit() * static_cast<float>(size * stretch);
        c.y = random.nextUnit() * static_cast<float>(size);
        const float u = random.nextUnit();
        c.radius = smallest * std::pow(1.0f - u * (1.0f - cut), -1.0f / exponent);
        c.freshness = random.nextUnit();
        c.freshness *= c.freshness;
        const float wear = 0.45f + 0.55f * c.freshness;
        // Big craters are relatively shallower than small pits.
        const float ratio = 0.26f - 0.1f * smoothstep(8.0f * scale, 70.0f * scale, c.radius);
        c.depth = c.radius * ratio * random.nextRange(0.75f, 1.2f) * wear;
        c.rim = c.depth * random.nextRange(0.35f, 0.6f) * wear;
        craters.push_back(c);
    }
    return craters;
}

// Relief of one crater at distance d (in radii) from its centre: a bowl, a
// flat floor in the larger ones, a raised rim and an ejecta apron.
float craterProfile(const Crater& c, float d, float floorRadius)
{
    float h = 0.0f;
    if (d < 1.0f) {
        const float e = d < floorRadius ? floorRadius : d;
        h += c.depth * (e * e - 1.0f);
        const float t = (d - 1.0f) / 0.16f;
        h += c.rim * std::exp(-t * t);
    } else {
        const float t = (d - 1.0f) / 0.38f;
        h += c.rim * std::exp(-t * t);
    }
    return h;
}

}

void paintRock(std::vector<unsigned char>& rgba, int width, int height)
{
    const int size = width;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<float> relief(count, 0.0f);
    std::vector<float> ejecta(count, 0.0f);
    const TileNoise noise(0x726f636bU);

    // Craters, oldest first: a younger impact wipes out most of the older
    // relief inside its own bowl.
    const std::vector<Crater> craters = scatterCraters(size);
    for (const Crater& c : craters) {
        const float reach = c.radius * 2.0f;
        const float sx = static_cast<float>(stretch);
        const int x0 = static_cast<int>(std::floor((c.x - reach) / sx));
        const int x1 = static_cast<int>(std::ceil((c.x + reach) / sx));
        const int y0 = static_cast<int>(std::floor(c.y - reach));
        const int y1 = static_cast<int>(std::ceil(c.y + reach));
        const float floorRadius = 0.4f * smoothstep(12.0f, 60.0f, c.radius * 1024.0f / static_cast<float>(size));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const float dx = static_cast<float>(x) * sx - c.x;
                const float dy = static_cast<float>(y) - c.y;
                const float d = std::sqrt(dx * dx + dy * dy) / c.radius;
                if (d >= 2.0f) {
                    continue;
                }
                const std::size_t i = at(wrap(x, width), wrap(y, height), width);
                const float wipe = 0.75f * (1.0f - smoothstep(0.7f, 1.05f, d));
                relief[i] = relief[i] * (1.0f - wipe) + craterProfile(c, d, floorRadius);
                const float apron = smoothstep(0.9f, 1.1f, d) * (1.0f - smoothstep(1.1f, 2.0f, d));
                ejecta[i] = ejecta[i] * (1.0f - wipe) + c.freshness * apron;
            }
        }
    }

    // Lumpy ground, grain and fine cracks under the craters. Heights are in
    // pixels, so the shading below reads them as true slopes.
    const float px = static_cast<float>(size) / 1024.0f;
    std::vector<float> ground(count, 0.0f);
    std::vector<float> tint(count, 0.0f);
    std::vector<float> light(count, 0.0f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(width);
            const float v = static_cast<float>(y) / static_cast<float>(height);
            const std::size_t i = at(x, y, width);
            const float lumps = noise.fractal(u * 8.0f, v * 4.0f, 8, 4, 4, 0.5f) * 26.0f * px;
            const float knobs = noise.turbulence(u * 48.0f, v * 24.0f, 48, 24, 3, 0.5f) * 5.0f * px;
            const float grain = noise.fractal(u * 256.0f, v * 128.0f, 256, 128, 2, 0.6f) * 1.4f * px;
            // Fractures follow the borders of a cell pattern, only here and there.
            const float bendX = noise.fractal(u * 32.0f + 0.5f, v * 16.0f, 32, 16, 2, 0.5f);
            const float bendY = noise.fractal(u * 32.0f, v * 16.0f + 0.5f, 32, 16, 2, 0.5f);
            const TileNoise::Cell cell =
                noise.cellular(u * 24.0f + 0.35f * bendX, v * 12.0f + 0.35f * bendY, 24, 12);
            const float border = 1.0f - smoothstep(0.0f, 0.05f, cell.second - cell.nearest);
            const float showing = smoothstep(0.1f, 0.4f, noise.fractal(u * 10.0f + 4.4f, v * 5.0f, 10, 5, 2, 0.5f));
            const float intact = 1.0f - smoothstep(0.0f, 3.0f * px, -relief[i]);
            const float crack = border * showing * intact * 2.0f * px;
            ground[i] = lumps + knobs + grain - crack + relief[i];
            tint[i] = noise.fractal(u * 6.0f + 7.1f, v * 3.0f + 2.9f, 6, 3, 4, 0.55f);
            light[i] = noise.fractal(u * 16.0f + 1.9f, v * 8.0f + 5.3f, 16, 8, 4, 0.6f);
        }
    }

    // Bake a soft light from the upper left into the relief, so pits and
    // rims read even where the scene's own light falls flat on them.
    const float lx = -0.55f;
    const float ly = -0.55f;
    const float lz = 0.63f;
    const Rgb grey = {0.53f, 0.51f, 0.48f};
    const Rgb brown = {0.50f, 0.40f, 0.31f};
    const Rgb dust = {0.60f, 0.56f, 0.50f};
    rgba.assign(count * 4, 255);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = at(x, y, width);
            const float hx = 0.5f / static_cast<float>(stretch) * (ground[at(wrap(x + 1, width), y, width)] -
                                     ground[at(wrap(x - 1, width), y, width)]);
            const float hy = 0.5f * (ground[at(x, wrap(y + 1, height), width)] -
                                     ground[at(x, wrap(y - 1, height), width)]);
            const float len = std::sqrt(hx * hx + hy * hy + 1.0f);
            const float lambert = (-hx * lx - hy * ly + lz) / len;
            const float shade = 0.3f + 0.7f * clamp01(lambert) / lz;
            const float cavity = 1.0f - 0.2f * smoothstep(0.0f, 12.0f * px, -relief[i]);

            Rgb albedo = mix(grey, brown, smoothstep(-0.35f, 0.45f, tint[i]));
            albedo = albedo * (0.88f + 0.22f * light[i]);
            albedo = mix(albedo, dust, 0.45f * clamp01(ejecta[i]));
            const Rgb colour = albedo * (shade * cavity);
            storePixel(rgba, width, x, y, colour, 1.0f);
        }
    }
}
