// A long run of the real tick under a random storm of key presses and
// releases, checking after every tick that the scene stays sound.

#include "support/GlTest.h"
#include "support/ProcessProbe.h"

#include "app/Game.h"
#include "app/Input.h"
#include "game/Asteroid.h"
#include "game/AsteroidsField.h"
#include "game/GameRandom.h"
#include "game/Player.h"
#include "math/AABoundBox.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <unordered_map>

namespace {
bool finite(const Vec3f& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
}

TEST_F(GlTest, SoakOfAHundredThousandTicksUnderAKeyStormStaysSound)
{
    input = new Input();
    seedRandom(2024);
    createScene();

    // The collision lines would fill the log; the soak checks state instead.
    auto silenced = std::make_unique<SilencedStdout>();
    ASSERT_TRUE(silenced->isSilenced());

    const unsigned char keys[] = {'w', 's', 'a', 'd', 'r', 'f', '-', '.', ' ',
                                  'q', 'e', 't', 'g', '2', '3'};
    std::mt19937 storm(99);
    std::uniform_int_distribution<int> pickKey(0, sizeof(keys) - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    bool held[sizeof(keys)] = {};

    const auto& asteroids = asteroidsField->getAsteroids();
    const size_t asteroidCount = asteroids.size();
    const size_t fragmentCount = asteroidsField->getFragments().size();
    ASSERT_EQ(asteroidCount, 280u);
    ASSERT_EQ(fragmentCount, 30u);

    std::unordered_map<const Asteroid*, float> depthBefore;
    long residentAt10000 = 0;
    int hits = 0;
    int failures = 0;
    for (int tick = 1; tick <= 100000 && failures < 10; ++tick) {
        // A few key events between ticks, as a player's hands would make.
        while (percent(storm) < 15) {
            const int k = pickKey(storm);
            if (held[k] && percent(storm) < 60) {
                keyboardUp(keys[k], 0, 0);
                held[k] = false;
            } else {
                // Repeated presses of a held key are the keyboard's auto-repeat.
                handleKeyDown(keys[k], 0, 0);
                held[k] = true;
            }
        }
        for (const Asteroid* a : asteroids) {
            depthBefore[a] = a->getPosition().z;
        }
        const int immunityBefore = asteroidsField->getImmunity();
        runTick();
        const bool hit = asteroidsField->getImmunity() == 100 && immunityBefore != 100;
        hits += hit ? 1 : 0;

        bool sound = asteroids.size() == asteroidCount
                     && asteroidsField->getFragments().size() == fragmentCount;
        // The field sorts at the start of its update (by the depths of the
        // previous tick) and again after a hit (by the depths of this tick).
        for (size_t i = 0; sound && i < asteroids.size(); ++i) {
            sound = finite(asteroids[i]->getPosition()) && finite(asteroids[i]->getDirection());
            if (sound && i > 0) {
                sound = hit ? asteroids[i - 1]->getPosition().z <= asteroids[i]->getPosition().z
                            : depthBefore[asteroids[i - 1]] <= depthBefore[asteroids[i]];
            }
        }
        const int split = asteroidsField->getSplitIndex();
        const int immunity = asteroidsField->getImmunity();
        const Vec3f ship = player->getPosition();
        const float speed = player->getSpeed();
        sound = sound && split >= 0 && split < static_cast<int>(asteroids.size())
                && immunity >= 0 && immunity <= 100
                && ship.x >= -20.0f && ship.x <= 20.0f && ship.y >= -8.0f && ship.y <= 25.0f
                && ship.z == -20.0f && speed >= 0.0f && speed <= 4.1f
                && finite(player->getBox()->getCentre());
        if (!sound) {
            ++failures;
            ADD_FAILURE() << "tick " << tick << ": split " << split << ", immunity " << immunity
                          << ", ship (" << ship.x << ", " << ship.y << ", " << ship.z << "), speed " << speed;
        }
        if (tick % 5000 == 0) {
            // A whole frame, swap included, as the game draws it.
            display();
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "frame at tick " << tick;
        }
        if (tick == 10000) {
            residentAt10000 = residentKilobytes();
        }
    }
    silenced.reset();

    // The storm flies into the field: the run must have exercised collisions.
    EXPECT_GT(hits, 0);
#ifndef __SANITIZE_ADDRESS__
    // Nothing grows while the game runs. (AddressSanitizer holds freed memory
    // in quarantine, so resident size says nothing under it.)
    EXPECT_LE(residentKilobytes(), residentAt10000 + 4096);
#else
    (void)residentAt10000;
#endif
}
