#ifndef ZARVY_TOOLS_SHIPSHAPE_H
#define ZARVY_TOOLS_SHIPSHAPE_H

#include "ShipAtlas.h"

#include <vector>

// The fighter's shape before it becomes tables: distinct positions, and
// triangles whose corners say which position they use, which part of the
// texture they map into and which smoothing tag they carry. Model space,
// nose toward +z, top toward +y.
//
// Three closed surfaces, each wound counter-clockwise seen from outside:
// the hull (a chined fuselage with a raised canopy and one tail fin,
// blending into arrow wings whose tips are the rearmost points) and two
// engine pods under the rear, mirror images of each other, with their
// nozzles toward -z.
struct ShipPoint {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// What a corner's normal is averaged with: corners of one position share a
// normal when their tags fall into the same smoothing group.
enum SmoothingTag {
    HullUpperTag,
    HullLowerTag,
    HullFinSideTag,
    HullCanopyTag,
    PodConeTag,
    PodBodyTag,
    PodLipTag,
    PodRecessTag,
    PodCapTag
};

struct ShipCorner {
    int position = 0;
    ShipAtlas::Part part = ShipAtlas::HullTop;
    // Plate (around the pod) and row (along it) for the cowl parts.
    int plate = 0;
    int row = 0;
    SmoothingTag tag = HullUpperTag;
};

struct ShipTriangle {
    ShipCorner corner[3];
};

enum ShipSurface { HullSurface, PodRightSurface, PodLeftSurface };

struct ShipShape {
    std::vector<ShipPoint> positions;
    std::vector<ShipSurface> surfaceOf;
    // Positions where skins meet in a crease: each skin that meets there
    // (upper, lower, fin side, canopy glass) has its own normal.
    std::vector<bool> creased;
    std::vector<ShipTriangle> triangles;
};

// Builds the whole fighter. The same call always gives the same shape.
//
// How the table sizes the game is built for come out of it:
// - positions: the hull has two points on the middle plane (nose tip, tail
//   end) and, on each side, five sections of 13, 11, 10, 8 and 8 points and
//   the two-point wing tip: 106. A pod has its front point, five rings of 16
//   and the burner ring of 8: 89. Closed, they have 208 and 174 triangles.
// - normals: one per position and smoothing group, equal values shared.
//   Creases run along the hull's outline (not the rounded nose tip), the
//   fin's crest and root and the windshield's foot, and round each pod's
//   intake lip, nozzle rim and burner face. A round pod's normals are their
//   own mirror image, so the two pods share all but those of the leaning
//   intake fairing: 141 for the hull and 155 for the pods, 296.
// - texture coordinates: one per position and part; most come from the 16
//   cowl plates of each pod, whose seams split every ring point in two, and
//   from the outline, split between the top and bottom views: 574.
// zarvy-shipgen refuses to write tables of any other size.
ShipShape buildShipShape();

// The texture coordinate of a corner: its position projected into the
// rectangle of its part (a top view, a bottom view, a side view, a plate of
// a pod's cowl, or a pod's front or rear view).
void mapCorner(const ShipShape& shape, const ShipCorner& corner, double& u, double& v);

#endif
