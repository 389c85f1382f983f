#ifndef ZARVY_MATH_AABOUNDBOX_H
#define ZARVY_MATH_AABOUNDBOX_H

#include "math/Vec3f.h"

class BoundingSphere;

// An axis-aligned box. After every operation the centre is the midpoint of
// the two corners. The corners are never reordered: the constructor's first
// argument is the maximum corner.
class AABoundBox {
public:
    AABoundBox(Vec3f a, Vec3f b);
    virtual ~AABoundBox() = default;

    void recomputeCentre();
    // Grows the box to include p.
    void extend(Vec3f p);
    // Scales both corners about the world origin, not about the centre.
    void scale(float sx, float sy, float sz);
    // Translates the box so that its centre is p; the size is kept.
    void moveTo(Vec3f p);
    // True when the sphere reaches the box along the line from the sphere's
    // centre toward the box's centre; a sphere touching only an edge or a
    // corner away from that line is not reported.
    bool intersects(const BoundingSphere* sphere) const;

    Vec3f getMaxCorner() const { return maxCorner; }
    Vec3f getMinCorner() const { return minCorner; }
    Vec3f getCentre() const { return centre; }

private:
    Vec3f maxCorner;
    Vec3f minCorner;
    Vec3f centre;
};

#endif
