#include "Starfield.h"

#include "PaintMath.h"
#include "Random.h"
#include "TileNoise.h"

#include <cmath>
#include <cstddef>

namespace {

struct Sky {
    int width = 0;
    int height = 0;
    std::vector<Rgb> light;
    std::vector<float> nebula;
    std::vector<float> dust;
};

std::size_t at(const Sky& sky, int x, int y)
{
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(sky.width) + static_cast<std::size_t>(x);
}

// Stars have the colours of their temperature: mostly white and
// yellowish, some blue-white, a few orange and red.
Rgb starColour(float pick)
{
    static const Rgb palette[6] = {{0.72f, 0.80f, 1.0f},  {0.86f, 0.91f, 1.0f},
                                   {1.0f, 1.0f, 1.0f},    {1.0f, 0.95f, 0.84f},
                                   {1.0f, 0.84f, 0.64f},  {1.0f, 0.68f, 0.50f}};
    static const float share[6] = {0.14f, 0.30f, 0.58f, 0.82f, 0.95f, 1.0f};
    for (int k = 0; k < 6; ++k) {
        if (pick < share[k]) {
            return palette[k];
        }
    }
    return palette[2];
}

// Adds a round Gaussian spot of peak `peak` centred on (cx, cy).
void splat(Sky& sky, float cx, float cy, float sigma, const Rgb& colour, float peak)
{
    const float reach = sigma * 3.5f;
    const int x0 = static_cast<int>(std::floor(cx - reach));
    const int x1 = static_cast<int>(std::ceil(cx + reach));
    const int y0 = static_cast<int>(std::floor(cy - reach));
    const int y1 = static_cast<int>(std::ceil(cy + reach));
    const float k = 1.0f / (2.0f * sigma * sigma);
    for (int y = y0; y <= y1; ++y) {
        if (y < 0 || y >= sky.height) {
            continue;
        }
        for (int x = x0; x <= x1; ++x) {
            if (x < 0 || x >= sky.width) {
                continue;
            }
            const float dx = static_cast<float>(x) + 0.5f - cx;
            const float dy = static_cast<float>(y) + 0.5f - cy;
            const float w = peak * std::exp(-(dx * dx + dy * dy) * k);
            Rgb& p = sky.light[at(sky, x, y)];
            p = p + colour * w;
        }
    }
}

// Thin horizontal and vertical rays through a bright star, as a lens
// draws them.
void spikes(Sky& sky, float cx, float cy, float length, const Rgb& colour, float peak)
{
    const int reach = static_cast<int>(length * 4.0f);
    for (int t = -reach; t <= reach; ++t) {
        for (int side = -1; side <= 1; ++side) {
            const float along = std::fabs(static_cast<float>(t));
            const float w = peak * std::exp(-along / length) * (side == 0 ? 1.0f : 0.25f);
            const int px = static_cast<int>(std::floor(cx)) + t;
            const int py = static_cast<int>(std::floor(cy)) + side;
            if (px >= 0 && px < sky.width && py >= 0 && py < sky.height) {
                Rgb& p = sky.light[at(sky, px, py)];
                p = p + colour * w;
            }
            const int qx = static_cast<int>(std::floor(cx)) + side;
            const int qy = static_cast<int>(std::floor(cy)) + t;
            if (qx >= 0 && qx < sky.width && qy >= 0 && qy < sky.height) {
                Rgb& p = sky.light[at(sky, qx, qy)];
                p = p + colour * w;
            }
        }
    }
}

void paintNebula(Sky& sky)
{
    const TileNoise noise(0x6e656275U);
    const int period = 64;
    for (int y = 0; y < sky.height; ++y) {
        for (int x = 0; x < sky.width; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(sky.width);
            const float v = static_cast<float>(y) / static_cast<float>(sky.height);
            // Twice-warped noise gives the wispy, folded look of gas clouds.
            const float px = u * 3.0f;
            const float py = v * 3.0f;
            const float qx = noise.fractal(px, py, period, period, 4, 0.5f);
            const float qy = noise.fractal(px + 5.2f, py + 1.3f, period, period, 4, 0.5f);
            const float rx = noise.fractal(px + 1.4f * qx + 1.7f, py + 1.4f * qy + 9.2f, period, period, 5, 0.5f);
            const float ry = noise.fractal(px + 1.4f * qx + 8.3f, py + 1.4f * qy + 2.8f, period, period, 5, 0.5f);
            const float gas = noise.fractal(px + 1.2f * rx, py + 1.2f * ry, period, period, 7, 0.55f);

            // The gas gathers along a broad band running corner to corner.
            const float across = (u - v) * 0.7071f + 0.08f * qx;
            const float band = std::exp(-across * across / (2.0f * 0.2f * 0.2f));
            const float density = band * smoothstep(-0.35f, 0.45f, gas) + 0.3f * smoothstep(0.1f, 0.7f, gas);

            // Dark dust lanes: thin creases of billowy noise inside the band.
            const float lanes = noise.turbulence(px * 1.5f + rx, py * 1.5f + ry, period, period, 5, 0.5f);
            const float dust = (1.0f - smoothstep(0.0f, 0.06f, lanes)) * band;

            const float hueA = noise.fractal(px * 0.6f + 3.3f, py * 0.6f + 7.1f, period, period, 3, 0.5f);
            const float hueB = noise.fractal(px * 0.9f + 6.6f, py * 0.9f + 0.4f, period, period, 3, 0.5f);
            const Rgb violet = {0.32f, 0.11f, 0.46f};
            const Rgb blue = {0.07f, 0.20f, 0.46f};
            const Rgb rose = {0.58f, 0.13f, 0.30f};
            Rgb colour = mix(violet, blue, smoothstep(-0.3f, 0.3f, hueA));
            colour = mix(colour, rose, smoothstep(0.05f, 0.45f, hueB) * 0.85f);
            const float haze = 0.06f * band * smoothstep(-0.6f, 0.4f, qy);
            const float glow = (0.5f * std::pow(density, 1.4f) + haze) * (1.0f - 0.85f * dust);
            const Rgb deep = {0.004f, 0.005f, 0.014f};
            sky.light[at(sky, x, y)] = deep + colour * glow;
            sky.nebula[at(sky, x, y)] = density;
            sky.dust[at(sky, x, y)] = dust;
        }
    }
}

void scatterStars(Sky& sky)
{
    Random random(0x5354415253ULL);
    const float area = static_cast<float>(sky.width) * static_cast<float>(sky.height) / (1024.0f * 1024.0f);
    const float scale = static_cast<float>(sky.width) / 1024.0f;

    // Faint and medium stars, more of them where the band of gas lies and
    // fewer behind its dust.
    const int faint = static_cast<int>(14000.0f * area);
    for (int k = 0; k < faint; ++k) {
        const float x = random.nextUnit() * static_cast<float>(sky.width);
        const float y = random.nextUnit() * static_cast<float>(sky.height);
        const float b = random.nextUnit();
        const float pick = random.nextUnit();
        const float keep = random.nextUnit();
        const std::size_t i = at(sky, static_cast<int>(x), static_cast<int>(y));
        const float chance = (0.35f + 0.65f * clamp01(sky.nebula[i])) * (1.0f - 0.8f * sky.dust[i]);
        if (keep > chance) {
            continue;
        }
        const float peak = 0.05f + 0.55f * b * b * b * b;
        splat(sky, x, y, 0.6f * scale, starColour(pick), peak);
    }
    const int medium = static_cast<int>(500.0f * area);
    for (int k = 0; k < medium; ++k) {
        const float x = random.nextUnit() * static_cast<float>(sky.width);
        const float y = random.nextUnit() * static_cast<float>(sky.height);
        const float b = random.nextUnit();
        const Rgb colour = starColour(random.nextUnit());
        splat(sky, x, y, 0.75f * scale, colour, 0.55f + 0.6f * b * b);
    }

    // A few bright stars with a soft halo; the brightest also get rays.
    const int bright = static_cast<int>(34.0f * area) + 1;
    for (int k = 0; k < bright; ++k) {
        const float x = random.nextUnit() * static_cast<float>(sky.width);
        const float y = random.nextUnit() * static_cast<float>(sky.height);
        const float b = random.nextUnit();
        const Rgb colour = starColour(random.nextUnit());
        const float peak = 1.2f + 2.0f * b;
        splat(sky, x, y, 0.95f * scale, colour, peak);
        splat(sky, x, y, (2.5f + 2.5f * b) * scale, colour, 0.10f * peak);
        splat(sky, x, y, (8.0f + 6.0f * b) * scale, colour, 0.025f * peak);
        if (b > 0.7f) {
            spikes(sky, x, y, (4.0f + 6.0f * b) * scale, colour, 0.18f * peak);
        }
    }
}

// Keeps faint light linear and rolls bright light off smoothly, so star
// cores burn out to white without a hard edge.
float toneMap(float v)
{
    const float knee = 0.75f;
    if (v <= knee) {
        return v;
    }
    return knee + (1.0f - knee) * (1.0f - std::exp(-(v - knee) / (1.0f - knee)));
}

}

void paintStarfield(std::vector<unsigned char>& rgba, int width, int height)
{
    Sky sky;
    sky.width = width;
    sky.height = height;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    sky.light.assign(count, Rgb());
    sky.nebula.assign(count, 0.0f);
    sky.dust.assign(count, 0.0f);

    paintNebula(sky);
    scatterStars(sky);

    rgba.assign(count * 4, 255);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Half a level of hashed dither hides banding in the faint gas.
            const std::uint32_t h = mixBits(static_cast<std::uint32_t>(y * width + x) ^ 0x44495448U);
            const float dither = (static_cast<float>(h & 0xffU) / 255.0f - 0.5f) / 255.0f;
            const Rgb& p = sky.light[at(sky, x, y)];
            const Rgb c = {toneMap(p.r) + dither, toneMap(p.g) + dither, toneMap(p.b) + dither};
            storePixel(rgba, width, x, y, c, 1.0f);
        }
    }
}
