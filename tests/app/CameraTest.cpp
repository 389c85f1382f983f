#include "app/Input.h"
#include "render/Camera.h"
#include "support/GlTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

    // Looking down -x, the right is -z, and a step to the right goes there.
    Camera turned(0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    turned.move(1.0f, 0.0f, 0.0f);
    expectVec(turned.getEye(), 0.0, 0.0, -1.0);
    expectVec(turned.getCentre(), -1.0, 0.0, -1.0);
}

TEST(CameraMove, SetViewReplacesEyeCentreAndUpOfATurnedCamera)
{
    // The free camera rolled and moved, then the ship takes the view back:
    // nothing of the free flight stays.
    Camera camera = initialCamera();
    camera.roll(30.0f);
    camera.move(2.0f, 1.0f, 3.0f);
    camera.setView(Vec3f(1.0f, 5.0f, 10.0f), Vec3f(1.0f, 5.0f, 0.0f), Vec3f(0.0f, 1.0f, 0.0f));
    expectVec(camera.getEye(), 1.0, 5.0, 10.0);
    expectVec(camera.getCentre(), 1.0, 5.0, 0.0);
    expectVec(camera.getUp(), 0.0, 1.0, 0.0);
    expectVec(camera.getDirection(), 0.0, 0.0, -1.0);
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

TEST(CameraTurns, YawOfAPitchedViewTurnsInItsOwnPlaneAndLevelsIt)
{
    // The view looks 30 degrees up, so up is not perpendicular to it: the
    // yaw turns it toward its own right and shrinks its climb by cos 2.
    Camera camera = initialCamera();
    for (int i = 0; i < 15; ++i) {
        camera.pitch(-2.0f);
    }
    expectVec(camera.getDirection(), 0.0, std::sin(30 * degree), -std::cos(30 * degree), 1e-5);
    camera.yaw(2.0f);
    expectVec(camera.getDirection(), std::sin(2 * degree), std::sin(30 * degree) * std::cos(2 * degree),
              -std::cos(30 * degree) * std::cos(2 * degree), 1e-5);
    EXPECT_NEAR(camera.getDirection().length(), 1.0f, 1e-6f);
}

TEST(CameraTurns, PitchStopsShortOfThePoleAndStaysFinite)
{
    for (float step : {2.0f, -2.0f}) {
        Camera camera = initialCamera();
        int overThePole = 0;
        for (int i = 0; i < 200; ++i) {
            camera.pitch(step);
            // Never tipped over the pole, to look back upside down.
            overThePole += camera.getDirection().z > 0.0f;
        }
        EXPECT_EQ(overThePole, 0) << "pitch step " << step;
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

TEST(FreeCameraKeys, EachKeyAloneMovesOrTurnsByItsOwnStep)
{
    const double s2 = std::sin(2 * degree);
    const double c2 = std::cos(2 * degree);
    struct Case {
        unsigned char key;
        Vec3f eye;
        Vec3f direction;
        Vec3f up;
    };
    // From the initial camera at the origin, looking down -z with up +y.
    const Case cases[] = {
        {'s', Vec3f(0.0f, 0.0f, 1.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f)},
        {'w', Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f)},
        {'a', Vec3f(-1.0f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f)},
        {'d', Vec3f(1.0f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f)},
        {'r', Vec3f(0.0f, 1.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f)},
        {'f', Vec3f(0.0f, -1.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f)},
        {'q', Vec3f(), Vec3f(-s2, 0.0f, -c2), Vec3f(0.0f, 1.0f, 0.0f)},
        {'e', Vec3f(), Vec3f(s2, 0.0f, -c2), Vec3f(0.0f, 1.0f, 0.0f)},
        {'2', Vec3f(), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(s2, c2, 0.0f)},
        {'3', Vec3f(), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(-s2, c2, 0.0f)},
        {'t', Vec3f(), Vec3f(0.0f, s2, -c2), Vec3f(0.0f, 1.0f, 0.0f)},
        {'g', Vec3f(), Vec3f(0.0f, -s2, -c2), Vec3f(0.0f, 1.0f, 0.0f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("key ") + static_cast<char>(c.key));
        Input input;
        input.keyDown(c.key, 0, 0);
        Camera camera = initialCamera();
        camera.freeCameraTick(&input);
        expectVec(camera.getEye(), c.eye.x, c.eye.y, c.eye.z);
        expectVec(camera.getDirection(), c.direction.x, c.direction.y, c.direction.z);
        expectVec(camera.getUp(), c.up.x, c.up.y, c.up.z);
        // The centre stays one unit ahead of the eye.
        expectVec(camera.getCentre(), c.eye.x + c.direction.x, c.eye.y + c.direction.y,
                  c.eye.z + c.direction.z);
    }
}

TEST(FreeCameraKeys, KeysHeldTogetherActInTheirFixedOrder)
{
    // Moves first, then yaw, roll and pitch: none of these pairs commute.
    Input input;
    for (unsigned char key : {'g', '3', 'e', 'w'}) {
        input.keyDown(key, 0, 0);
    }
    Camera camera = initialCamera();
    camera.freeCameraTick(&input);

    Camera stepwise = initialCamera();
    stepwise.move(0.0f, 0.0f, 1.0f);
    stepwise.yaw(2.0f);
    stepwise.roll(2.0f);
    stepwise.pitch(2.0f);
    const Vec3f eye = stepwise.getEye();
    const Vec3f direction = stepwise.getDirection();
    const Vec3f up = stepwise.getUp();
    expectVec(camera.getEye(), eye.x, eye.y, eye.z, 1e-6);
    expectVec(camera.getDirection(), direction.x, direction.y, direction.z, 1e-6);
    expectVec(camera.getUp(), up.x, up.y, up.z, 1e-6);

    // Another order lands measurably elsewhere, so the comparison can tell.
    Camera reordered = initialCamera();
    reordered.move(0.0f, 0.0f, 1.0f);
    reordered.yaw(2.0f);
    reordered.pitch(2.0f);
    reordered.roll(2.0f);
    EXPECT_GT(Vec3f(reordered.getDirection(), direction).length(), 1e-4f);
}

TEST(FreeCameraKeys, EachHeldKeyActsOncePerTick)
{
    Input input;
    Camera camera = initialCamera();
    input.keyDown('w', 0, 0);
    camera.freeCameraTick(&input);
    camera.freeCameraTick(&input);
    expectVec(camera.getEye(), 0.0, 0.0, -2.0);
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

TEST_F(GlTest, LookAtLoadsTheViewThatEyeCentreAndUpGive)
{
    // A slanted up vector, not perpendicular to the view.
    const Vec3f eye(1.0f, 2.0f, 3.0f);
    const Vec3f centre(4.0f, -2.0f, 3.5f);
    const Vec3f up(0.3f, 1.0f, 0.2f);
    Camera camera = initialCamera();
    camera.setView(eye, centre, up);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.lookAt();
    GLfloat m[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m);

    // The view's axes: forward toward the centre, right = forward x up,
    // true up = right x forward; the eye goes to the origin.
    double f[3] = {centre.x - eye.x, centre.y - eye.y, centre.z - eye.z};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& c : f) {
        c /= fl;
    }
    double s[3] = {f[1] * up.z - f[2] * up.y, f[2] * up.x - f[0] * up.z, f[0] * up.y - f[1] * up.x};
    const double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double& c : s) {
        c /= sl;
    }
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    const double* rows[3] = {s, u, f};
    const double sign[3] = {1.0, 1.0, -1.0};
    const double e[3] = {eye.x, eye.y, eye.z};
    for (int row = 0; row < 3; ++row) {
        double translation = 0.0;
        for (int col = 0; col < 3; ++col) {
            EXPECT_NEAR(m[col * 4 + row], sign[row] * rows[row][col], 1e-6) << row << ", " << col;
            translation -= sign[row] * rows[row][col] * e[col];
        }
        EXPECT_NEAR(m[12 + row], translation, 1e-5) << "translation " << row;
        EXPECT_EQ(m[row * 4 + 3], 0.0f);
    }
    EXPECT_EQ(m[15], 1.0f);
}
