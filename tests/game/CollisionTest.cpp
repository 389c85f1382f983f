#include "GameTestSupport.h"

#include "game/GameRandom.h"
#include "math/AABoundBox.h"
#include "math/BoundingSphere.h"
#include "render/Billboard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {
// A 2 by 2 by 2 box centred on (0, 0, z).
AABoundBox boxAt(float z)
{
    return AABoundBox(Vec3f(1.0f, 1.0f, z + 1.0f), Vec3f(-1.0f, -1.0f, z - 1.0f));
}

int activeFragments(const AsteroidsField* f)
{
    int count = 0;
    for (const Asteroid* a : f->getFragments()) {
        count += a->isActive() ? 1 : 0;
    }
    return count;
}
}

TEST_F(FieldTest, DepthWindowBoundsAreStrict)
{
    isolate(field);
    Asteroid* a = regular(field, 0);
    for (float z : {0.0f, -20.0f}) {
        activate(a, Vec3f(0.0f, 0.0f, z), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
        AABoundBox box = boxAt(z);
        EXPECT_FALSE(field->collide(&box, -20.0f, 0.0f)) << "depth " << z;
    }
    EXPECT_EQ(field->getImmunity(), 0);

    // Inactive asteroids are never hit, even inside the window.
    a->setPosition(Vec3f(0.0f, 0.0f, -10.0f));
    a->setActive(false);
    AABoundBox box = boxAt(-10.0f);
    EXPECT_FALSE(field->collide(&box, -20.0f, 0.0f));

    activate(a, Vec3f(0.0f, 0.0f, -19.99f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(field->collide(player->getBox(), -20.0f, 0.0f));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(field->getImmunity(), 100);
}

TEST_F(FieldTest, HitPrintsListPositionThenHundredImmuneCalls)
{
    isolate(field);
    Asteroid* first = regular(field, 0);
    Asteroid* second = regular(field, 1);
    activate(first, Vec3f(0.0f, 0.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    field->sortByDepth();
    const int index = indexOf(field, first);
    AABoundBox box = boxAt(-10.0f);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(field->collide(&box, -20.0f, 0.0f));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Collision with Asteroid " + std::to_string(index) + "\n");
    EXPECT_FALSE(first->isActive());

    // Another rock right inside the box is not hit while the ship is immune.
    activate(second, Vec3f(0.0f, 0.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    std::string expected;
    testing::internal::CaptureStdout();
    for (int call = 0; call < 100; ++call) {
        EXPECT_FALSE(field->collide(&box, -20.0f, 0.0f)) << "call " << call;
        expected += "playerImun " + std::to_string(99 - call) + "\n";
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
    EXPECT_EQ(field->getImmunity(), 0);

    const int secondIndex = indexOf(field, second);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(field->collide(&box, -20.0f, 0.0f));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Collision with Asteroid " + std::to_string(secondIndex) + "\n");
}

TEST_F(FieldTest, FragmentCountFollowsTheDestroyedVolume)
{
    // The pool's scales run 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 0.5, ...: fragments
    // are taken until their scales add up to twice the destroyed one's, and
    // a sum that reaches it exactly (1.5 and 2.5) takes no further fragment.
    // Each fragment takes four draws, so the draw after them shows the count.
    const struct {
        float scale;
        int fragments;
    } cases[] = {{1.5f, 3}, {2.0f, 4}, {2.5f, 4}, {10.0f, 12}};
    for (const auto& c : cases) {
        seedRandom(5);
        std::vector<int> draws;
        for (int k = 0; k <= 4 * c.fragments; ++k) {
            draws.push_back(randomDraw());
        }

        isolate(field);
        Asteroid destroyed(c.scale, Vec3f(0.0f, 0.0f, -10.0f), nullptr, nullptr, nullptr, true);
        seedRandom(5);
        field->spawnFragments(&destroyed);
        EXPECT_EQ(activeFragments(field), c.fragments) << "scale " << c.scale;
        for (int k = 0; k < c.fragments; ++k) {
            EXPECT_TRUE(field->getFragments()[k]->isActive()) << "scale " << c.scale << ", pool member " << k;
        }
        EXPECT_EQ(randomDraw(), draws.back()) << "scale " << c.scale;
    }
}

TEST_F(FieldTest, FragmentsStartTenUnitsFartherAndFlyOutward)
{
    isolate(field);
    Asteroid destroyed(2.0f, Vec3f(3.0f, 4.0f, -10.0f), nullptr, nullptr, nullptr, true);
    seedRandom(9);
    const double a = randomUnit();
    const double b = randomUnit();
    const double c = randomUnit();
    const double u = randomUnit();
    seedRandom(9);
    field->spawnFragments(&destroyed);

    // The first draw offsets z, the third x; the fourth gives the speed.
    const Asteroid* first = field->getFragments()[0];
    EXPECT_FLOAT_EQ(first->getPosition().x, static_cast<float>(3.0 + (c - 0.5)));
    EXPECT_FLOAT_EQ(first->getPosition().y, static_cast<float>(4.0 + (b - 0.5)));
    EXPECT_FLOAT_EQ(first->getPosition().z, static_cast<float>(-10.0 + (a - 0.5) - 10.0));
    EXPECT_FLOAT_EQ(first->getSpeed(), static_cast<float>(u * 0.2 + 0.2));

    for (int k = 0; k < 4; ++k) {
        const Asteroid* f = field->getFragments()[k];
        const Vec3f offset(f->getPosition().x - 3.0f, f->getPosition().y - 4.0f,
                           f->getPosition().z + 20.0f);
        EXPECT_LE(std::fabs(offset.x), 0.5f);
        EXPECT_LE(std::fabs(offset.y), 0.5f);
        EXPECT_LE(std::fabs(offset.z), 0.5f);
        const float length = offset.length();
        EXPECT_NEAR(f->getDirection().x * length, offset.x, 1e-5);
        EXPECT_NEAR(f->getDirection().y * length, offset.y, 1e-5);
        EXPECT_NEAR(f->getDirection().z * length, offset.z, 1e-5);
        EXPECT_GE(f->getSpeed(), 0.2f);
        EXPECT_LE(f->getSpeed(), 0.4f);
        EXPECT_EQ(f->getSphere()->getCentre().z, f->getPosition().z);
    }
}

TEST_F(FieldTest, HitStartsTheExplosionAndTheRockNeverComesBack)
{
    isolate(field);
    AABoundBox box = boxAt(-10.0f);
    std::vector<Asteroid*> destroyed;
    // Puts the next regular rock into the ship's box.
    auto nextTarget = [&]() {
        Asteroid* rock = regular(field, static_cast<int>(destroyed.size()));
        activate(rock, Vec3f(0.0f, 0.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.1f);
        destroyed.push_back(rock);
    };

    nextTarget();
    field->sortByDepth();
    testing::internal::CaptureStdout();
    const bool firstHit = field->collide(&box, -20.0f, 0.0f);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(firstHit);
    EXPECT_EQ(field->getExplosion()->getLife(), 10);
    EXPECT_TRUE(sortedByDepth(field));
    field->setSpeed(1.5f);
    field->update(player);
    EXPECT_EQ(field->getExplosion()->getLife(), 9);

    // The game step for 400 ticks, with a new rock in the box whenever the
    // immunity is over, so later explosions pull fragments again. Only pool
    // asteroids may fly afterwards; destroyed rocks stay off where they were.
    int hits = 1;
    for (int tick = 0; tick < 400; ++tick) {
        field->update(player);
        if (field->getImmunity() == 0) {
            nextTarget();
        }
        testing::internal::CaptureStdout();
        hits += field->collide(&box, -20.0f, 0.0f) ? 1 : 0;
        testing::internal::GetCapturedStdout();
        for (const Asteroid* a : field->getAsteroids()) {
            ASSERT_FALSE(a->isActive() && !isFragment(field, a)) << "tick " << tick << ", list position "
                                                                 << indexOf(field, a);
        }
        for (const Asteroid* rock : destroyed) {
            ASSERT_EQ(rock->getPosition().z, -10.0f) << "tick " << tick;
        }
    }
    EXPECT_EQ(hits, 4);
}

TEST_F(FieldTest, ListIsSortedAgainRightAfterAHit)
{
    // The fragments land 10 units behind the rock, out of the list's order.
    Asteroid* rock = regular(field, 7);
    activate(rock, Vec3f(0.0f, 0.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    field->sortByDepth();
    AABoundBox box = boxAt(-10.0f);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(field->collide(&box, -20.0f, 0.0f));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(sortedByDepth(field));
}

TEST_F(FieldTest, HitPoolAsteroidIsPulledInAndThenSwitchedOff)
{
    isolate(field);
    Asteroid* pooled = field->getFragments()[0];
    activate(pooled, Vec3f(0.0f, 0.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    AABoundBox box = boxAt(-10.0f);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(field->collide(&box, -20.0f, 0.0f));
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(pooled->isActive());
    EXPECT_NEAR(pooled->getPosition().z, -20.0f, 0.5f);
    // Scale 0.5 needs one unit of scale: members 0 and 1.
    EXPECT_TRUE(field->getFragments()[1]->isActive());
    EXPECT_FALSE(field->getFragments()[2]->isActive());
}

TEST_F(FieldTest, NearPassShowsTheExplosionOnlyAfterAHit)
{
    isolate(field);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    field->drawNear();
    EXPECT_EQ(countLitPixels(readBackBuffer()), 0);

    Asteroid* rock = regular(field, 0);
    activate(rock, Vec3f(0.0f, 0.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    AABoundBox box = boxAt(-10.0f);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(field->collide(&box, -20.0f, 0.0f));
    testing::internal::GetCapturedStdout();
    // Only the explosion is left to draw once the fragments are off too.
    isolate(field);
    field->drawNear();
    const std::vector<unsigned char> rgba = readBackBuffer();
    savePng("/tmp/zarvy-explosion.png", rgba, 800, 600);
    EXPECT_GT(countLitPixels(rgba), 800 * 600 / 20);
}
