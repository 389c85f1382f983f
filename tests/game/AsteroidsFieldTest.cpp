#include "GameTestSupport.h"

#include "game/GameRandom.h"
#include "math/AABoundBox.h"
#include "math/BoundingSphere.h"
#include "render/Billboard.h"

#include <gtest/gtest.h>

#include <GL/glew.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

namespace {
bool finite(const Vec3f& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

float sentAlpha()
{
    GLfloat diffuse[4] = {};
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    return diffuse[3];
}
}

// --- Construction ---------------------------------------------------------

TEST_F(FieldTest, ConstructionPlacesEveryAsteroidApartInsideTheBox)
{
    const std::vector<Asteroid*>& list = field->getAsteroids();
    const std::vector<Asteroid*>& pool = field->getFragments();
    ASSERT_EQ(list.size(), 280u);
    ASSERT_EQ(pool.size(), 30u);
    for (size_t k = 0; k < pool.size(); ++k) {
        EXPECT_EQ(pool[k]->getScale(), (k % 6) * 0.5f + 0.5f) << "pool member " << k;
        EXPECT_NE(std::find(list.begin(), list.end(), pool[k]), list.end());
    }
    EXPECT_TRUE(sortedByDepth(field));
    for (const Asteroid* a : list) {
        const Vec3f p = a->getPosition();
        EXPECT_TRUE(a->isActive());
        EXPECT_GE(p.x, -50.0f);
        EXPECT_LE(p.x, 50.0f);
        EXPECT_GE(p.y, -50.0f);
        EXPECT_LE(p.y, 50.0f);
        EXPECT_GE(p.z, -500.0f);
        EXPECT_LE(p.z, 0.0f);
        expectVec(a->getDirection(), 0.0, 0.0, 1.0, 0.0);
        EXPECT_GE(a->getSpeed(), 0.0f);
        EXPECT_LE(a->getSpeed(), 0.2f);
        expectVec(a->getSphere()->getCentre(), p.x, p.y, p.z, 0.0);
        if (!isFragment(field, a)) {
            EXPECT_GE(a->getScale(), 2.0f);
            EXPECT_LE(a->getScale(), 10.0f);
        }
    }
    int touching = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        for (size_t j = i + 1; j < list.size(); ++j) {
            touching += list[i]->getSphere()->intersects(list[j]->getSphere()) ? 1 : 0;
        }
    }
    EXPECT_EQ(touching, 0);
    EXPECT_EQ(field->getSplitIndex(), 0);
    EXPECT_EQ(field->getImmunity(), 0);
    EXPECT_EQ(field->getSpeed(), 0.0f);
    EXPECT_EQ(field->getExplosion()->getLife(), 0);
}

TEST_F(FieldTest, OneSeedAlwaysBuildsTheSameField)
{
    AsteroidsField* again = build(2.0f, 10.0f, 42);
    AsteroidsField* other = build(2.0f, 10.0f, 43);
    int differences = 0;
    for (size_t i = 0; i < field->getAsteroids().size(); ++i) {
        const Asteroid* a = field->getAsteroids()[i];
        const Asteroid* b = again->getAsteroids()[i];
        expectVec(b->getPosition(), a->getPosition().x, a->getPosition().y, a->getPosition().z, 0.0);
        EXPECT_EQ(b->getScale(), a->getScale());
        EXPECT_EQ(b->getSpeed(), a->getSpeed());
        EXPECT_EQ(b->getAngle(), a->getAngle());
        if (other->getAsteroids()[i]->getPosition().x != a->getPosition().x) {
            ++differences;
        }
    }
    EXPECT_GT(differences, 200);
    delete other;
    delete again;
}

TEST_F(FieldTest, TooCrowdedBoxGivesUpAndReportsOnce)
{
    // A one-unit box cannot hold even one asteroid apart from the others,
    // which all start at its centre.
    testing::internal::CaptureStderr();
    seedRandom(3);
    AsteroidsField crowded(Vec3f(0.0f, 0.0f, 0.0f), 1.0f, 1.0f, 1.0f, 2, 1, 2.0f, 2.0f,
                           &material, nullptr, &camera);
    const std::string errors = testing::internal::GetCapturedStderr();

    const std::vector<Asteroid*>& list = crowded.getAsteroids();
    ASSERT_EQ(list.size(), 32u);
    size_t reports = 0;
    for (size_t at = errors.find("too crowded"); at != std::string::npos;
         at = errors.find("too crowded", at + 1)) {
        ++reports;
    }
    EXPECT_EQ(reports, list.size());
    for (const Asteroid* a : list) {
        const Vec3f p = a->getPosition();
        EXPECT_LE(std::fabs(p.x), 0.5f);
        EXPECT_LE(std::fabs(p.y), 0.5f);
        EXPECT_LE(std::fabs(p.z), 0.5f);
    }
}

// --- Motion and wrapping --------------------------------------------------

TEST_F(FieldTest, PassingTheNearFaceReappearsAtTheFarFace)
{
    isolate(field);
    Asteroid* a = regular(field, 0);
    activate(a, Vec3f(10.0f, -5.0f, -0.5f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    field->setSpeed(1.0f);
    field->update(player);
    expectVec(a->getPosition(), 10.0, -5.0, -500.0, 0.0);
    expectVec(a->getSphere()->getCentre(), 10.0, -5.0, -500.0, 0.0);
}

TEST_F(FieldTest, DriftingBeyondTheFarFaceTurnsBack)
{
    isolate(field);
    Asteroid* a = regular(field, 0);
    activate(a, Vec3f(0.0f, 0.0f, -499.5f), Vec3f(0.0f, 0.0f, -1.0f), 1.0f);
    field->update(player);
    EXPECT_FLOAT_EQ(a->getPosition().z, -500.5f);
    expectVec(a->getDirection(), 0.0, 0.0, 1.0, 0.0);
    field->update(player);
    EXPECT_FLOAT_EQ(a->getPosition().z, -499.5f);
}

TEST_F(FieldTest, SideFacesWrapToTheOppositeFace)
{
    isolate(field);
    Asteroid* right = regular(field, 0);
    Asteroid* left = regular(field, 1);
    Asteroid* top = regular(field, 2);
    Asteroid* bottom = regular(field, 3);
    activate(right, Vec3f(49.9f, 0.0f, -100.0f), Vec3f(1.0f, 0.0f, 0.0f), 0.2f);
    activate(left, Vec3f(-49.9f, 0.0f, -200.0f), Vec3f(-1.0f, 0.0f, 0.0f), 0.2f);
    activate(top, Vec3f(0.0f, 49.9f, -300.0f), Vec3f(0.0f, 1.0f, 0.0f), 0.2f);
    activate(bottom, Vec3f(0.0f, -49.9f, -400.0f), Vec3f(0.0f, -1.0f, 0.0f), 0.2f);
    field->update(player);
    expectVec(right->getPosition(), -50.0, 0.0, -100.0, 0.0);
    expectVec(left->getPosition(), 50.0, 0.0, -200.0, 0.0);
    expectVec(top->getPosition(), 0.0, -50.0, -300.0, 0.0);
    expectVec(bottom->getPosition(), 0.0, 50.0, -400.0, 0.0);

    // A rock on a face is still inside: only one past it wraps.
    activate(right, Vec3f(50.0f, 0.0f, -100.0f), Vec3f(1.0f, 0.0f, 0.0f), 0.0f);
    activate(left, Vec3f(-50.0f, 0.0f, -200.0f), Vec3f(-1.0f, 0.0f, 0.0f), 0.0f);
    activate(top, Vec3f(0.0f, 50.0f, -300.0f), Vec3f(0.0f, 1.0f, 0.0f), 0.0f);
    activate(bottom, Vec3f(0.0f, -50.0f, -400.0f), Vec3f(0.0f, -1.0f, 0.0f), 0.0f);
    Asteroid* front = regular(field, 4);
    activate(front, Vec3f(0.0f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    field->update(player);
    expectVec(right->getPosition(), 50.0, 0.0, -100.0, 0.0);
    expectVec(left->getPosition(), -50.0, 0.0, -200.0, 0.0);
    expectVec(top->getPosition(), 0.0, 50.0, -300.0, 0.0);
    expectVec(bottom->getPosition(), 0.0, -50.0, -400.0, 0.0);
    expectVec(front->getPosition(), 0.0, 0.0, 0.0, 0.0);
}

TEST_F(FieldTest, CommonDriftAddsToOwnDriftAndSpinGoesOn)
{
    isolate(field);
    Asteroid* a = regular(field, 0);
    activate(a, Vec3f(0.0f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.1f);
    const float angle = a->getAngle();
    field->update(player);
    EXPECT_FLOAT_EQ(a->getPosition().z, -99.9f);
    field->setSpeed(1.5f);
    field->update(player);
    EXPECT_FLOAT_EQ(a->getPosition().z, -98.3f);
    EXPECT_FLOAT_EQ(a->getAngle(), angle + 2.0f * a->getSpin());
}

TEST_F(FieldTest, PoolAsteroidsPastDepthZeroSwitchOff)
{
    // A box reaching to z = 250, so nothing wraps before depth 0 is passed.
    seedRandom(8);
    AsteroidsField deep(Vec3f(0.0f, 0.0f, 0.0f), 100.0f, 100.0f, 500.0f, 20, 2, 10.0f, 2.0f,
                        &material, nullptr, &camera);
    isolate(&deep);
    Asteroid* fragment = deep.getFragments()[0];
    Asteroid* rock = regular(&deep, 0);
    activate(fragment, Vec3f(0.0f, 0.0f, 10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    activate(rock, Vec3f(20.0f, 0.0f, 10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    deep.update(player);
    EXPECT_FALSE(fragment->isActive());
    EXPECT_TRUE(rock->isActive());
    // Not yet past depth 0, a fragment flies on.
    activate(fragment, Vec3f(0.0f, 0.0f, -0.5f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    deep.update(player);
    EXPECT_TRUE(fragment->isActive());
}

// --- Ordering and the split -----------------------------------------------

TEST(FieldOrder, CompareDepthGivesTheSignOfTheDepthDifference)
{
    Asteroid a(1.0f, Vec3f(0.0f, 0.0f, -10.0f), nullptr, nullptr, nullptr, true);
    Asteroid b(1.0f, Vec3f(5.0f, 0.0f, -9.7f), nullptr, nullptr, nullptr, true);
    Asteroid c(1.0f, Vec3f(0.0f, 0.0f, -300.0f), nullptr, nullptr, nullptr, true);
    const Asteroid* pa = &a;
    const Asteroid* pb = &b;
    const Asteroid* pc = &c;
    EXPECT_EQ(AsteroidsField::compareDepth(&pa, &pb), -1);
    EXPECT_EQ(AsteroidsField::compareDepth(&pb, &pa), 1);
    EXPECT_EQ(AsteroidsField::compareDepth(&pa, &pa), 0);
    EXPECT_EQ(AsteroidsField::compareDepth(&pb, &pc), 1);
    EXPECT_EQ(AsteroidsField::compareDepth(&pc, &pa), -1);
}

TEST_F(FieldTest, ListStaysSortedExactlyThroughManyTicks)
{
    field->setSpeed(1.5f);
    for (int tick = 0; tick < 200; ++tick) {
        field->update(player);
        // Sorting happens at the start of a tick, so test what the next
        // tick's sort produces.
        field->sortByDepth();
        ASSERT_TRUE(sortedByDepth(field)) << "tick " << tick;
    }
}

TEST_F(FieldTest, FindSplitIsTheFirstPositionAtOrNearerThanTheDepth)
{
    const std::vector<Asteroid*>& list = field->getAsteroids();
    const int last = static_cast<int>(list.size()) - 1;
    for (float z = -520.0f; z <= 20.0f; z += 3.7f) {
        int expected = last;
        for (int i = 0; i <= last; ++i) {
            if (list[i]->getPosition().z >= z) {
                expected = i;
                break;
            }
        }
        EXPECT_EQ(field->findSplit(z), expected) << "depth " << z;
    }
    // Every asteroid farther than the depth: the nearest is still in the
    // second pass.
    EXPECT_EQ(field->findSplit(1000.0f), last);
    EXPECT_EQ(field->findSplit(-1000.0f), 0);
}

TEST_F(FieldTest, AsteroidExactlyAtThePlayersDepthIsDrawnInTheSecondPass)
{
    Asteroid* a = regular(field, 100);
    a->setPosition(Vec3f(30.0f, 30.0f, -20.0f));
    field->sortByDepth();
    const int index = indexOf(field, a);
    ASSERT_LT(index, static_cast<int>(field->getAsteroids().size()));
    ASSERT_GT(index, 0);
    ASSERT_LT(field->getAsteroids()[index - 1]->getPosition().z, -20.0f);
    EXPECT_EQ(field->findSplit(-20.0f), index);
}

TEST_F(FieldTest, UpdateSplitsTheListAtThePlayersDepth)
{
    isolate(field);
    Asteroid* far = regular(field, 0);
    Asteroid* near = regular(field, 1);
    activate(far, Vec3f(0.0f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    activate(near, Vec3f(0.0f, 0.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    field->update(player);
    EXPECT_EQ(field->getSplitIndex(), indexOf(field, near));

    // Each pass applies the material once per asteroid it draws, with that
    // asteroid's fade: the far pass leaves the far one's, the near pass the
    // near one's. A sentinel alpha shows whether the far pass drew at all.
    const GLfloat sentinel[4] = {0.0f, 0.0f, 0.0f, 0.77f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, sentinel);
    field->drawFar();
    EXPECT_FLOAT_EQ(sentAlpha(), 1.0f);
    field->drawNear();
    EXPECT_FLOAT_EQ(sentAlpha(), 0.5f);
}

// --- Fades ----------------------------------------------------------------

TEST_F(FieldTest, AsteroidsFadeNearTheCameraAndAtTheSideFaces)
{
    struct Case {
        Vec3f position;
        float alpha;
    };
    const Case cases[] = {
        {Vec3f(0.0f, 0.0f, -100.0f), 1.0f},
        {Vec3f(0.0f, 0.0f, -20.0f), 1.0f},
        {Vec3f(0.0f, 0.0f, -10.0f), 0.5f},
        {Vec3f(48.5f, 0.0f, -100.0f), 0.5f},
        {Vec3f(-48.5f, 0.0f, -100.0f), 0.5f},
        {Vec3f(0.0f, 49.25f, -100.0f), 0.25f},
        {Vec3f(47.0f, -47.0f, -100.0f), 1.0f},
        {Vec3f(48.5f, 48.5f, -5.0f), 0.0625f},
        {Vec3f(50.0f, 0.0f, -100.0f), 0.0f},
        {Vec3f(0.0f, -50.0f, -100.0f), 0.0f},
    };
    isolate(field);
    Asteroid* a = regular(field, 0);
    a->setActive(true);
    for (const Case& c : cases) {
        a->setPosition(c.position);
        const GLfloat sentinel[4] = {0.0f, 0.0f, 0.0f, 0.77f};
        glMaterialfv(GL_FRONT, GL_DIFFUSE, sentinel);
        // Before the first update the split is 0: the near pass draws all.
        field->drawNear();
        EXPECT_FLOAT_EQ(sentAlpha(), c.alpha)
            << "at " << c.position.x << ", " << c.position.y << ", " << c.position.z;
    }
}

TEST_F(FieldTest, NearPassDrawsTheExplosionInReplaceAndRestoresModulate)
{
    // A hit on a rock 10 units in front of the camera starts the explosion
    // there; the fragments it throws out are switched off again.
    isolate(field);
    Asteroid* rock = regular(field, 0);
    activate(rock, Vec3f(0.0f, 0.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    AABoundBox box(Vec3f(1.0f, 1.0f, -9.0f), Vec3f(-1.0f, -1.0f, -11.0f));
    ASSERT_TRUE(field->collide(&box, -20.0f, 0.0f));
    ASSERT_GT(field->getExplosion()->getLife(), 0);
    isolate(field);

    // Lit from behind, the quad's lit colour is the dim global ambient
    // alone: only the texture's own colours can make it bright.
    const GLfloat fromBehind[4] = {0.0f, 0.0f, -1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, fromBehind);
    field->drawNear();
    const std::vector<unsigned char> rgba = readBackBuffer();
    int brightest = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        brightest = std::max({brightest, int(rgba[i]), int(rgba[i + 1]), int(rgba[i + 2])});
    }
    EXPECT_GT(brightest, 200) << "the explosion did not show its texture's own colours";

    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(FieldTest, StartUpFieldShowsRocksInFrontOfTheCamera)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.lookAt();
    const GLfloat light[4] = {-50.0f, 50.0f, 80.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    material.apply(1.0f, 1.0f);
    field->update(player);
    field->drawFar();
    field->drawNear();
    const std::vector<unsigned char> rgba = readBackBuffer();
    savePng("/tmp/zarvy-field.png", rgba, 800, 600);
    EXPECT_GT(countLitPixels(rgba), 20000);
}

// --- Bounces --------------------------------------------------------------

TEST_F(FieldTest, EqualScalesTurnEachAwayByTheUnitVector)
{
    isolate(field);
    Asteroid* a = field->getFragments()[0];
    Asteroid* q = field->getFragments()[6];
    ASSERT_EQ(a->getScale(), q->getScale());
    activate(a, Vec3f(0.0f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    activate(q, Vec3f(0.6f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    field->sortByDepth();
    field->bounceNeighbours(indexOf(field, a));
    const double h = std::sqrt(0.5);
    expectVec(a->getDirection(), -h, 0.0, h);
    expectVec(q->getDirection(), h, 0.0, h);
    // Only directions change.
    expectVec(a->getPosition(), 0.0, 0.0, -100.0, 0.0);
    EXPECT_EQ(q->getSpeed(), 0.0f);
}

TEST_F(FieldTest, UnequalScalesTurnTheSmallerOneMore)
{
    AsteroidsField* big = build(10.0f, 10.0f);
    isolate(big);
    Asteroid* a = regular(big, 0);
    Asteroid* q = big->getFragments()[3];
    ASSERT_EQ(a->getScale(), 10.0f);
    ASSERT_EQ(q->getScale(), 2.0f);
    activate(a, Vec3f(0.0f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    activate(q, Vec3f(11.0f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    big->sortByDepth();
    big->bounceNeighbours(indexOf(big, a));
    // A by n / 5, Q by n * 5, each then renormalised.
    const double la = std::sqrt(1.0 + 0.04);
    const double lq = std::sqrt(1.0 + 25.0);
    expectVec(a->getDirection(), -0.2 / la, 0.0, 1.0 / la);
    expectVec(q->getDirection(), 5.0 / lq, 0.0, 1.0 / lq);
    delete big;
}

TEST_F(FieldTest, EachTouchingPairBouncesOncePerTick)
{
    isolate(field);
    Asteroid* a = field->getFragments()[0];
    Asteroid* q = field->getFragments()[6];
    activate(a, Vec3f(0.0f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    activate(q, Vec3f(0.6f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    field->update(player);
    const double h = std::sqrt(0.5);
    expectVec(a->getDirection(), -h, 0.0, h);
    expectVec(q->getDirection(), h, 0.0, h);

    // Still touching in the next tick, they bounce again: every tick
    // starts with no pair handled.
    activate(a, Vec3f(0.0f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    activate(q, Vec3f(0.6f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    field->update(player);
    expectVec(a->getDirection(), -h, 0.0, h);
    expectVec(q->getDirection(), h, 0.0, h);
}

TEST_F(FieldTest, BounceWindowReachesBothEndsOfTheList)
{
    // Every asteroid 0.01 deeper than the one before it, so the list keeps
    // its order; near either end the window stops at the end itself.
    isolate(field);
    const std::vector<Asteroid*>& list = field->getAsteroids();
    const int size = static_cast<int>(list.size());
    for (int i = 0; i < size; ++i) {
        list[i]->setPosition(Vec3f(0.0f, 0.0f, -300.0f + 0.01f * static_cast<float>(i)));
    }
    field->sortByDepth();
    for (const auto& [centre, end] : {std::pair<int, int>{5, 0}, std::pair<int, int>{size - 6, size - 1}}) {
        Asteroid* a = list[centre];
        Asteroid* q = list[end];
        activate(a, a->getPosition(), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
        Vec3f p = q->getPosition();
        p.x = 0.3f;
        activate(q, p, Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
        ASSERT_EQ(indexOf(field, a), centre);
        ASSERT_EQ(indexOf(field, q), end);
        field->bounceNeighbours(centre);
        EXPECT_GT(q->getDirection().x, 0.1f) << "list position " << end << " was not reached from " << centre;
        EXPECT_LT(a->getDirection().x, -0.1f) << centre;
        a->setActive(false);
        q->setActive(false);
    }
}

TEST_F(FieldTest, BounceReachesThirtyListPositionsEachWayAndNoFurther)
{
    // Every asteroid 0.01 deeper than the one before it, so the list keeps
    // its order; the one at position 100 touches its neighbours 30 and 31
    // positions away on either side.
    isolate(field);
    const std::vector<Asteroid*>& list = field->getAsteroids();
    for (size_t i = 0; i < list.size(); ++i) {
        list[i]->setPosition(Vec3f(0.0f, 0.0f, -300.0f + 0.01f * static_cast<float>(i)));
    }
    field->sortByDepth();
    const int a = 100;
    Asteroid* centre = list[a];
    activate(centre, centre->getPosition(), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    for (int offset : {-31, -30, 30, 31}) {
        Asteroid* neighbour = list[a + offset];
        Vec3f p = neighbour->getPosition();
        p.x = 0.3f;
        activate(neighbour, p, Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
        ASSERT_TRUE(centre->getSphere()->intersects(neighbour->getSphere())) << offset;
    }
    ASSERT_EQ(indexOf(field, centre), a);

    field->bounceNeighbours(a);
    for (int offset : {-30, 30}) {
        EXPECT_GT(list[a + offset]->getDirection().x, 0.1f) << "position " << offset << " away was not reached";
    }
    for (int offset : {-31, 31}) {
        SCOPED_TRACE(testing::Message() << "position " << offset << " away was reached");
        expectVec(list[a + offset]->getDirection(), 0.0, 0.0, 1.0, 0.0);
    }
    EXPECT_LT(centre->getDirection().x, -0.1f);
}

TEST_F(FieldTest, DistantAndInactiveNeighboursAreNotBounced)
{
    isolate(field);
    Asteroid* a = field->getFragments()[0];
    Asteroid* q = field->getFragments()[6];
    Asteroid* off = field->getFragments()[12];
    activate(a, Vec3f(0.0f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    activate(q, Vec3f(1.5f, 0.0f, -100.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    off->setPosition(Vec3f(-0.5f, 0.0f, -100.0f));
    off->setDirection(Vec3f(0.0f, 0.0f, 1.0f));
    field->sortByDepth();
    field->bounceNeighbours(indexOf(field, a));
    expectVec(a->getDirection(), 0.0, 0.0, 1.0, 0.0);
    expectVec(q->getDirection(), 0.0, 0.0, 1.0, 0.0);
    expectVec(off->getDirection(), 0.0, 0.0, 1.0, 0.0);
}

TEST_F(FieldTest, CoincidingAsteroidsStayFinite)
{
    Asteroid* a = regular(field, 10);
    Asteroid* b = regular(field, 11);
    activate(a, Vec3f(5.0f, 5.0f, -200.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.1f);
    activate(b, Vec3f(5.0f, 5.0f, -200.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.1f);
    field->setSpeed(1.5f);
    for (int tick = 0; tick < 500; ++tick) {
        field->update(player);
    }
    for (const Asteroid* x : field->getAsteroids()) {
        ASSERT_TRUE(finite(x->getPosition()));
        ASSERT_TRUE(finite(x->getDirection()));
    }
    EXPECT_TRUE(finite(a->getDirection()));
    EXPECT_GT(a->getDirection().length(), 0.99f);
}
