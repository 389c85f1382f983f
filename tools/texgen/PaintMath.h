#ifndef ZARVY_TOOLS_PAINTMATH_H
#define ZARVY_TOOLS_PAINTMATH_H

#include <cstddef>
#include <vector>

// Small colour and shaping helpers shared by the texture painters. Colours
// are linear floats in [0, 1]; images are RGBA bytes, top row first.

struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// One stop of a colour ramp: the colour at position `at`.
struct RampStop {
    float at = 0.0f;
    Rgb colour;
};

inline Rgb operator+(const Rgb& a, const Rgb& b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(const Rgb& a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(const Rgb& a, const Rgb& b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

inline float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

inline float mix(float a, float b, float t) { return a + (b - a) * t; }

inline Rgb mix(const Rgb& a, const Rgb& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// 0 below `low`, 1 above `high`, a smooth S between; low must be below high.
inline float smoothstep(float low, float high, float v)
{
    const float t = clamp01((v - low) / (high - low));
    return t * t * (3.0f - 2.0f * t);
}

// Clamps to [0, 1] and rounds to the nearest byte value.
inline unsigned char toByte(float v)
{
    return static_cast<unsigned char>(clamp01(v) * 255.0f + 0.5f);
}

// Piecewise-linear colour ramp through `count` stops sorted by `at`;
// positions outside the stops take the end colours.
inline Rgb sampleRamp(const RampStop* stops, int count, float t)
{
    if (t <= stops[0].at) {
        return stops[0].colour;
    }
    for (int k = 1; k < count; ++k) {
        if (t <= stops[k].at) {
            const float span = stops[k].at - stops[k - 1].at;
            return mix(stops[k - 1].colour, stops[k].colour, (t - stops[k - 1].at) / span);
        }
    }
    return stops[count - 1].colour;
}

inline void storePixel(std::vector<unsigned char>& rgba, int width, int x, int y,
                       const Rgb& colour, float alpha)
{
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x)) * 4;
    rgba[i] = toByte(colour.r);
    rgba[i + 1] = toByte(colour.g);
    rgba[i + 2] = toByte(colour.b);
    rgba[i + 3] = toByte(alpha);
}

#endif
