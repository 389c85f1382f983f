#include "FighterSkin.h"

#include "PaintMath.h"
#include "scene/ShipData.h"
#include "tools/shipgen/ShipAtlas.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

// The skin is painted from the mesh itself: every triangle is filled in the
// texture where its coordinates put it, and each texel takes the colour of
// the point of the fighter it lands on. So panel lines, the canopy and the
// markings follow the mesh however its parts are laid out in the picture,
// and the hull's top view, nose up on the left, reads as the fighter.

namespace {

struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Colours of the scheme: a light grey-blue fighter with a dark anti-glare
// panel, orange tips and stripes, and burnt metal at the exhausts. The
// fighter's material reflects only half the light, so the skin is bright.
const Rgb hullGrey{0.88f, 0.91f, 0.95f};
const Rgb bellyGrey{0.90f, 0.91f, 0.92f};
const Rgb panelLine{0.50f, 0.53f, 0.58f};
const Rgb antiGlare{0.22f, 0.24f, 0.27f};
const Rgb glassDeep{0.05f, 0.09f, 0.16f};
const Rgb glassSky{0.35f, 0.50f, 0.68f};
const Rgb frameGrey{0.30f, 0.32f, 0.35f};
const Rgb accent{0.95f, 0.45f, 0.10f};
const Rgb markBlue{0.12f, 0.25f, 0.60f};
const Rgb white{0.97f, 0.97f, 0.97f};
const Rgb nacelleMetal{0.55f, 0.57f, 0.60f};
const Rgb cowlMetal{0.66f, 0.68f, 0.71f};
const Rgb burntMetal{0.42f, 0.38f, 0.40f};
const Rgb darkMetal{0.16f, 0.15f, 0.15f};
const Rgb background{0.45f, 0.47f, 0.50f};

// Deterministic value noise in [0, 1], for the faint unevenness of panels.
double hash(int64_t x, int64_t y)
{
    uint64_t h = static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^
                 static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<double>(h & 0xFFFFFF) / static_cast<double>(0xFFFFFF);
}

double valueNoise(double x, double y)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int64_t ix = static_cast<int64_t>(fx);
    const int64_t iy = static_cast<int64_t>(fy);
    const double tx = x - fx;
    const double ty = y - fy;
    const double sx = tx * tx * (3.0 - 2.0 * tx);
    const double sy = ty * ty * (3.0 - 2.0 * ty);
    const double a = hash(ix, iy) + (hash(ix + 1, iy) - hash(ix, iy)) * sx;
    const double b = hash(ix, iy + 1) + (hash(ix + 1, iy + 1) - hash(ix, iy + 1)) * sx;
    return a + (b - a) * sy;
}

// 1 on a line of the given half width around `at`, fading over `soft`.
float line(double value, double at, double halfWidth, double soft)
{
    const double d = std::fabs(value - at);
    return 1.0f - smoothstep(static_cast<float>(halfWidth), static_cast<float>(halfWidth + soft),
                             static_cast<float>(d));
}

// Distance to the nearest multiple of `spacing`.
double gridDistance(double value, double spacing)
{
    const double m = std::fmod(std::fabs(value), spacing);
    return std::min(m, spacing - m);
}

// Half-width of the canopy glass at depth z (0 outside it): a teardrop from
// the windshield's foot back to the canopy's rear.
double canopyHalfWidth(double z)
{
    const double front = 1.95;
    const double rear = 0.15;
    if (z > front || z < rear) {
        return 0.0;
    }
    const double t = (front - z) / (front - rear);
    return 0.36 * std::sqrt(std::sin(3.14159265 * std::pow(t, 0.8)));
}

// The wing's leading edge as a function of |x| (from the mesh's outline).
double leadingEdgeZ(double ax)
{
    if (ax < 1.55) {
        return 1.15 + (ax - 0.72) * (-0.55 - 1.15) / (1.55 - 0.72);
    }
    return -0.55 + (ax - 1.55) * (-2.9458 + 0.55) / (3.5344 - 1.55);
}

// A round insignia: blue ring, white ring, orange centre.
bool insignia(double x, double z, Rgb& colour)
{
    const double cx = 2.25;
    const double cz = -2.05;
    const double r = std::sqrt((std::fabs(x) - cx) * (std::fabs(x) - cx) + (z - cz) * (z - cz));
    if (r > 0.30) {
        return false;
    }
    colour = r > 0.22 ? markBlue : (r > 0.11 ? white : accent);
    return true;
}

Rgb hullTop(const Point& p)
{
    const double ax = std::fabs(p.x);
    Rgb c = hullGrey;

    // Faint mottling so the big panels are not flat.
    c = c * static_cast<float>(0.96 + 0.06 * valueNoise(p.x * 6.0, p.z * 6.0));

    // Darker metal over the engines, growing toward the trailing edge.
    const double overPod = 1.0 - std::min(1.0, std::fabs(ax - 0.83) / 0.45);
    if (overPod > 0.0 && p.z < -1.0) {
        c = mix(c, nacelleMetal, static_cast<float>(overPod * std::min(1.0, (-1.0 - p.z) / 1.2)));
    }

    // Panel lines: spanwise frames every 0.7 units and chordwise stringers.
    float lines = line(gridDistance(p.z + 0.2, 0.7), 0.0, 0.008, 0.01);
    if (ax > 0.45) {
        lines = std::max(lines, line(gridDistance(ax - 0.45, 0.55), 0.0, 0.008, 0.012));
    }
    lines = std::max(lines, line(ax, 0.40, 0.006, 0.01));
    c = mix(c, panelLine, 0.55f * lines);

    // Orange wing tips and a stripe behind the leading edge.
    if (ax > 3.05) {
        c = mix(c, accent, smoothstep(3.05f, 3.10f, static_cast<float>(ax)));
    } else if (ax > 1.7) {
        const double behind = leadingEdgeZ(ax) - p.z;
        c = mix(c, accent, line(behind, 0.32, 0.05, 0.015));
    }
    Rgb mark;
    if (insignia(p.x, p.z, mark)) {
        c = mark;
    }

    // Anti-glare panel ahead of the windshield, and the nose cone tip.
    if (p.z > 1.9 && ax < 0.32 - 0.1 * (p.z - 1.9)) {
        c = antiGlare;
    }
    if (p.z > 2.75) {
        c = mix(c, antiGlare, 0.8f);
    }

    // Canopy: deep glass with a sky reflection along its crown, in a frame.
    const double w = canopyHalfWidth(p.z);
    if (w > 0.0 && ax < w) {
        const double across = ax / w;
        Rgb glass = mix(glassSky, glassDeep, static_cast<float>(std::min(1.0, across * 1.4)));
        glass = mix(glass, white, 0.35f * line(across, 0.25, 0.06, 0.08) *
                                      static_cast<float>(std::min(1.0, (p.z - 0.4) / 0.6)));
        float frame = line(across, 1.0, 0.04, 0.04);
        frame = std::max(frame, line(p.z, 1.45, 0.02, 0.015));
        c = mix(glass, frameGrey, frame);
    }

    // Spine walkway lines behind the canopy.
    if (p.z < 0.15 && p.z > -1.4) {
        c = mix(c, panelLine, 0.6f * line(ax, 0.2, 0.006, 0.008));
    }
    return c;
}

Rgb hullBottom(const Point& p)
{
    const double ax = std::fabs(p.x);
    Rgb c = bellyGrey * static_cast<float>(0.97 + 0.05 * valueNoise(p.x * 5.0, p.z * 5.0));
    float lines = line(gridDistance(p.z, 0.8), 0.0, 0.01, 0.01);
    lines = std::max(lines, line(gridDistance(ax, 0.7), 0.0, 0.01, 0.01));
    c = mix(c, panelLine, 0.4f * lines);
    if (ax > 3.05) {
        c = mix(c, accent, 0.9f);
    }
    // Engine bays darker where the pods join the wing.
    const double overPod = 1.0 - std::min(1.0, std::fabs(ax - 0.83) / 0.5);
    if (overPod > 0.0 && p.z < -1.4) {
        c = mix(c, burntMetal, static_cast<float>(0.6 * overPod));
    }
    return c;
}

// The fin's sides: grey with an orange tip and a blue flash.
Rgb finSide(const Point& p)
{
    Rgb c = hullGrey * static_cast<float>(0.96 + 0.05 * valueNoise(p.z * 8.0, p.y * 8.0));
    if (p.y > 0.82) {
        c = accent;
    } else if (p.y > 0.55 && p.y < 0.72) {
        c = markBlue;
    }
    c = mix(c, panelLine, 0.5f * line(p.y, 0.35, 0.008, 0.01));
    return c;
}

// A pod's cowl plate at (plateU, plateV) inside its strip, both 0 to 1.
Rgb cowlPlate(const Point& p, int row, double plateU, double plateV)
{
    const double n = valueNoise(p.z * 9.0, plateU * 3.0 + row * 11.0);
    Rgb c = row == 0 ? cowlMetal * static_cast<float>(0.95 + 0.08 * n) : burntMetal;
    if (row == 1) {
        // Heat tint toward the nozzle.
        const double t = std::min(1.0, std::max(0.0, (-2.52 - p.z) / 0.26));
        c = mix(c, Rgb{0.36f, 0.33f, 0.45f}, static_cast<float>(0.6 * t));
    }
    float edge = std::max(line(plateU, 0.0, 0.02, 0.12), line(plateU, 1.0, 0.02, 0.12));
    edge = std::max(edge, std::max(line(plateV, 0.0, 0.01, 0.05), line(plateV, 1.0, 0.01, 0.05)));
    return mix(c, darkMetal, 0.45f * edge);
}

// Seen from the front: a dark intake round a grey spinner.
Rgb intake(double r)
{
    if (r < 0.12) {
        return cowlMetal * 0.8f;
    }
    if (r > 0.27) {
        return cowlMetal;
    }
    return darkMetal;
}

// Seen from behind: the bright lip, the sooty recess, the burner face.
Rgb nozzle(double r, double z)
{
    if (z > -2.605) {
        const float rings = line(gridDistance(r, 0.06), 0.0, 0.006, 0.01);
        return mix(Rgb{0.20f, 0.13f, 0.10f}, darkMetal, rings);
    }
    if (r > 0.34) {
        return mix(cowlMetal, darkMetal, line(r, 0.375, 0.004, 0.01) * 0.6f);
    }
    return mix(Rgb{0.30f, 0.22f, 0.18f}, darkMetal, static_cast<float>((0.33 - r) / 0.11));
}

Rgb colourAt(ShipAtlas::Part part, const Point& p, double u, double v)
{
    const double podX = p.x > 0.0 ? p.x - 0.82805 : p.x + 0.82805;
    const double podY = p.y + 0.30155;
    const double podR = std::sqrt(podX * podX + podY * podY);
    switch (part) {
    case ShipAtlas::HullTop: return hullTop(p);
    case ShipAtlas::HullBottom: return hullBottom(p);
    case ShipAtlas::FinRight:
    case ShipAtlas::FinLeft: return finSide(p);
    case ShipAtlas::PodRightCowl:
    case ShipAtlas::PodLeftCowl: {
        const ShipAtlas::Rect r = ShipAtlas::rectOf(part);
        const double strip = (u - r.u0) / (r.width() / ShipAtlas::podPlateCount);
        const double within = strip - std::floor(strip);
        const double half = 0.5 * ShipAtlas::podPlateGap;
        const double plateU = (within - half) / (1.0 - ShipAtlas::podPlateGap);
        const double rowV = (v - r.v0) / r.height();
        const int row = rowV < 0.69 ? 0 : 1;
        const double plateV = row == 0 ? rowV / 0.66 : (rowV - 0.72) / 0.28;
        return cowlPlate(p, row, plateU, plateV);
    }
    case ShipAtlas::PodRightFront:
    case ShipAtlas::PodLeftFront: {
        // The front view is centred on the intake fairing.
        const ShipAtlas::Rect r = ShipAtlas::rectOf(part);
        const double du = (u - 0.5 * (r.u0 + r.u1)) / (0.5 * r.width());
        const double dv = (v - 0.5 * (r.v0 + r.v1)) / (0.5 * r.height());
        return intake(0.45405 * std::sqrt(du * du + dv * dv));
    }
    case ShipAtlas::PodRightRear:
    case ShipAtlas::PodLeftRear: return nozzle(podR, p.z);
    default: return background;
    }
}

}

void paintFighterSkin(std::vector<unsigned char>& rgba, int width, int height)
{
    const size_t texels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<Rgb> colour(texels, background);
    std::vector<unsigned char> covered(texels, 0);

    for (int t = 0; t < shipTriangleCount; ++t) {
        double tx[3], ty[3];
        Point p[3];
        for (int k = 0; k < 3; ++k) {
            const int* corner = shipTriangles[t][k];
            tx[k] = shipTexCoords[corner[1]][0] * width;
            ty[k] = shipTexCoords[corner[1]][1] * height;
            p[k] = {shipPositions[corner[0]][0], shipPositions[corner[0]][1], shipPositions[corner[0]][2]};
        }
        const double area = (tx[1] - tx[0]) * (ty[2] - ty[0]) - (tx[2] - tx[0]) * (ty[1] - ty[0]);
        if (std::fabs(area) < 1e-12) {
            continue;
        }
        const ShipAtlas::Part part =
            ShipAtlas::partAt((tx[0] + tx[1] + tx[2]) / (3.0 * width), (ty[0] + ty[1] + ty[2]) / (3.0 * height));
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({tx[0], tx[1], tx[2]}))));
        const int x1 = std::min(width - 1, static_cast<int>(std::ceil(std::max({tx[0], tx[1], tx[2]}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({ty[0], ty[1], ty[2]}))));
        const int y1 = std::min(height - 1, static_cast<int>(std::ceil(std::max({ty[0], ty[1], ty[2]}))));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const double cx = x + 0.5;
                const double cy = y + 0.5;
                const double w0 = ((tx[1] - cx) * (ty[2] - cy) - (tx[2] - cx) * (ty[1] - cy)) / area;
                const double w1 = ((tx[2] - cx) * (ty[0] - cy) - (tx[0] - cx) * (ty[2] - cy)) / area;
                const double w2 = 1.0 - w0 - w1;
                if (w0 < -1e-9 || w1 < -1e-9 || w2 < -1e-9) {
                    continue;
                }
                // Average 3 x 3 samples across the texel, mapped through the
                // triangle (past its edges too, where the pattern carries on),
                // so the markings' edges come out smooth.
                Rgb sum;
                for (int sy = -1; sy <= 1; ++sy) {
                    for (int sx = -1; sx <= 1; ++sx) {
                        const double px = cx + sx / 3.0;
                        const double py = cy + sy / 3.0;
                        const double b0 = ((tx[1] - px) * (ty[2] - py) - (tx[2] - px) * (ty[1] - py)) / area;
                        const double b1 = ((tx[2] - px) * (ty[0] - py) - (tx[0] - px) * (ty[2] - py)) / area;
                        const double b2 = 1.0 - b0 - b1;
                        const Point q{b0 * p[0].x + b1 * p[1].x + b2 * p[2].x,
                                      b0 * p[0].y + b1 * p[1].y + b2 * p[2].y,
                                      b0 * p[0].z + b1 * p[1].z + b2 * p[2].z};
                        sum = sum + colourAt(part, q, px / width, py / height);
                    }
                }
                const size_t i = static_cast<size_t>(y) * width + x;
                colour[i] = sum * (1.0f / 9.0f);
                covered[i] = 1;
            }
        }
    }

    // Grow every painted area by a few texels, so filtering at the edge of a
    // part blends with its own colours rather than with the background.
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<unsigned char> next = covered;
        std::vector<Rgb> grown = colour;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const size_t i = static_cast<size_t>(y) * width + x;
                if (covered[i]) {
                    continue;
                }
                Rgb sum;
                int count = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx;
                        const int ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height) {
                            continue;
                        }
                        const size_t j = static_cast<size_t>(ny) * width + nx;
                        if (covered[j]) {
                            sum = sum + colour[j];
                            ++count;
                        }
                    }
                }
                if (count > 0) {
                    grown[i] = sum * (1.0f / count);
                    next[i] = 1;
                }
            }
        }
        covered.swap(next);
        colour.swap(grown);
    }

    // Fully opaque everywhere: the texture's alpha would otherwise fade the
    // fighter, since the game blends everything it draws.
    rgba.assign(texels * 4, 255);
    for (size_t i = 0; i < texels; ++i) {
        rgba[4 * i] = toByte(colour[i].r);
        rgba[4 * i + 1] = toByte(colour[i].g);
        rgba[4 * i + 2] = toByte(colour[i].b);
    }
}
