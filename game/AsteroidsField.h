#ifndef ZARVY_GAME_ASTEROIDSFIELD_H
#define ZARVY_GAME_ASTEROIDSFIELD_H

#include "math/Vec3f.h"

#include <vector>

class AABoundBox;
class Asteroid;
class Billboard;
class Camera;
class Material;
class Player;
class Stone;
class TextureObject;

// Every asteroid of the scene in a box in front of the camera: placed without
// overlap, moved by their own drift plus a common drift (the player's speed),
// wrapped around the box, bounced off one another, kept sorted by depth
// (farthest first) and drawn in two passes around the player. Also owns the
// explosion billboard and the pool of fragment asteroids used by collide().
class AsteroidsField {
public:
    AsteroidsField(Vec3f centre, float width, float height, float depth,
                   int asteroidCount, int stoneCount, float maxScale, float minScale,
                   Material* material, TextureObject* texture, Camera* camera);
    virtual ~AsteroidsField();

    AsteroidsField(const AsteroidsField&) = delete;
    AsteroidsField& operator=(const AsteroidsField&) = delete;

    void setSpeed(float s) { speed = s; }
    void update(const Player* player);
    void drawFar() const;
    void drawNear() const;
    // Tests the box against active asteroids strictly between zLow and zHigh;
    // returns true on a hit. After a hit the next 100 calls hit nothing.
    bool collide(AABoundBox* box, float zLow, float zHigh);

    // The field's own steps, public so they can be exercised directly.
    // A point of the box strictly farther than radius + scale from every
    // asteroid; after 100,000 rejected candidates it reports the crowding on
    // standard error and returns the last candidate.
    Vec3f randomFreePosition(float radius);
    // First list position whose depth is at least z, or size - 1 when every
    // asteroid lies farther than z.
    int findSplit(float z) const;
    void bounceNeighbours(int index);
    void spawnFragments(Asteroid* destroyed);
    void sortByDepth();
    // qsort comparator over Asteroid* entries: the sign of the depth difference.
    static int compareDepth(const void* a, const void* b);

    const std::vector<Asteroid*>& getAsteroids() const { return asteroids; }
    const std::vector<Asteroid*>& getFragments() const { return fragments; }
    int getSplitIndex() const { return splitIndex; }
    int getImmunity() const { return immunity; }
    float getSpeed() const { return speed; }
    const Billboard* getExplosion() const { return explosion; }

private:
    // Alpha of an asteroid at p: faded near the camera and at the side faces.
    float fadeAlpha(Vec3f p) const;
    void drawRange(int first, int last) const;

    int splitIndex = 0;
    Material* material = nullptr;
    TextureObject* texture = nullptr;
    std::vector<Stone*> stones;
    std::vector<Asteroid*> asteroids;
    std::vector<Asteroid*> fragments;
    std::vector<bool> handled;
    Vec3f centre;
    float width = 0.0f;
    float height = 0.0f;
    float depth = 0.0f;
    float maxZ = 0.0f;
    float minZ = 0.0f;
    float minX = 0.0f;
    float maxX = 0.0f;
    float maxY = 0.0f;
    float minY = 0.0f;
    int asteroidCount = 0;
    int stoneCount = 0;
    float maxScale = 0.0f;
    float minScale = 0.0f;
    float speed = 0.0f;
    int immunity = 0;
    Billboard* explosion = nullptr;
    Camera* camera = nullptr;
};

#endif
