#include "math/Vec3f.h"
#include "math/Vec4f.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const float pi = 3.14159265f;

void expectVec(const Vec3f& v, float x, float y, float z, float tolerance = 1e-6f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}
}

TEST(Vec3fArithmetic, DifferenceConstructorLeadsFromFirstPointToSecond)
{
    const Vec3f d(Vec3f(1.0f, 2.0f, 3.0f), Vec3f(4.0f, 6.0f, 8.0f));
    expectVec(d, 3.0f, 4.0f, 5.0f, 0.0f);
    EXPECT_FLOAT_EQ(d.length(), std::sqrt(50.0f));
}

TEST(Vec3fArithmetic, InPlaceOperationsChangeOnlyTheReceiver)
{
    Vec3f a(1.0f, 2.0f, 3.0f);
    const Vec3f b(0.5f, -1.0f, 2.0f);
    a.add(b);
    expectVec(a, 1.5f, 1.0f, 5.0f, 0.0f);
    a.subtract(b);
    expectVec(a, 1.0f, 2.0f, 3.0f, 0.0f);
    a.scale(-2.0f);
    expectVec(a, -2.0f, -4.0f, -6.0f, 0.0f);
    expectVec(b, 0.5f, -1.0f, 2.0f, 0.0f);
}

TEST(Vec3fCross, FollowsTheRightHandRule)
{
    Vec3f x(1.0f, 0.0f, 0.0f);
    x.cross(Vec3f(0.0f, 1.0f, 0.0f));
    expectVec(x, 0.0f, 0.0f, 1.0f, 0.0f);

    Vec3f y(0.0f, 1.0f, 0.0f);
    y.cross(Vec3f(1.0f, 0.0f, 0.0f));
    expectVec(y, 0.0f, 0.0f, -1.0f, 0.0f);
}

TEST(Vec3fCross, VectorCrossedWithItselfIsZero)
{
    // All three components must come from the old values; updating x first
    // would leave a non-zero result here.
    Vec3f v(2.0f, -3.0f, 5.0f);
    v.cross(v);
    expectVec(v, 0.0f, 0.0f, 0.0f, 0.0f);
}

TEST(Vec3fNormalize, GivesUnitLengthInSinglePrecision)
{
    Vec3f v(3.0f, 4.0f, 0.0f);
    v.normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);
    EXPECT_EQ(v.z, 0.0f);
}

TEST(Vec3fNormalize, ZeroVectorStaysZeroInsteadOfNaN)
{
    Vec3f v(0.0f, 0.0f, 0.0f);
    v.normalize();
    expectVec(v, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z));
}

TEST(Vec3fRotation, RotateZTurnsXTowardY)
{
    Vec3f v(1.0f, 0.0f, 0.0f);
    v.rotateZ(90.0f);
    expectVec(v, 0.0f, 1.0f, 0.0f);
    // pi/2 in single precision is not exact, so cos leaves a tiny residue.
    EXPECT_NE(v.x, 0.0f);
}

TEST(Vec3fRotation, RotateXTurnsYTowardZ)
{
    Vec3f v(0.0f, 1.0f, 0.0f);
    v.rotateX(90.0f);
    expectVec(v, 0.0f, 0.0f, 1.0f);
    Vec3f w(0.0f, 0.0f, 1.0f);
    w.rotateX(90.0f);
    expectVec(w, 0.0f, -1.0f, 0.0f);
}

TEST(Vec3fRotation, RotateTurnsTowardReceiverCrossAxisKeepingLength)
{
    Vec3f v(0.0f, 0.0f, -1.0f);
    const float angle = 2.0f * pi / 180.0f;
    v.rotate(angle, Vec3f(0.0f, 1.0f, 0.0f));
    expectVec(v, std::sin(angle), 0.0f, -std::cos(angle));
    EXPECT_NEAR(v.length(), 1.0f, 1e-6f);

    Vec3f longer(0.0f, 0.0f, -10.0f);
    longer.rotate(-angle, Vec3f(0.0f, 1.0f, 0.0f));
    expectVec(longer, -10.0f * std::sin(angle), 0.0f, -10.0f * std::cos(angle), 1e-5f);
}

TEST(Vec3fRotation, RotateAboutASlantedAxisTurnsTowardReceiverCrossAxis)
{
    // (1, 2, 2) has length 3 and is not perpendicular to the axis (2, 0, 2).
    // It turns toward (1, 2, 2) x (2, 0, 2) = (4, 2, -4), in the plane of
    // the two, keeping its length: no rotation about the axis itself.
    for (float degrees : {2.0f, -2.0f, 30.0f}) {
        const float angle = degrees * pi / 180.0f;
        Vec3f v(1.0f, 2.0f, 2.0f);
        v.rotate(angle, Vec3f(2.0f, 0.0f, 2.0f));
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        expectVec(v, c + 2.0f * s, 2.0f * c + s, 2.0f * c - 2.0f * s, 2e-6f);
        EXPECT_NEAR(v.length(), 3.0f, 2e-6f);
    }
}

TEST(Vec3fRotation, RotateAboutParallelAxisLeavesVectorUnchanged)
{
    Vec3f v(0.0f, 2.0f, 0.0f);
    v.rotate(0.1f, Vec3f(0.0f, 1.0f, 0.0f));
    expectVec(v, 0.0f, 2.0f, 0.0f, 0.0f);
}

TEST(Vec4fMultiply, MultipliesAllFourComponents)
{
    Vec4f c(0.5f, 0.5f, 0.5f, 1.0f);
    c.multiply(Vec4f(1.0f, 1.0f, 1.0f, 0.3f));
    EXPECT_FLOAT_EQ(c.x, 0.5f);
    EXPECT_FLOAT_EQ(c.y, 0.5f);
    EXPECT_FLOAT_EQ(c.z, 0.5f);
    EXPECT_FLOAT_EQ(c.w, 0.3f);
}
