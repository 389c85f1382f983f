#include "math/AABoundBox.h"
#include "math/BoundingSphere.h"

#include <gtest/gtest.h>

namespace {
void expectVec(const Vec3f& v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}
}

TEST(BoundingSphereIntersects, TouchingSpheresIntersectAndFartherOnesDoNot)
{
    BoundingSphere a(Vec3f(0.0f, 0.0f, 0.0f), 1.0f);
    BoundingSphere touching(Vec3f(2.0f, 0.0f, 0.0f), 1.0f);
    BoundingSphere apart(Vec3f(2.001f, 0.0f, 0.0f), 1.0f);
    EXPECT_TRUE(a.intersects(&touching));
    EXPECT_TRUE(touching.intersects(&a));
    EXPECT_FALSE(a.intersects(&apart));
    EXPECT_FALSE(apart.intersects(&a));
}

TEST(BoundingSphereIntersects, CoincidingCentresIntersect)
{
    BoundingSphere a(Vec3f(1.0f, 1.0f, 1.0f), 0.5f);
    BoundingSphere b(Vec3f(1.0f, 1.0f, 1.0f), 0.5f);
    EXPECT_TRUE(a.intersects(&b));
}

TEST(AABoundBoxIntersects, SphereReachingAlongTheLineToTheCentreHits)
{
    const AABoundBox box(Vec3f(1.0f, 1.0f, 1.0f), Vec3f(-1.0f, -1.0f, -1.0f));
    BoundingSphere near(Vec3f(0.0f, 0.0f, 1.5f), 1.0f);
    BoundingSphere onFace(Vec3f(0.0f, 0.0f, 2.0f), 1.0f);
    BoundingSphere far(Vec3f(0.0f, 0.0f, 2.5f), 1.0f);
    EXPECT_TRUE(box.intersects(&near));
    EXPECT_TRUE(box.intersects(&onFace));
    EXPECT_FALSE(box.intersects(&far));
}

TEST(AABoundBoxIntersects, SphereHoldingTheCentreHitsWhateverTheBoxSize)
{
    const AABoundBox huge(Vec3f(100.0f, 100.0f, 100.0f), Vec3f(-100.0f, -100.0f, -100.0f));
    BoundingSphere small(Vec3f(0.5f, 0.0f, 0.0f), 0.5f);
    EXPECT_TRUE(huge.intersects(&small));
}

TEST(AABoundBoxIntersects, SphereTouchingOnlyAnEdgeIsNotReported)
{
    // The sphere overlaps the box's edge at (2, 0.2), yet the point of its
    // surface toward the box's centre lies above the box.
    const AABoundBox box(Vec3f(2.0f, 0.2f, 2.0f), Vec3f(-2.0f, -0.2f, -2.0f));
    BoundingSphere edge(Vec3f(2.3f, 0.5f, 0.0f), 0.5f);
    EXPECT_FALSE(box.intersects(&edge));
}

TEST(AABoundBoxIntersects, FlatBoxMissesSphereOverItsLongSide)
{
    const AABoundBox flat(Vec3f(10.0f, 0.1f, 1.0f), Vec3f(-10.0f, -0.1f, -1.0f));
    BoundingSphere overEnd(Vec3f(8.0f, 0.5f, 0.0f), 1.0f);
    EXPECT_FALSE(flat.intersects(&overEnd));
}

TEST(AABoundBoxShape, CornersAreKeptAsGivenAndCentreIsTheirMidpoint)
{
    const AABoundBox box(Vec3f(2.0f, 2.0f, 2.0f), Vec3f(0.0f, 0.0f, 0.0f));
    expectVec(box.getCentre(), 1.0f, 1.0f, 1.0f);
    // A reversed pair is not sorted.
    const AABoundBox reversed(Vec3f(0.0f, 0.0f, 0.0f), Vec3f(2.0f, 2.0f, 2.0f));
    expectVec(reversed.getMaxCorner(), 0.0f, 0.0f, 0.0f);
    expectVec(reversed.getMinCorner(), 2.0f, 2.0f, 2.0f);
}

TEST(AABoundBoxShape, ScaleIsAboutTheOriginThenMoveKeepsTheSize)
{
    AABoundBox box(Vec3f(2.0f, 2.0f, 2.0f), Vec3f(0.0f, 0.0f, 0.0f));
    box.scale(0.5f, 0.5f, 0.5f);
    expectVec(box.getMaxCorner(), 1.0f, 1.0f, 1.0f);
    expectVec(box.getMinCorner(), 0.0f, 0.0f, 0.0f);
    expectVec(box.getCentre(), 0.5f, 0.5f, 0.5f);
    box.moveTo(Vec3f(10.0f, 0.0f, 0.0f));
    expectVec(box.getMaxCorner(), 10.5f, 0.5f, 0.5f);
    expectVec(box.getMinCorner(), 9.5f, -0.5f, -0.5f);
    expectVec(box.getCentre(), 10.0f, 0.0f, 0.0f);
}

TEST(AABoundBoxShape, ExtendGrowsOnlyForPointsOutside)
{
    AABoundBox box(Vec3f(0.0f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, 0.0f));
    box.extend(Vec3f(1.0f, -2.0f, 3.0f));
    box.extend(Vec3f(-1.0f, 2.0f, -3.0f));
    expectVec(box.getMaxCorner(), 1.0f, 2.0f, 3.0f);
    expectVec(box.getMinCorner(), -1.0f, -2.0f, -3.0f);
    box.extend(Vec3f(0.5f, 0.5f, 0.5f));
    expectVec(box.getMaxCorner(), 1.0f, 2.0f, 3.0f);
    expectVec(box.getMinCorner(), -1.0f, -2.0f, -3.0f);
    expectVec(box.getCentre(), 0.0f, 0.0f, 0.0f);
}
