#ifndef ZARVY_TESTS_GAME_GAMETESTSUPPORT_H
#define ZARVY_TESTS_GAME_GAMETESTSUPPORT_H

#include "app/Input.h"
#include "game/Asteroid.h"
#include "game/AsteroidsField.h"
#include "game/GameRandom.h"
#include "game/Player.h"
#include "render/Camera.h"
#include "render/Material.h"
#include "support/GlTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

inline void expectVec(const Vec3f& v, double x, double y, double z, double tolerance = 1e-5)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

// Pixels of an RGBA read-back whose colour is not (nearly) black.
inline int countLitPixels(const std::vector<unsigned char>& rgba)
{
    int lit = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i] > 8 || rgba[i + 1] > 8 || rgba[i + 2] > 8) {
            ++lit;
        }
    }
    return lit;
}

// A field built from a fixed seed with the start-up arguments (box from
// -50 to 50 in x and y and -500 to 0 in z, 250 asteroids of scale 2 to 10,
// 20 stones), a player placed at depth -20 for its update, and the shared
// asteroid material whose diffuse alpha is 1, so the alpha GL holds after a
// draw is the fade of the last asteroid drawn.
class FieldTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        player = new Player(&camera, &input);
        player->place(Vec3f(0.0f, 0.0f, -20.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f));
        field = build(2.0f, 10.0f);
    }

    void TearDown() override
    {
        delete field;
        delete player;
        GlTest::TearDown();
    }

    AsteroidsField* build(float minScale, float maxScale, unsigned seed = 42)
    {
        seedRandom(seed);
        return new AsteroidsField(Vec3f(0.0f, 0.0f, -250.0f), 100.0f, 100.0f, 500.0f, 250, 20,
                                  maxScale, minScale, &material, nullptr, &camera);
    }

    // Switches every asteroid off and parks it far away, so a test can set
    // up exactly the asteroids it switches back on.
    static void isolate(AsteroidsField* f)
    {
        for (Asteroid* a : f->getAsteroids()) {
            a->setActive(false);
            a->setPosition(Vec3f(0.0f, 0.0f, -450.0f));
        }
    }

    static bool isFragment(const AsteroidsField* f, const Asteroid* a)
    {
        const std::vector<Asteroid*>& pool = f->getFragments();
        return std::find(pool.begin(), pool.end(), a) != pool.end();
    }

    // The k-th regular (not pool) asteroid in list order.
    static Asteroid* regular(const AsteroidsField* f, int k)
    {
        for (Asteroid* a : f->getAsteroids()) {
            if (!isFragment(f, a) && k-- == 0) {
                return a;
            }
        }
        return nullptr;
    }

    // Switches a on at p, moving along direction at its own speed.
    static void activate(Asteroid* a, Vec3f p, Vec3f direction, float speed)
    {
        a->setPosition(p);
        a->setDirection(direction);
        a->setSpeed(speed);
        a->setActive(true);
    }

    static int indexOf(const AsteroidsField* f, const Asteroid* a)
    {
        const std::vector<Asteroid*>& list = f->getAsteroids();
        return static_cast<int>(std::find(list.begin(), list.end(), a) - list.begin());
    }

    static bool sortedByDepth(const AsteroidsField* f)
    {
        const std::vector<Asteroid*>& list = f->getAsteroids();
        for (size_t i = 1; i < list.size(); ++i) {
            if (list[i - 1]->getPosition().z > list[i]->getPosition().z) {
                return false;
            }
        }
        return true;
    }

    Material material{Vec4f(0.7f, 0.55f, 0.4f, 1.0f), Vec4f(8.0f, 0.6f, 0.5f, 1.0f),
                      Vec4f(0.2f, 0.2f, 0.2f, 1.0f), 64.0f};
    Camera camera{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    Input input;
    Player* player = nullptr;
    AsteroidsField* field = nullptr;
};

#endif
