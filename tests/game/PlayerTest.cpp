#include "GameTestSupport.h"

#include "app/Input.h"
#include "game/Player.h"
#include "math/AABoundBox.h"
#include "render/Camera.h"
#include "scene/Ship.h"
#include "support/GlTest.h"

#include <gtest/gtest.h>

#include <GL/glew.h>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {
const double degree = 3.14159265358979 / 180.0;

// A player placed and in control as at start-up, with its own keyboard
// table and camera.
class PlayerFlight : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        player = new Player(&camera, &input);
        placeAt(Vec3f(0.0f, 0.0f, -20.0f));
        player->takeControl();
    }

    void TearDown() override
    {
        delete player;
        // The player's draw leaves culling on; later tests start from the
        // baseline without it.
        glDisable(GL_CULL_FACE);
        GlTest::TearDown();
    }

    void placeAt(Vec3f position)
    {
        player->place(position, Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f));
    }

    void hold(unsigned char key) { input.keyDown(key, 0, 0); }
    void release(unsigned char key) { input.keyUp(key, 0, 0); }

    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            player->update();
        }
    }

    float vx() const { return player->getVelocity().x; }
    float vy() const { return player->getVelocity().y; }

    Camera camera{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    Input input;
    Player* player = nullptr;
};
}

TEST_F(PlayerFlight, FirstUpdatePutsTheCameraBehindTheShip)
{
    expectVec(player->getPosition(), 0.0, 0.0, -20.0);
    EXPECT_EQ(player->getSpeed(), 1.5f);
    EXPECT_TRUE(player->isInControl());

    player->update();
    expectVec(camera.getEye(), 0.0, 5.0, 10.0);
    expectVec(camera.getCentre(), 0.0, 5.0, -30.0);
    expectVec(camera.getUp(), 0.0, 1.0, 0.0);
    expectVec(player->getForward(), 0.0, 0.0, -1.0);
    expectVec(player->getUp(), 0.0, 1.0, 0.0);
    expectVec(player->getPosition(), 0.0, 0.0, -20.0);
}

TEST_F(PlayerFlight, OutOfControlUpdateChangesNothing)
{
    player->releaseControl();
    hold('d');
    hold('r');
    ticks(5);
    expectVec(player->getPosition(), 0.0, 0.0, -20.0);
    EXPECT_EQ(vx(), 0.0f);
    EXPECT_EQ(player->getSpeed(), 1.5f);
    expectVec(camera.getEye(), 0.0, 0.0, 0.0);
}

TEST_F(PlayerFlight, LateralRateGrowsToJustAboveOneAndStops)
{
    hold('d');
    float x = 0.0f;
    for (int tick = 1; tick <= 24; ++tick) {
        player->update();
        EXPECT_NEAR(vx(), 0.04 * tick, 1e-5);
        EXPECT_LT(vx(), 1.0f);
        x += vx();
        EXPECT_FLOAT_EQ(player->getPosition().x, x);
    }
    player->update();
    const float top = vx();
    EXPECT_GE(top, 1.0f);
    EXPECT_LT(top, 1.001f);
    player->update();
    EXPECT_EQ(vx(), top);
}

TEST_F(PlayerFlight, RightEdgeClampsPositionAndResetsRate)
{
    hold('d');
    ticks(60);
    EXPECT_EQ(player->getPosition().x, 20.0f);
    EXPECT_NEAR(vx(), 0.04, 1e-6);
    ticks(3);
    EXPECT_EQ(player->getPosition().x, 20.0f);
    EXPECT_NEAR(vx(), 0.04, 1e-6);
}

TEST_F(PlayerFlight, ReleasedRateDecaysAndSnapsToZeroIn17Ticks)
{
    hold('d');
    ticks(25);
    release('d');
    const float top = vx();
    ticks(16);
    EXPECT_NEAR(vx(), top - 16 * 0.06, 1e-5);
    EXPECT_GT(vx(), 0.0f);
    ticks(1);
    EXPECT_EQ(vx(), 0.0f);

    // The same for a rate to the left.
    hold('a');
    ticks(25);
    release('a');
    const float bottom = vx();
    ticks(16);
    EXPECT_NEAR(vx(), bottom + 16 * 0.06, 1e-5);
    EXPECT_LT(vx(), 0.0f);
    ticks(1);
    EXPECT_EQ(vx(), 0.0f);
}

TEST_F(PlayerFlight, OpposingKeyBrakesThenGainsTheOtherWay)
{
    hold('d');
    ticks(25);
    release('d');
    hold('a');
    std::vector<float> rates{vx()};
    for (int i = 0; i < 40; ++i) {
        player->update();
        rates.push_back(vx());
    }
    // 0.06 braking plus the 0.04 gain while still moving right, then the
    // gain alone until the rate reaches 1 to the left.
    for (size_t i = 1; i < rates.size(); ++i) {
        const float step = rates[i] - rates[i - 1];
        if (rates[i - 1] > 0.0f) {
            EXPECT_NEAR(step, -0.1, 1e-5) << "tick " << i;
        } else if (rates[i - 1] > -1.0f) {
            EXPECT_NEAR(step, -0.04, 1e-5) << "tick " << i;
        } else {
            EXPECT_EQ(step, 0.0f) << "tick " << i;
        }
    }
    EXPECT_LE(rates.back(), -1.0f);
    EXPECT_GT(rates.back(), -1.05f);
}

TEST_F(PlayerFlight, WDrivesDownSUpAndTheFloorAndCeilingAbsorbThePush)
{
    hold('s');
    ticks(3);
    EXPECT_GT(vy(), 0.0f);
    EXPECT_GT(player->getPosition().y, 0.0f);
    release('s');
    ticks(30);
    hold('w');
    ticks(60);
    EXPECT_EQ(player->getPosition().y, -8.0f);
    // At the floor the rate is reset before the key's own step.
    EXPECT_NEAR(vy(), -0.04, 1e-6);
    // And the same at the ceiling, 25 up.
    release('w');
    hold('s');
    ticks(90);
    EXPECT_EQ(player->getPosition().y, 25.0f);
    EXPECT_NEAR(vy(), 0.04, 1e-6);
}

TEST_F(PlayerFlight, BoostEndsJustUnderFourPointOneAfter26Ticks)
{
    hold('r');
    ticks(25);
    EXPECT_LT(player->getSpeed(), 4.0f);
    ticks(1);
    const float top = player->getSpeed();
    EXPECT_GT(top, 4.09f);
    EXPECT_LT(top, 4.1f);
    ticks(10);
    EXPECT_EQ(player->getSpeed(), top);
}

TEST_F(PlayerFlight, ReleasedBoostRunsAnElevenTickSawtooth)
{
    hold('r');
    ticks(26);
    release('r');
    ticks(60);
    std::vector<float> speeds;
    for (int i = 0; i < 45; ++i) {
        player->update();
        speeds.push_back(player->getSpeed());
    }
    const float low = *std::min_element(speeds.begin(), speeds.end());
    const float high = *std::max_element(speeds.begin(), speeds.end());
    EXPECT_NEAR(low, 1.41, 0.006);
    EXPECT_NEAR(high, 1.51, 0.006);
    int drops = 0;
    for (size_t i = 1; i < speeds.size(); ++i) {
        if (speeds[i] < speeds[i - 1]) {
            ++drops;
        }
    }
    EXPECT_EQ(drops, 4);
    for (size_t i = 11; i < speeds.size(); ++i) {
        EXPECT_NEAR(speeds[i], speeds[i - 11], 1e-4);
    }
}

TEST_F(PlayerFlight, BrakeHoldsCruiseExactlyAndRestoresItAfterAStop)
{
    hold('f');
    ticks(5);
    EXPECT_EQ(player->getSpeed(), 1.5f);
    player->setSpeed(0.0f);
    ticks(1);
    EXPECT_EQ(player->getSpeed(), 1.5f);

    release('f');
    player->setSpeed(0.0f);
    ticks(1);
    EXPECT_NEAR(player->getSpeed(), 0.01, 1e-6);
}

TEST_F(PlayerFlight, RateThatLandsExactlyOnOneGrowsNoFurther)
{
    // Taps with one-tick pauses between them land the sideways rate on
    // exactly 1 (or -1): from there the held key adds nothing more.
    const int taps[] = {7, 2, 1, 2, 1, 2, 1, 2, 1, 2};
    for (const auto& [key, rate] : {std::pair<unsigned char, float>{'d', 1.0f}, std::pair<unsigned char, float>{'a', -1.0f}}) {
        placeAt(Vec3f(0.0f, 0.0f, -20.0f));
        ticks(40);
        ASSERT_EQ(vx(), 0.0f);
        for (int held : taps) {
            hold(key);
            ticks(held);
            release(key);
            ticks(1);
        }
        hold(key);
        ticks(19);
        ASSERT_EQ(vx(), rate) << key;
        ticks(1);
        EXPECT_EQ(vx(), rate) << key;
        release(key);
    }
}

TEST_F(PlayerFlight, SpeedControlStepsEachWayAndRestsOnCruise)
{
    // No key at cruise: the speed rests there exactly.
    ticks(10);
    EXPECT_EQ(player->getSpeed(), 1.5f);
    // r adds 0.1 a tick.
    hold('r');
    ticks(1);
    EXPECT_FLOAT_EQ(player->getSpeed(), 1.6f);
    // Released above cruise, it coasts down by 0.1 a tick.
    release('r');
    ticks(1);
    EXPECT_FLOAT_EQ(player->getSpeed(), 1.5f);
    // f from above cruise takes off 0.2 a tick, and never brakes below cruise.
    player->setSpeed(2.0f);
    hold('f');
    ticks(1);
    EXPECT_FLOAT_EQ(player->getSpeed(), 1.8f);
    ticks(1);
    EXPECT_FLOAT_EQ(player->getSpeed(), 1.6f);
    ticks(1);
    EXPECT_EQ(player->getSpeed(), 1.5f);
    // f and r together: the brake holds cruise, the boost then adds its step.
    hold('r');
    ticks(1);
    EXPECT_FLOAT_EQ(player->getSpeed(), 1.6f);
    ticks(1);
    EXPECT_FLOAT_EQ(player->getSpeed(), 1.6f);
    // Below cruise with no key, it picks up by 0.01 a tick.
    release('f');
    release('r');
    player->setSpeed(1.0f);
    ticks(1);
    EXPECT_FLOAT_EQ(player->getSpeed(), 1.01f);
}

TEST_F(PlayerFlight, RollStepsToNinetyInNineTicksAndBack)
{
    hold('.');
    ticks(8);
    EXPECT_EQ(player->getRoll(), 80);
    ticks(1);
    EXPECT_EQ(player->getRoll(), 90);
    ticks(3);
    EXPECT_EQ(player->getRoll(), 90);
    release('.');
    ticks(8);
    EXPECT_EQ(player->getRoll(), 10);
    ticks(1);
    EXPECT_EQ(player->getRoll(), 0);

    hold('-');
    ticks(12);
    EXPECT_EQ(player->getRoll(), -90);
    release('-');
    ticks(9);
    EXPECT_EQ(player->getRoll(), 0);
}

TEST_F(PlayerFlight, CameraFallsBackFiveUnitsPerUnitAboveCruise)
{
    // Coasting takes 0.1 off before the camera is placed: 4.1 becomes 4.0.
    player->setSpeed(4.1f);
    player->update();
    EXPECT_NEAR(player->getSpeed(), 4.0, 1e-5);
    EXPECT_NEAR(camera.getEye().z, -20.0 + 42.5, 1e-4);

    player->setSpeed(0.0f);
    player->update();
    EXPECT_NEAR(camera.getEye().z, 10.0, 1e-5);
}

TEST_F(PlayerFlight, CameraFollowsAThirdOfTheOffsetAndLooksAhead)
{
    placeAt(Vec3f(12.0f, -6.0f, -20.0f));
    player->update();
    expectVec(camera.getEye(), 0.33 * 12.0, 0.33 * -6.0 + 5.0, 10.0);
    expectVec(camera.getCentre(), 0.33 * 12.0 + 2.4, 0.33 * -6.0 + 5.0 - 1.2, -30.0);
}

TEST_F(PlayerFlight, BankEasesNearEitherSideEdgeOnlyWhileSlidingRight)
{
    // Moving right near the right edge: the bank shrinks with t cubed.
    placeAt(Vec3f(12.0f, 0.0f, -20.0f));
    hold('d');
    ticks(5);
    double t = 2.0 * (1.0 - player->getPosition().x / 20.0);
    double eased = 20.0 * vx() * t * t * t;
    EXPECT_LT(eased, 20.0 * vx() * 0.5);
    EXPECT_NEAR(player->getUp().x, std::sin(eased * degree), 1e-5);
    release('d');
    ticks(30);

    // Moving left near the left edge: a negative tilt is never eased.
    placeAt(Vec3f(-12.0f, 0.0f, -20.0f));
    hold('a');
    ticks(5);
    EXPECT_LT(vx(), 0.0f);
    EXPECT_NEAR(player->getUp().x, std::sin(20.0 * vx() * degree), 1e-5);
    release('a');
    ticks(30);

    // Moving right near the left edge: the easing looks at |x| only.
    placeAt(Vec3f(-16.0f, 0.0f, -20.0f));
    hold('d');
    ticks(5);
    t = 2.0 * (1.0 - std::fabs(player->getPosition().x) / 20.0);
    eased = 20.0 * vx() * t * t * t;
    EXPECT_NEAR(player->getUp().x, std::sin(eased * degree), 1e-5);
}

TEST_F(PlayerFlight, PitchEasesNearTheCeilingAndTheFloor)
{
    // Climbing near the ceiling: the nose levels with t cubed over the top
    // quarter of the window.
    placeAt(Vec3f(0.0f, 20.0f, -20.0f));
    hold('s');
    ticks(4);
    double y = player->getPosition().y;
    ASSERT_GT(y, 18.75);
    double t = 4.0 * (1.0 - y / 25.0);
    double eased = 20.0 * vy() * t * t * t;
    EXPECT_NEAR(player->getForward().y, std::sin(eased * degree), 1e-5);
    EXPECT_LT(player->getForward().y, std::sin(20.0 * vy() * degree) * 0.5);
    release('s');
    ticks(30);

    // Climbing away from the floor eases too, over the bottom quarter, by
    // the distance to the floor at -8.
    placeAt(Vec3f(0.0f, -7.5f, -20.0f));
    hold('s');
    ticks(2);
    y = player->getPosition().y;
    ASSERT_LT(y, -6.0);
    t = 4.0 * (1.0 - std::fabs(y) / 8.0);
    eased = 20.0 * vy() * t * t * t;
    EXPECT_NEAR(player->getForward().y, std::sin(eased * degree), 1e-5);
    EXPECT_LT(player->getForward().y, std::sin(20.0 * vy() * degree) * 0.5);
    release('s');
    ticks(30);

    // Diving toward the floor is a negative tilt, which is never eased,
    // nor steepened just above the bottom quarter.
    placeAt(Vec3f(0.0f, -6.5f, -20.0f));
    hold('w');
    ticks(2);
    ASSERT_LT(player->getPosition().y, -6.0f);
    EXPECT_NEAR(player->getForward().y, std::sin(20.0 * vy() * degree), 1e-5);
    release('w');
    ticks(30);
    placeAt(Vec3f(0.0f, -4.8f, -20.0f));
    hold('w');
    ticks(4);
    ASSERT_LT(player->getPosition().y, -5.0f);
    ASSERT_GT(player->getPosition().y, -6.0f);
    EXPECT_NEAR(player->getForward().y, std::sin(20.0 * vy() * degree), 1e-5);
}

TEST_F(PlayerFlight, PastSixtyDegreesOfRollMotionSwapsBetweenBankAndPitch)
{
    // Climbing at 0.24 a tick and sliding right at 0.12, rolled to 60
    // degrees: still the level rule, bank from sliding, pitch from climbing.
    hold('.');
    hold('s');
    ticks(3);
    hold('d');
    ticks(3);
    ASSERT_EQ(player->getRoll(), 60);
    SCOPED_TRACE("roll 60");
    double tiltX = 20.0 * vx();
    double tiltY = 20.0 * vy();
    ASSERT_NE(tiltX, tiltY);
    expectVec(player->getUp(), std::sin(tiltX * degree), std::cos(tiltX * degree), 0.0);
    expectVec(player->getForward(), 0.0, std::sin(tiltY * degree), -std::cos(tiltY * degree));

    // At 70 degrees the ship lies on its side: climbing banks it and
    // sliding right pitches the nose down.
    ticks(1);
    ASSERT_EQ(player->getRoll(), 70);
    SCOPED_TRACE("roll 70");
    tiltX = 20.0 * vx();
    tiltY = 20.0 * vy();
    expectVec(player->getUp(), std::sin(tiltY * degree), std::cos(tiltY * degree), 0.0);
    expectVec(player->getForward(), 0.0, -std::sin(tiltX * degree), -std::cos(tiltX * degree));

    // Rolled the other way, both turn the other way.
    release('.');
    hold('-');
    ticks(13);
    ASSERT_EQ(player->getRoll(), -60);
    SCOPED_TRACE("roll -60");
    tiltX = 20.0 * vx();
    tiltY = 20.0 * vy();
    expectVec(player->getUp(), std::sin(tiltX * degree), std::cos(tiltX * degree), 0.0);
    expectVec(player->getForward(), 0.0, std::sin(tiltY * degree), -std::cos(tiltY * degree));
    ticks(1);
    ASSERT_EQ(player->getRoll(), -70);
    SCOPED_TRACE("roll -70");
    ASSERT_LT(player->getPosition().x, 10.0f);
    ASSERT_LT(player->getPosition().y, 18.75f);
    tiltX = 20.0 * vx();
    tiltY = 20.0 * vy();
    expectVec(player->getUp(), -std::sin(tiltY * degree), std::cos(tiltY * degree), 0.0);
    expectVec(player->getForward(), 0.0, std::sin(tiltX * degree), -std::cos(tiltX * degree));
}

TEST_F(PlayerFlight, BoxIsMovedThenScaledAndFollowsTheShip)
{
    Ship reference;
    AABoundBox expected = *reference.getBox();
    const Vec3f size(expected.getMaxCorner().x - expected.getMinCorner().x,
                     expected.getMaxCorner().y - expected.getMinCorner().y,
                     expected.getMaxCorner().z - expected.getMinCorner().z);

    // Scaling about the origin after the move pulls the centre toward it.
    const AABoundBox* box = player->getBox();
    expectVec(box->getCentre(), 0.0, 0.0, -16.0, 1e-4);
    const Vec3f placedSize(box->getMaxCorner().x - box->getMinCorner().x,
                           box->getMaxCorner().y - box->getMinCorner().y,
                           box->getMaxCorner().z - box->getMinCorner().z);
    expectVec(placedSize, size.x * 0.8, size.y * 0.5, size.z * 0.8, 1e-4);

    player->update();
    expectVec(box->getCentre(), 0.0, 0.0, -20.0);
    hold('d');
    hold('s');
    ticks(10);
    const Vec3f p = player->getPosition();
    expectVec(box->getCentre(), p.x, p.y, p.z);
    const Vec3f flownSize(box->getMaxCorner().x - box->getMinCorner().x,
                          box->getMaxCorner().y - box->getMinCorner().y,
                          box->getMaxCorner().z - box->getMinCorner().z);
    expectVec(flownSize, placedSize.x, placedSize.y, placedSize.z, 1e-4);
}

TEST_F(GlTest, PlayerDrawBeforePlaceDrawsNothing)
{
    Camera camera(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    Input input;
    Player player(&camera, &input);
    const GLfloat sentinel[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, sentinel);

    player.draw();
    GLfloat diffuse[4] = {};
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], 0.1f);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(countLitPixels(readBackBuffer()), 0);
}

TEST_F(PlayerFlight, DrawLeavesCullingDepthWritesModulateAndTheMatrix)
{
    player->update();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.lookAt();
    GLfloat before[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, before);

    player->draw();

    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(depthMask, GL_TRUE);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint blendSource = 0;
    glGetIntegerv(GL_BLEND_SRC, &blendSource);
    EXPECT_EQ(blendSource, GL_SRC_ALPHA);
    GLfloat after[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(after[i], before[i]) << "element " << i;
    }
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(PlayerFlight, ShipIsSeenFromBehindBelowTheViewCentre)
{
    player->update();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.lookAt();
    const GLfloat light[4] = {-50.0f, 50.0f, 80.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    player->draw();

    const std::vector<unsigned char> rgba = readBackBuffer();
    savePng("/tmp/zarvy-player.png", rgba, 800, 600);
    // The camera sits 5 units above the ship and looks 10 units ahead of
    // it, so the ship shows in the lower half, around the middle column.
    int lower = 0;
    int upper = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 300; x < 500; ++x) {
            const unsigned char* p = &rgba[(y * 800 + x) * 4];
            if (p[0] > 8 || p[1] > 8 || p[2] > 8) {
                (y < 300 ? lower : upper) += 1;
            }
        }
    }
    EXPECT_GT(lower, 500);
    EXPECT_EQ(upper, 0);
}
