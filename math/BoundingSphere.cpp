#include "math/BoundingSphere.h"

bool BoundingSphere::intersects(const BoundingSphere* other) const
{
    const float d = Vec3f(centre, other->centre).length();
    return radius + other->radius >= d;
}
