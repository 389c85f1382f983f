#include "ShipShape.h"

#include <cmath>
#include <functional>

namespace {

const double pi = 3.14159265358979323846;

// ---------------------------------------------------------------------------
// The shape's fixed points. The player's collision box, the flame billboards
// and the nozzle glow are placed for them, so they do not move.

const ShipPoint noseTip{0.0, -0.3507, 3.0347};
// The wing tip is an edge parallel to z at the full half-span.
const ShipPoint tipLeadingEdge{3.5344, -0.4892, -2.9458};
const ShipPoint tipTrailingEdge{3.5344, -0.5391, -3.6785};
// The top of the tail fin, the highest point of the fighter. The fin is
// thinnest at its crest: its two sides meet this close to the middle.
const ShipPoint finApex{0.03, 0.9998, -2.5944};
// The end of the tail cone between the pods, under the fin's trailing edge.
const ShipPoint tailEnd{0.0, 0.02, -3.02};

// Engine pods: round, with the full radius between the intake fairing and the
// boat-tail, so their extents are the centre plus or minus the radius.
const double podCentreX = 0.82805;
const double podCentreY = -0.30155;
const double podRadius = 0.45405;
const double podFrontZ = -1.5563;
const double podRearZ = -2.7828;
// The intake fairing leans in toward the fuselage and up under the wing, so
// the pod's front tucks under the wing root; its front point leans most.
const double fairingLeanIn = 0.05;
const double fairingLeanUp = 0.03;
const double frontLeanIn = 0.09;
const double frontLeanUp = 0.05;

// Rings of a pod from the intake fairing to the burner face: depth, radius
// and number of points. The rim's two rings share the rear depth, so the lip
// between them is a flat ring facing straight back.
struct PodRing {
    double z;
    double radius;
    int count;
};
const PodRing podRings[] = {
    {-1.68, 0.30, 16},        // intake fairing
    {-1.90, podRadius, 16},   // front of the full-radius barrel
    {-2.52, podRadius, 16},   // end of the forward cowl
    {podRearZ, 0.42, 16},     // outer rim of the nozzle
    {podRearZ, 0.33, 16},     // inner rim
    {-2.60, 0.22, 8},         // burner face, set back into the nozzle
};
const int podRingCount = 6;
// The forward cowl runs to this ring; the aft shroud from it to the rim.
const int cowlSplitRing = 2;

// ---------------------------------------------------------------------------
// The hull's right half as five sections from the middle outward, each a
// curve on the surface from the leading edge over the top to the trailing
// edge and back under the bottom. The sections are not planar: near the
// fin they bend toward the middle, so the fin's sides stay thin.

struct Section {
    ShipPoint leadingEdge;
    std::vector<ShipPoint> top;
    ShipPoint trailingEdge;
    std::vector<ShipPoint> bottom;
};

// Depth where the fin leaves the spine; hull triangles behind it between the
// two innermost sections are the fin's sides.
const double finRootZ = -1.45;
// The canopy glass runs from the windshield's foot back to its rear end.
const double windshieldZ = 1.95;
const double canopyRearZ = 0.15;

std::vector<Section> hullSections()
{
    return {
        // Along the middle: chined nose, windshield, canopy, spine, fin.
        {{0.12, -0.33, 2.90},
         {{0.13, -0.17, 2.55},
          {0.14, 0.03, windshieldZ},
          {0.13, 0.40, 1.45},
          {0.12, 0.53, 0.85},
          {0.11, 0.42, canopyRearZ},
          {0.08, 0.27, -0.75},
          {0.05, 0.25, finRootZ},
          finApex},
         {0.03, 0.05, -3.00},
         {{0.14, -0.47, 2.35}, {0.16, -0.52, 0.80}, {0.12, -0.42, -1.30}}},
        // Canopy sill; behind the canopy it turns in to the fin's root.
        {{0.38, -0.33, 2.35},
         {{0.37, -0.13, 2.05},
          {0.37, 0.06, 1.45},
          {0.38, 0.15, 0.75},
          {0.34, 0.18, -0.15},
          {0.12, 0.22, finRootZ},
          {0.11, 0.18, -2.40}},
         {0.28, 0.02, -2.55},
         {{0.40, -0.46, 1.95}, {0.42, -0.50, 0.70}, {0.38, -0.38, -1.30}}},
        // Fuselage side and the hump over the pod; the trailing edge is cut
        // back here so the nozzle stands free behind it.
        {{0.72, -0.31, 1.15},
         {{0.71, -0.17, 0.85},
          {0.70, 0.04, 0.05},
          {0.76, 0.17, -0.90},
          {0.81, 0.26, -1.75},
          {0.83, 0.24, -2.20}},
         {0.83, 0.19, -2.45},
         {{0.72, -0.37, 0.65}, {0.77, -0.27, -0.60}, {0.82, -0.06, -1.90}}},
        // Wing root outboard of the pod.
        {{1.55, -0.33, -0.55},
         {{1.53, -0.20, -0.85}, {1.49, -0.10, -1.55}, {1.45, -0.13, -2.20}},
         {1.42, -0.20, -2.60},
         {{1.53, -0.40, -0.90}, {1.49, -0.34, -1.60}, {1.45, -0.28, -2.25}}},
        // Outer wing, drooping toward the tip.
        {{2.55, -0.42, -1.75},
         {{2.55, -0.36, -2.00}, {2.55, -0.32, -2.50}, {2.55, -0.37, -3.00}},
         {2.55, -0.45, -3.25},
         {{2.55, -0.47, -2.05}, {2.55, -0.46, -2.55}, {2.55, -0.48, -3.00}}},
    };
}

// ---------------------------------------------------------------------------
// Building blocks.

class Builder {
public:
    explicit Builder(ShipShape& shape) : shape(shape) {}

    int add(ShipPoint p, ShipSurface surface, bool creased = false)
    {
        shape.positions.push_back(p);
        shape.surfaceOf.push_back(surface);
        shape.creased.push_back(creased);
        return static_cast<int>(shape.positions.size()) - 1;
    }

    void triangle(int a, int b, int c, ShipAtlas::Part part, SmoothingTag tag, int plate = 0,
                  int row = 0)
    {
        ShipTriangle t;
        const int ids[3] = {a, b, c};
        for (int k = 0; k < 3; ++k) {
            t.corner[k].position = ids[k];
            t.corner[k].part = part;
            t.corner[k].plate = plate;
            t.corner[k].row = row;
            t.corner[k].tag = tag;
        }
        shape.triangles.push_back(t);
    }

    double distance(int a, int b) const
    {
        const ShipPoint& p = shape.positions[a];
        const ShipPoint& q = shape.positions[b];
        return std::sqrt((p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) +
                         (p.z - q.z) * (p.z - q.z));
    }

    // Triangulates the band between two polylines that run the same way,
    // starting with the edge a[0]-b[0] and ending with the last two points,
    // taking the shorter diagonal where there is a choice. Seen from the side
    // the triangles face, a lies to the left of b as both run upward; `flip`
    // turns them to face the other way.
    //
    // No triangle joins both ends of one polyline to an end of the other:
    // against the two-point wing tip, the upper and lower skins would both
    // choose it and meet in a flat double face instead of a tip edge.
    void strip(const std::vector<int>& a, const std::vector<int>& b, bool flip,
               const std::function<void(int, int, int)>& emit) const
    {
        size_t i = 0;
        size_t j = 0;
        while (i + 1 < a.size() || j + 1 < b.size()) {
            bool advanceA;
            if (i + 1 >= a.size()) {
                advanceA = false;
            } else if (j + 1 >= b.size()) {
                advanceA = true;
            } else if (b.size() == 2 && a.size() > 2 && (i == 0 || i + 2 == a.size())) {
                advanceA = i == 0;
            } else if (a.size() == 2 && b.size() > 2 && (j == 0 || j + 2 == b.size())) {
                advanceA = j != 0;
            } else {
                advanceA = distance(a[i + 1], b[j]) <= distance(a[i], b[j + 1]);
            }
            const int third = advanceA ? a[i + 1] : b[j + 1];
            if (flip) {
                emit(a[i], third, b[j]);
            } else {
                emit(a[i], b[j], third);
            }
            if (advanceA) {
                ++i;
            } else {
                ++j;
            }
        }
    }

    ShipShape& shape;
};

ShipPoint mirrored(ShipPoint p)
{
    return {-p.x, p.y, p.z};
}

ShipAtlas::Part mirroredPart(ShipAtlas::Part part)
{
    switch (part) {
    case ShipAtlas::FinRight: return ShipAtlas::FinLeft;
    case ShipAtlas::PodRightCowl: return ShipAtlas::PodLeftCowl;
    case ShipAtlas::PodRightFront: return ShipAtlas::PodLeftFront;
    case ShipAtlas::PodRightRear: return ShipAtlas::PodLeftRear;
    default: return part;
    }
}

// Adds the mirror image of triangles [first, last) with the given position
// map; the winding is reversed so the mirror still faces outward.
void mirrorTriangles(ShipShape& shape, size_t first, size_t last, const std::vector<int>& mirrorOf)
{
    for (size_t t = first; t < last; ++t) {
        ShipTriangle m = shape.triangles[t];
        std::swap(m.corner[1], m.corner[2]);
        for (ShipCorner& c : m.corner) {
            c.position = mirrorOf[c.position];
            c.part = mirroredPart(c.part);
        }
        shape.triangles.push_back(m);
    }
}

// ---------------------------------------------------------------------------
// The hull.

struct SectionIds {
    int leadingEdge = 0;
    std::vector<int> top;
    int trailingEdge = 0;
    std::vector<int> bottom;

    std::vector<int> upper() const
    {
        std::vector<int> run{leadingEdge};
        run.insert(run.end(), top.begin(), top.end());
        run.push_back(trailingEdge);
        return run;
    }
    std::vector<int> lower() const
    {
        std::vector<int> run{leadingEdge};
        run.insert(run.end(), bottom.begin(), bottom.end());
        run.push_back(trailingEdge);
        return run;
    }
};

// The fin's crest and root and the windshield's lower frame are creases.
bool isCrease(const ShipPoint& p)
{
    const bool finCrest = p.x < 0.1 && p.z <= finRootZ + 1e-9;
    const bool finRoot = p.x < 0.2 && p.z < finRootZ - 0.5;
    const bool windshieldFrame = p.x < 0.2 && std::fabs(p.z - windshieldZ) < 1e-9;
    return finCrest || finRoot || windshieldFrame;
}

// A triangle of the band next to the middle one belongs to the fin's side
// when it lies behind the fin's root and stands steeper than 45 degrees.
bool isFinSide(const ShipShape& shape, int p, int q, int r)
{
    const ShipPoint& a = shape.positions[p];
    const ShipPoint& b = shape.positions[q];
    const ShipPoint& c = shape.positions[r];
    if (a.z > finRootZ + 1e-9 || b.z > finRootZ + 1e-9 || c.z > finRootZ + 1e-9) {
        return false;
    }
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double nx = uy * vz - uz * vy;
    const double ny = uz * vx - ux * vz;
    return std::fabs(nx) > std::fabs(ny);
}

// Upper-skin triangles between the windshield's foot and the canopy's rear
// are the canopy glass.
SmoothingTag upperTag(const ShipShape& shape, int p, int q, int r)
{
    for (int id : {p, q, r}) {
        const ShipPoint& a = shape.positions[id];
        if (a.z > windshieldZ + 1e-9 || a.z < canopyRearZ - 1e-9 || std::fabs(a.x) > 0.5) {
            return HullUpperTag;
        }
    }
    return HullCanopyTag;
}

void buildHull(Builder& b)
{
    ShipShape& shape = b.shape;
    const int firstPosition = static_cast<int>(shape.positions.size());
    // The outline is a crease between the skins everywhere but at the nose
    // tip, which is rounded.
    const int nose = b.add(noseTip, HullSurface, false);
    const int tail = b.add(tailEnd, HullSurface, true);

    std::vector<SectionIds> right;
    for (const Section& s : hullSections()) {
        SectionIds ids;
        ids.leadingEdge = b.add(s.leadingEdge, HullSurface, true);
        for (const ShipPoint& p : s.top) {
            ids.top.push_back(b.add(p, HullSurface, isCrease(p)));
        }
        ids.trailingEdge = b.add(s.trailingEdge, HullSurface, true);
        for (const ShipPoint& p : s.bottom) {
            ids.bottom.push_back(b.add(p, HullSurface));
        }
        right.push_back(ids);
    }
    SectionIds tip;
    tip.leadingEdge = b.add(tipLeadingEdge, HullSurface, true);
    tip.trailingEdge = b.add(tipTrailingEdge, HullSurface, true);
    right.push_back(tip);

    // Mirror every point off the middle plane; the nose tip and the tail end
    // lie on it and are their own mirror images.
    const int rightEnd = static_cast<int>(shape.positions.size());
    std::vector<int> mirrorOf(rightEnd, -1);
    mirrorOf[nose] = nose;
    mirrorOf[tail] = tail;
    for (int p = firstPosition; p < rightEnd; ++p) {
        if (mirrorOf[p] < 0) {
            mirrorOf[p] = b.add(mirrored(shape.positions[p]), HullSurface, shape.creased[p]);
        }
    }
    auto mirrorIds = [&mirrorOf](const std::vector<int>& ids) {
        std::vector<int> out;
        for (int id : ids) {
            out.push_back(mirrorOf[id]);
        }
        return out;
    };

    // Right half: bands between neighbouring sections, upper and lower skin.
    const size_t firstTriangle = shape.triangles.size();
    for (size_t s = 0; s + 1 < right.size(); ++s) {
        b.strip(right[s].upper(), right[s + 1].upper(), false, [&](int p, int q, int r) {
            if (s == 0 && isFinSide(shape, p, q, r)) {
                b.triangle(p, q, r, ShipAtlas::FinRight, HullFinSideTag);
            } else {
                b.triangle(p, q, r, ShipAtlas::HullTop, upperTag(shape, p, q, r));
            }
        });
        b.strip(right[s].lower(), right[s + 1].lower(), true, [&](int p, int q, int r) {
            b.triangle(p, q, r, ShipAtlas::HullBottom, HullLowerTag);
        });
    }
    mirrorTriangles(shape, firstTriangle, shape.triangles.size(), mirrorOf);

    // The middle band joins the two innermost sections across x = 0; the
    // nose tip closes it at the front and the tail end at the back.
    const SectionIds& inner = right[0];
    const std::vector<int> leftTop = mirrorIds(inner.top);
    const std::vector<int> leftBottom = mirrorIds(inner.bottom);
    const int leftLead = mirrorOf[inner.leadingEdge];
    const int leftTrail = mirrorOf[inner.trailingEdge];
    auto top = [&](int p, int q, int r) {
        b.triangle(p, q, r, ShipAtlas::HullTop, upperTag(shape, p, q, r));
    };
    auto bottom = [&](int p, int q, int r) {
        b.triangle(p, q, r, ShipAtlas::HullBottom, HullLowerTag);
    };

    top(nose, inner.leadingEdge, inner.top.front());
    top(nose, inner.top.front(), leftTop.front());
    top(nose, leftTop.front(), leftLead);
    b.strip(leftTop, inner.top, false, top);
    top(tail, leftTrail, leftTop.back());
    top(tail, leftTop.back(), inner.top.back());
    top(tail, inner.top.back(), inner.trailingEdge);

    bottom(nose, inner.bottom.front(), inner.leadingEdge);
    bottom(nose, leftBottom.front(), inner.bottom.front());
    bottom(nose, leftLead, leftBottom.front());
    b.strip(leftBottom, inner.bottom, true, bottom);
    bottom(tail, leftBottom.back(), leftTrail);
    bottom(tail, inner.bottom.back(), leftBottom.back());
    bottom(tail, inner.trailingEdge, inner.bottom.back());
}

// ---------------------------------------------------------------------------
// The pods.

ShipPoint ringPoint(const PodRing& ring, int k, bool fairing)
{
    const double a = 2.0 * pi * k / ring.count;
    const double dx = fairing ? -fairingLeanIn : 0.0;
    const double dy = fairing ? fairingLeanUp : 0.0;
    return {podCentreX + dx + ring.radius * std::cos(a), podCentreY + dy + ring.radius * std::sin(a),
            ring.z};
}

int plateOf(int facet, int facetCount)
{
    return facet * ShipAtlas::podPlateCount / facetCount;
}

void buildPods(Builder& b)
{
    ShipShape& shape = b.shape;
    const int firstPosition = static_cast<int>(shape.positions.size());
    const int front = b.add({podCentreX - frontLeanIn, podCentreY + frontLeanUp, podFrontZ},
                            PodRightSurface);
    std::vector<std::vector<int>> rings;
    for (int r = 0; r < podRingCount; ++r) {
        std::vector<int> ids;
        for (int k = 0; k < podRings[r].count; ++k) {
            ids.push_back(b.add(ringPoint(podRings[r], k, r == 0), PodRightSurface));
        }
        rings.push_back(ids);
    }

    const size_t firstTriangle = shape.triangles.size();
    // Intake fairing: a fan from the front point, seen in the front view.
    const std::vector<int>& fairing = rings[0];
    for (size_t k = 0; k < fairing.size(); ++k) {
        b.triangle(front, fairing[k], fairing[(k + 1) % fairing.size()], ShipAtlas::PodRightFront,
                   PodConeTag);
    }
    // Cowl: quads between equal rings, each facet on its own plate.
    for (int r = 0; r < 3; ++r) {
        const std::vector<int>& a = rings[r];
        const std::vector<int>& c = rings[r + 1];
        const int n = static_cast<int>(a.size());
        const int row = r < cowlSplitRing ? 0 : 1;
        for (int k = 0; k < n; ++k) {
            const int k1 = (k + 1) % n;
            const int plate = plateOf(k, n);
            b.triangle(a[k], c[k], a[k1], ShipAtlas::PodRightCowl, PodBodyTag, plate, row);
            b.triangle(a[k1], c[k], c[k1], ShipAtlas::PodRightCowl, PodBodyTag, plate, row);
        }
    }
    // Nozzle: the flat lip, the recess and the burner face, seen from behind.
    auto closed = [](std::vector<int> ids) {
        ids.push_back(ids.front());
        return ids;
    };
    b.strip(closed(rings[3]), closed(rings[4]), false, [&](int p, int q, int r) {
        b.triangle(p, q, r, ShipAtlas::PodRightRear, PodLipTag);
    });
    b.strip(closed(rings[4]), closed(rings[5]), false, [&](int p, int q, int r) {
        b.triangle(p, q, r, ShipAtlas::PodRightRear, PodRecessTag);
    });
    const std::vector<int>& face = rings[5];
    for (size_t k = face.size() - 2; k >= 1; --k) {
        b.triangle(face[0], face[k + 1], face[k], ShipAtlas::PodRightRear, PodCapTag);
    }

    // The left pod is the right one's mirror image.
    const int rightEnd = static_cast<int>(shape.positions.size());
    std::vector<int> mirrorOf(rightEnd, -1);
    for (int p = firstPosition; p < rightEnd; ++p) {
        mirrorOf[p] = b.add(mirrored(shape.positions[p]), PodLeftSurface);
    }
    mirrorTriangles(shape, firstTriangle, shape.triangles.size(), mirrorOf);
}

// ---------------------------------------------------------------------------
// Texture mapping.

const double hullSpan = tipLeadingEdge.x;
const double hullFrontZ = noseTip.z;
const double hullBackZ = tipTrailingEdge.z;
const double finFrontZ = -1.40;
const double finBackZ = -3.05;
const double finLowY = -0.05;
const double finHighY = 1.02;

// The angle of a pod point about its own ring's centre (the fairing ring's
// centre leans in and up).
double angleAroundPod(const ShipPoint& p)
{
    const bool fairing = std::fabs(p.z - podRings[0].z) < 1e-9;
    const double cx = podCentreX - (fairing ? fairingLeanIn : 0.0);
    const double cy = podCentreY + (fairing ? fairingLeanUp : 0.0);
    return std::atan2(p.y - cy, p.x - cx);
}

void mapCowl(const ShipAtlas::Rect& rect, const ShipCorner& corner, ShipPoint p, double& u,
             double& v)
{
    const double plateAngle = 2.0 * pi / ShipAtlas::podPlateCount;
    // Measured from the plate's middle and wrapped into one turn around it,
    // so the plate that closes the ring reaches its end at a full turn.
    const double middle = (corner.plate + 0.5) * plateAngle;
    const double turn = 2.0 * pi;
    const double fromMiddle = std::remainder(angleAroundPod(p) - middle, turn);
    const double along = fromMiddle + 0.5 * plateAngle;
    const double strip = rect.width() / ShipAtlas::podPlateCount;
    u = rect.u0 + strip * (corner.plate + 0.5 * ShipAtlas::podPlateGap) +
        strip * (1.0 - ShipAtlas::podPlateGap) * along / plateAngle;

    // The forward cowl takes the upper rows of the rectangle, the shorter aft
    // shroud the lower ones, with a gap between them.
    const double forwardShare = 0.66;
    const double gapShare = 0.06;
    const double frontZ = podRings[0].z;
    const double splitZ = podRings[cowlSplitRing].z;
    const double rimZ = podRings[3].z;
    if (corner.row == 0) {
        v = rect.v0 + rect.height() * forwardShare * (frontZ - p.z) / (frontZ - splitZ);
    } else {
        v = rect.v0 + rect.height() * (forwardShare + gapShare) +
            rect.height() * (1.0 - forwardShare - gapShare) * (splitZ - p.z) / (splitZ - rimZ);
    }
}

}

ShipShape buildShipShape()
{
    ShipShape shape;
    Builder builder(shape);
    buildHull(builder);
    buildPods(builder);
    return shape;
}

void mapCorner(const ShipShape& shape, const ShipCorner& corner, double& u, double& v)
{
    ShipPoint p = shape.positions[corner.position];
    const ShipAtlas::Rect rect = ShipAtlas::rectOf(corner.part);
    switch (corner.part) {
    case ShipAtlas::HullTop:
        u = rect.u0 + rect.width() * (p.x + hullSpan) / (2.0 * hullSpan);
        v = rect.v0 + rect.height() * (hullFrontZ - p.z) / (hullFrontZ - hullBackZ);
        return;
    case ShipAtlas::HullBottom:
        // Seen from below, so left and right swap.
        u = rect.u0 + rect.width() * (hullSpan - p.x) / (2.0 * hullSpan);
        v = rect.v0 + rect.height() * (hullFrontZ - p.z) / (hullFrontZ - hullBackZ);
        return;
    case ShipAtlas::FinRight:
    case ShipAtlas::FinLeft: {
        // Side views, nose to the left on the right side and to the right on
        // the left side, as each side is seen from outside.
        const double along = (finFrontZ - p.z) / (finFrontZ - finBackZ);
        u = rect.u0 + rect.width() * (corner.part == ShipAtlas::FinRight ? along : 1.0 - along);
        v = rect.v0 + rect.height() * (finHighY - p.y) / (finHighY - finLowY);
        return;
    }
    default:
        break;
    }

    // Pod parts are mapped in the right pod's frame; the left pod's points
    // are mirrored into it first.
    const bool left = corner.part == ShipAtlas::PodLeftCowl || corner.part == ShipAtlas::PodLeftFront ||
                      corner.part == ShipAtlas::PodLeftRear;
    if (left) {
        p.x = -p.x;
    }
    const double cu = 0.5 * (rect.u0 + rect.u1);
    const double cv = 0.5 * (rect.v0 + rect.v1);
    const double du = 0.5 * rect.width() * (p.x - podCentreX) / podRadius;
    const double dv = 0.5 * rect.height() * (p.y - podCentreY) / podRadius;
    switch (corner.part) {
    case ShipAtlas::PodRightCowl:
    case ShipAtlas::PodLeftCowl: mapCowl(rect, corner, p, u, v); return;
    case ShipAtlas::PodRightFront:
    case ShipAtlas::PodLeftFront:
        // Centred on the fairing, which leans in and up.
        u = cu + du + 0.5 * rect.width() * fairingLeanIn / podRadius;
        v = cv - dv + 0.5 * rect.height() * fairingLeanUp / podRadius;
        return;
    default:
        // Rear views: seen from behind, so x runs the other way.
        u = cu - du;
        v = cv - dv;
        return;
    }
}
