#ifndef ZARVY_TOOLS_SHIPATLAS_H
#define ZARVY_TOOLS_SHIPATLAS_H

// Where each part of the fighter lies in its texture. The mesh generator maps
// positions into these rectangles; the skin painter finds a triangle's part
// from the rectangle its texture coordinates fall in and paints it for that
// part. u runs to the right and v down the image: v = 0 is the top row of
// "fighter.png", as the texture loader hands the rows to OpenGL.
namespace ShipAtlas {

struct Rect {
    double u0 = 0.0;
    double v0 = 0.0;
    double u1 = 0.0;
    double v1 = 0.0;

    // Inclusive, with room for coordinates rounded to 4 decimals and stored
    // as floats; the rectangles lie at least 0.01 apart.
    bool contains(double u, double v) const
    {
        const double slack = 1e-4;
        return u >= u0 - slack && u <= u1 + slack && v >= v0 - slack && v <= v1 + slack;
    }
    double width() const { return u1 - u0; }
    double height() const { return v1 - v0; }
};

enum Part {
    HullTop,
    HullBottom,
    FinRight,
    FinLeft,
    PodRightCowl,
    PodLeftCowl,
    PodRightFront,
    PodLeftFront,
    PodRightRear,
    PodLeftRear,
    PartCount
};

// The cowling of each pod is cut into this many plates around its axis and
// two rows along it (forward cowl and aft shroud); each plate is its own
// strip of the cowl rectangle, so panel lines can follow the plate edges.
const int podPlateCount = 16;
const int podPlateRows = 2;
// Gap left empty between neighbouring plate strips, as a share of a strip.
const double podPlateGap = 0.15;

// The hull's top view fills the left of the picture, nose up, at full
// height: it is what the player sees most. The underside, the fin sides and
// the pods share the right-hand column.
inline Rect rectOf(Part part)
{
    switch (part) {
    case HullTop: return {0.01, 0.01, 0.57, 0.99};
    case HullBottom: return {0.59, 0.01, 0.9421, 0.49};
    case FinRight: return {0.59, 0.51, 0.76, 0.61};
    case FinLeft: return {0.7721, 0.51, 0.9421, 0.61};
    case PodRightCowl: return {0.59, 0.63, 0.84, 0.80};
    case PodLeftCowl: return {0.59, 0.82, 0.84, 0.99};
    case PodRightFront: return {0.855, 0.63, 0.9421, 0.71};
    case PodLeftFront: return {0.855, 0.82, 0.9421, 0.90};
    case PodRightRear: return {0.855, 0.72, 0.9421, 0.80};
    case PodLeftRear: return {0.855, 0.91, 0.9421, 0.99};
    default: return {};
    }
}

// The part whose rectangle holds (u, v), or PartCount outside all of them.
inline Part partAt(double u, double v)
{
    for (int p = 0; p < PartCount; ++p) {
        if (rectOf(static_cast<Part>(p)).contains(u, v)) {
            return static_cast<Part>(p);
        }
    }
    return PartCount;
}

}

#endif
