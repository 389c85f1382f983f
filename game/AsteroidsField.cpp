#include "game/AsteroidsField.h"

#include "game/Asteroid.h"
#include "game/GameRandom.h"
#include "game/Player.h"
#include "math/BoundingSphere.h"
#include "render/Billboard.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Stone.h"

#include <GL/glew.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
const int poolSize = 30;
// A sorted list keeps touching asteroids close together, so each one is
// only compared with this many list positions on either side.
const int neighbourWindow = 30;
// Rejected candidates after which a placement gives up instead of spinning
// forever in a box that has no room left.
const int maxPlacementAttempts = 100000;
// Width of the fade band inside each side face.
const float sideFade = 3.0f;
// Depth at which the near fade begins; it reaches zero at depth 0.
const float nearFadeStart = -20.0f;

// Fades alpha over the outermost band of one side of the box; coordinates
// are absolute, so the band is symmetric about the axis.
float sideFaded(float alpha, float coordinate, float extent)
{
    const float half = extent * 0.5f;
    const float distance = std::fabs(coordinate);
    if (distance > half - sideFade) {
        return alpha * (half - distance) / sideFade;
    }
    return alpha;
}
}

AsteroidsField::AsteroidsField(Vec3f centre, float width, float height, float depth,
                               int asteroidCount, int stoneCount, float maxScale, float minScale,
                               Material* material, TextureObject* texture, Camera* camera)
    : material(material), texture(texture), centre(centre), width(width), height(height),
      depth(depth), asteroidCount(asteroidCount), stoneCount(stoneCount),
      maxScale(maxScale), minScale(minScale)
{
    maxZ = centre.z + depth * 0.5f;
    minZ = centre.z - depth * 0.5f;
    minX = centre.x - width * 0.5f;
    maxX = centre.x + width * 0.5f;
    maxY = centre.y + height * 0.5f;
    minY = centre.y - height * 0.5f;
    speed = 0.0f;
    immunity = 0;

    // Every step below draws in a fixed order, so one seed
    // always yields the same field.
    for (int i = 0; i < stoneCount; ++i) {
        stones.push_back(new Stone(1.0f, 0.3f, Vec3f(1.0f, 1.0f, 1.0f)));
    }
    this->camera = camera;

    for (int i = 0; i < asteroidCount; ++i) {
        Stone* stone = stones[randomDraw() % stoneCount];
        const float scale = static_cast<float>(minScale + randomUnit() * (maxScale - minScale));
        asteroids.push_back(new Asteroid(scale, Vec3f(0.0f, 0.0f, 0.0f), stone, nullptr, nullptr, true));
        handled.push_back(false);
    }
    // The fragment pool cycles through six small scales; its members fly
    // with the field until an explosion pulls them in.
    for (int k = 0; k < poolSize; ++k) {
        Stone* stone = stones[randomDraw() % stoneCount];
        const float scale = (k % 6) * 0.5f + 0.5f;
        Asteroid* fragment = new Asteroid(scale, Vec3f(0.0f, 0.0f, 100.0f), stone, nullptr, nullptr, true);
        asteroids.push_back(fragment);
        fragments.push_back(fragment);
        handled.push_back(false);
    }

    for (Asteroid* asteroid : asteroids) {
        asteroid->setPosition(randomFreePosition(asteroid->getScale()));
    }
    for (Asteroid* asteroid : asteroids) {
        asteroid->setDirection(Vec3f(0.0f, 0.0f, 1.0f));
        asteroid->setSpeed(static_cast<float>(randomUnit() * 0.2));
    }
    sortByDepth();

    // Hidden (no life) until the first hit starts it.
    explosion = new Billboard("Textures\\explosion.png");
}

AsteroidsField::~AsteroidsField()
{
    delete explosion;
    for (Asteroid* asteroid : asteroids) {
        delete asteroid;
    }
    for (Stone* stone : stones) {
        delete stone;
    }
}

Vec3f AsteroidsField::randomFreePosition(float radius)
{
    Vec3f candidate;
    for (int attempt = 0; attempt <= maxPlacementAttempts; ++attempt) {
        if (attempt == maxPlacementAttempts) {
            fprintf(stderr, "Asteroids field too crowded: no free place for radius %g, "
                            "placing it overlapping.\n", static_cast<double>(radius));
            break;
        }
        const double ux = randomUnit();
        const double uy = randomUnit();
        const double uz = randomUnit();
        candidate = Vec3f(static_cast<float>(ux * width - width / 2.0 + centre.x),
                          static_cast<float>(uy * height - height / 2.0 + centre.y),
                          static_cast<float>(uz * depth - depth / 2.0 + centre.z));
        // Unplaced asteroids still sit at their construction point and
        // count as obstacles there, as does the one being placed.
        bool free = true;
        for (const Asteroid* asteroid : asteroids) {
            const float distance = Vec3f(asteroid->getPosition(), candidate).length();
            if (asteroid->getScale() + radius >= distance) {
                free = false;
                break;
            }
        }
        if (free) {
            break;
        }
    }
    return candidate;
}

int AsteroidsField::compareDepth(const void* a, const void* b)
{
    const float za = (*static_cast<Asteroid* const*>(a))->getPosition().z;
    const float zb = (*static_cast<Asteroid* const*>(b))->getPosition().z;
    // The sign, not the truncated difference: a truncated difference calls
    // asteroids less than a unit apart equal and is not a consistent order.
    return (za > zb) - (za < zb);
}

void AsteroidsField::sortByDepth()
{
    if (!asteroids.empty()) {
        qsort(asteroids.data(), asteroids.size(), sizeof(Asteroid*), compareDepth);
    }
}

int AsteroidsField::findSplit(float z) const
{
    if (asteroids.empty()) {
        return 0;
    }
    int lo = 0;
    int hi = static_cast<int>(asteroids.size()) - 1;
    while (lo != hi) {
        const int mid = (lo + hi) / 2;
        if (z <= asteroids[mid]->getPosition().z) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

void AsteroidsField::bounceNeighbours(int index)
{
    const int size = static_cast<int>(asteroids.size());
    int lo = index - neighbourWindow;
    if (lo < 0) {
        lo = 0;
    }
    int hi = index + neighbourWindow;
    if (hi >= size) {
        hi = size - 1;
    }
    Asteroid* a = asteroids[index];
    for (int q = lo; q <= hi; ++q) {
        if (q == index || handled[q]) {
            continue;
        }
        Asteroid* other = asteroids[q];
        if (!other->isActive() || !a->getSphere()->intersects(other->getSphere())) {
            continue;
        }
        // Each turns away from the other, the smaller by the larger amount.
        // Two coinciding centres give a zero n and leave both unchanged.
        Vec3f n(a->getPosition(), other->getPosition());
        n.normalize();
        const float e = a->getScale() / other->getScale();
        const float inv = 1.0f / e;

        Vec3f away = n;
        away.scale(inv);
        Vec3f aDirection = a->getDirection();
        aDirection.subtract(away);
        a->setDirection(aDirection);

        Vec3f toward = n;
        toward.scale(e);
        Vec3f otherDirection = other->getDirection();
        otherDirection.add(toward);
        other->setDirection(otherDirection);
    }
    handled[index] = true;
}

void AsteroidsField::update(const Player* player)
{
    sortByDepth();
    for (size_t i = 0; i < handled.size(); ++i) {
        handled[i] = false;
    }
    const int size = static_cast<int>(asteroids.size());
    for (int i = 0; i < size; ++i) {
        Asteroid* asteroid = asteroids[i];
        if (!asteroid->isActive()) {
            continue;
        }
        bounceNeighbours(i);
        asteroid->update();

        Vec3f p = asteroid->getPosition();
        p.z += speed;
        if (maxX < p.x) {
            p.x = minX;
        }
        if (minX > p.x) {
            p.x = maxX;
        }
        if (maxY < p.y) {
            p.y = minY;
        }
        if (minY > p.y) {
            p.y = maxY;
        }
        // Past the near face it comes round from the far face; beyond the
        // far face it turns back instead.
        if (maxZ < p.z) {
            p.z = minZ;
        }
        if (minZ > p.z) {
            Vec3f d = asteroid->getDirection();
            d.z = -d.z;
            asteroid->setDirection(d);
        }
        asteroid->setPosition(p);
    }
    explosion->tick();
    for (Asteroid* fragment : fragments) {
        if (fragment->getPosition().z > 0.0f) {
            fragment->setActive(false);
        }
    }
    splitIndex = findSplit(player->getPosition().z);
}

float AsteroidsField::fadeAlpha(Vec3f p) const
{
    float alpha = 1.0f;
    if (p.z > nearFadeStart) {
        alpha *= p.z / nearFadeStart;
    }
    alpha = sideFaded(alpha, p.x, width);
    alpha = sideFaded(alpha, p.y, height);
    return alpha;
}

void AsteroidsField::drawRange(int first, int last) const
{
    // One bind per pass; the asteroids carry no texture of their own.
    if (texture != nullptr) {
        texture->bind();
    }
    for (int i = first; i < last; ++i) {
        const Asteroid* asteroid = asteroids[i];
        if (!asteroid->isActive()) {
            continue;
        }
        if (material != nullptr) {
            material->apply(1.0f, fadeAlpha(asteroid->getPosition()));
        }
        asteroid->draw();
    }
    if (texture != nullptr) {
        texture->unbind();
    }
}

void AsteroidsField::drawFar() const
{
    drawRange(0, splitIndex);
}

void AsteroidsField::drawNear() const
{
    drawRange(splitIndex, static_cast<int>(asteroids.size()));
    // The explosion shows its own texture colours, unlit and unfaded.
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        explosion->draw();
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}
