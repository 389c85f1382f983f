#include "app/Input.h"
#include "render/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const double degree = 3.14159265358979 / 180.0;

Camera initialCamera()
{
    return Camera(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
}

void expectVec(const Vec3f& v, double x, double y, double z, double tolerance = 1e-5)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

double angleBetween(const Vec3f& a, const Vec3f& b)
{
    const double dot = a.x * b.x + a.y * b.y + a.z * b.z;
    return std::acos(dot / (a.length() * b.length())) / degree;
}
}

TEST(CameraMove, StepsAlongViewRightAndUp)
{
    Camera camera = initialCamera();
    expectVec(camera.getDirection(), 0.0, 0.0, -1.0);
    camera.move(0.0f, 0.0f, 1.0f);
    expectVec(camera.getEye(), 0.0, 0.0, -1.0);
    expectVec(camera.getCentre(), 0.0, 0.0, -2.0);

    Camera sideways = initialCamera();
    sideways.move(1.0f, 0.0f, 0.0f);
    expectVec(sideways.getEye(), 1.0, 0.0, 0.0);
    expectVec(sideways.getCentre(), 1.0, 0.0, -1.0);
    sideways.move(0.0f, 1.0f, 0.0f);
    expectVec(sideways.getEye(), 1.0, 1.0, 0.0);
}

TEST(CameraTurns, YawPitchAndRollOfTheInitialCamera)
{
    Camera yawed = initialCamera();
    yawed.yaw(2.0f);
    expectVec(yawed.getDirection(), std::sin(2 * degree), 0.0, -std::cos(2 * degree));
    Vec3f expectedCentre = yawed.getEye();
    expectedCentre.add(yawed.getDirection());
    expectVec(yawed.getCentre(), expectedCentre.x, expectedCentre.y, expectedCentre.z);

    Camera pitched = initialCamera();
    pitched.pitch(2.0f);
    expectVec(pitched.getDirection(), 0.0, -std::sin(2 * degree), -std::cos(2 * degree));
    expectVec(pitched.getUp(), 0.0, 1.0, 0.0, 0.0);

    Camera rolled = initialCamera();
    rolled.roll(2.0f);
    expectVec(rolled.getUp(), -std::sin(2 * degree), std::cos(2 * degree), 0.0);
    expectVec(rolled.getDirection(), 0.0, 0.0, -1.0);
}

TEST(CameraTurns, YawBringsADistantCentreToOneUnitFromTheEye)
{
    Camera camera = initialCamera();
    camera.setView(Vec3f(0.0f, 2.0f, 5.0f), Vec3f(0.0f, 2.0f, -5.0f), Vec3f(0.0f, 1.0f, 0.0f));
    expectVec(camera.getDirection(), 0.0, 0.0, -1.0);
    camera.yaw(2.0f);
    EXPECT_NEAR(Vec3f(camera.getEye(), camera.getCentre()).length(), 1.0f, 1e-5f);
    // Still looking forward, not turned round.
    EXPECT_LT(camera.getDirection().z, -0.99f);
}

TEST(CameraTurns, PitchedRightVectorShrinksWithTheCosine)
{
    Camera camera = initialCamera();
    for (int i = 0; i < 30; ++i) {
        camera.pitch(2.0f);
    }
    const Vec3f before = camera.getEye();
    camera.move(1.0f, 0.0f, 0.0f);
    EXPECT_NEAR(Vec3f(before, camera.getEye()).length(), 0.5f, 1e-3f);
}

TEST(CameraTurns, PitchStopsShortOfThePoleAndStaysFinite)
{
    for (float step : {2.0f, -2.0f}) {
        Camera camera = initialCamera();
        for (int i = 0; i < 200; ++i) {
            camera.pitch(step);
        }
        const Vec3f d = camera.getDirection();
        EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z));
        const double fromUp = angleBetween(d, camera.getUp());
        EXPECT_GE(fromUp, 1.0);
        EXPECT_LE(fromUp, 179.0);
        // It got close: the last allowed step is within 2 degrees of the limit.
        EXPECT_TRUE(fromUp < 3.0 || fromUp > 177.0) << fromUp;
        // The camera still has a right vector to move along.
        Vec3f right = d;
        right.cross(camera.getUp());
        EXPECT_GT(right.length(), 0.0f);
        camera.yaw(2.0f);
        camera.move(1.0f, 1.0f, 1.0f);
        const Vec3f eye = camera.getEye();
        EXPECT_TRUE(std::isfinite(eye.x) && std::isfinite(eye.y) && std::isfinite(eye.z));
    }
}

TEST(FreeCameraKeys, EachHeldKeyActsOncePerTick)
{
    Input input;
    Camera camera = initialCamera();
    input.keyDown('w', 0, 0);
    camera.freeCameraTick(&input);
    camera.freeCameraTick(&input);
    expectVec(camera.getEye(), 0.0, 0.0, -2.0);
    input.keyUp('w', 0, 0);

    input.keyDown('r', 0, 0);
    camera.freeCameraTick(&input);
    expectVec(camera.getEye(), 0.0, 1.0, -2.0);
    input.keyUp('r', 0, 0);

    input.keyDown('e', 0, 0);
    camera.freeCameraTick(&input);
    expectVec(camera.getDirection(), std::sin(2 * degree), 0.0, -std::cos(2 * degree));
}

TEST(FreeCameraKeys, OpposingKeysCancelWithinTheTick)
{
    Input input;
    Camera camera = initialCamera();
    input.keyDown('w', 0, 0);
    input.keyDown('s', 0, 0);
    input.keyDown('q', 0, 0);
    input.keyDown('e', 0, 0);
    camera.freeCameraTick(&input);
    expectVec(camera.getEye(), 0.0, 0.0, 0.0);
    expectVec(camera.getDirection(), 0.0, 0.0, -1.0, 1e-4);
}

TEST(FreeCameraKeys, UpperCaseAndFlightOnlyKeysDoNothing)
{
    Input input;
    Camera camera = initialCamera();
    for (unsigned char key : {'W', 'S', 'A', 'D', 'Q', 'E', '-', '.', ' '}) {
        input.keyDown(key, 0, 0);
    }
    camera.freeCameraTick(&input);
    expectVec(camera.getEye(), 0.0, 0.0, 0.0, 0.0);
    expectVec(camera.getCentre(), 0.0, 0.0, -1.0, 0.0);
    expectVec(camera.getUp(), 0.0, 1.0, 0.0, 0.0);
}

TEST(FreeCameraKeys, RollKeysTiltTheUpVector)
{
    Input input;
    Camera camera = initialCamera();
    input.keyDown('3', 0, 0);
    camera.freeCameraTick(&input);
    expectVec(camera.getUp(), -std::sin(2 * degree), std::cos(2 * degree), 0.0);
    input.keyUp('3', 0, 0);
    input.keyDown('2', 0, 0);
    camera.freeCameraTick(&input);
    camera.freeCameraTick(&input);
    expectVec(camera.getUp(), std::sin(2 * degree), std::cos(2 * degree), 0.0);
}
