#include "math/AABoundBox.h"

#include "math/BoundingSphere.h"

AABoundBox::AABoundBox(Vec3f a, Vec3f b) : maxCorner(a), minCorner(b)
{
    recomputeCentre();
}

void AABoundBox::recomputeCentre()
{
    centre = Vec3f((maxCorner.x + minCorner.x) * 0.5f,
                   (maxCorner.y + minCorner.y) * 0.5f,
                   (maxCorner.z + minCorner.z) * 0.5f);
}

void AABoundBox::extend(Vec3f p)
{
    if (maxCorner.x < p.x) maxCorner.x = p.x;
    if (minCorner.x > p.x) minCorner.x = p.x;
    if (maxCorner.y < p.y) maxCorner.y = p.y;
    if (minCorner.y > p.y) minCorner.y = p.y;
    if (maxCorner.z < p.z) maxCorner.z = p.z;
    if (minCorner.z > p.z) minCorner.z = p.z;
    recomputeCentre();
}

void AABoundBox::scale(float sx, float sy, float sz)
{
    minCorner = Vec3f(minCorner.x * sx, minCorner.y * sy, minCorner.z * sz);
    maxCorner = Vec3f(maxCorner.x * sx, maxCorner.y * sy, maxCorner.z * sz);
    recomputeCentre();
}

void AABoundBox::moveTo(Vec3f p)
{
    const Vec3f d(centre, p);
    centre = p;
    maxCorner.add(d);
    minCorner.add(d);
}

bool AABoundBox::intersects(const BoundingSphere* sphere) const
{
    const Vec3f c = sphere->getCentre();
    const float r = sphere->getRadius();
    Vec3f v(c, centre);
    const float d = v.length();
    if (r >= d) {
        return true;
    }
    v.normalize();
    v.scale(r);
    Vec3f q = c;
    q.add(v);
    if (q.z < minCorner.z || q.z > maxCorner.z) return false;
    if (q.x < minCorner.x || q.x > maxCorner.x) return false;
    if (q.y < minCorner.y || q.y > maxCorner.y) return false;
    return true;
}
