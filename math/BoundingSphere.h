#ifndef ZARVY_MATH_BOUNDINGSPHERE_H
#define ZARVY_MATH_BOUNDINGSPHERE_H

#include "math/Vec3f.h"

// A sphere in world coordinates; touching spheres intersect.
class BoundingSphere {
public:
    BoundingSphere(Vec3f centre, float radius) : centre(centre), radius(radius) {}
    virtual ~BoundingSphere() = default;

    Vec3f getCentre() const { return centre; }
    float getRadius() const { return radius; }
    void setCentre(Vec3f p) { centre = p; }

    // True when the two spheres overlap or touch; symmetric.
    bool intersects(const BoundingSphere* other) const;

private:
    Vec3f centre;
    float radius = 0.0f;
};

#endif
