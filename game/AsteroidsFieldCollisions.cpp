#include "game/AsteroidsField.h"

#include "game/Asteroid.h"
#include "game/GameRandom.h"
#include "math/AABoundBox.h"
#include "render/Billboard.h"

#include <cstdio>

namespace {
// Collision tests skipped after a hit, so one rock cannot hit twice.
const int immunityTicks = 100;
const int explosionLife = 10;
// 4/3 pi, rounded: a scale times this is the asteroid's "volume" used to
// budget how many fragments a destroyed asteroid throws out. Kept in double:
// a scale of 1.5 then needs exactly the pool's first three members
// (0.5 + 1.0 + 1.5), where a float constant leaves a hair of budget and
// takes a fourth fragment, with four more random draws.
const double volumeFactor = 4.188685480245;
// Fragments start this much farther from the camera than the rock they
// replace, so they fly out behind the ship rather than into it.
const float fragmentSetBack = 10.0f;
}

bool AsteroidsField::collide(AABoundBox* box, float zLow, float zHigh)
{
    if (immunity > 0) {
        --immunity;
        printf("playerImun %d\n", immunity);
        return false;
    }
    const int size = static_cast<int>(asteroids.size());
    int hit = -1;
    for (int i = 0; i < size; ++i) {
        const Asteroid* asteroid = asteroids[i];
        const float z = asteroid->getPosition().z;
        if (asteroid->isActive() && zLow < z && z < zHigh && box->intersects(asteroid->getSphere())) {
            hit = i;
            break;
        }
    }
    if (hit < 0) {
        return false;
    }

    Asteroid* destroyed = asteroids[hit];
    spawnFragments(destroyed);
    // Read after the fragments: a pool asteroid that is hit has just been
    // moved with the others, and the explosion follows it.
    const float blastSize = destroyed->getScale();
    explosion->start(destroyed->getPosition(), Vec3f(0.0f, 0.0f, 1.0f), Vec3f(0.0f, 1.0f, 0.0f),
                     blastSize, blastSize, explosionLife);
    destroyed->setActive(false);
    immunity = immunityTicks;
    printf("Collision with Asteroid %d\n", hit);
    sortByDepth();
    return true;
}

void AsteroidsField::spawnFragments(Asteroid* destroyed)
{
    // Fragments are taken from the front of the pool until their volumes
    // add up to twice the destroyed asteroid's. Each step works in double
    // and stores the budget as a float.
    float budget = static_cast<float>(destroyed->getScale() * volumeFactor * 2.0);
    const int count = static_cast<int>(fragments.size());
    for (int j = 0; j < count && budget > 0.0f; ++j) {
        // Three draws, the first for z, then the speed.
        const double a = randomUnit();
        const double b = randomUnit();
        const double c = randomUnit();
        const Vec3f offset(static_cast<float>(c - 0.5), static_cast<float>(b - 0.5),
                           static_cast<float>(a - 0.5));
        const float fragmentSpeed = static_cast<float>(randomUnit() * 0.2 + 0.2);

        Vec3f p = destroyed->getPosition();
        p.add(offset);
        p.z -= fragmentSetBack;

        Asteroid* fragment = fragments[j];
        fragment->setPosition(p);
        fragment->setDirection(offset);
        fragment->setSpeed(fragmentSpeed);
        budget = static_cast<float>(budget - fragment->getScale() * volumeFactor);
        fragment->setActive(true);
    }
}
