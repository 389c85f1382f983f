#ifndef ZARVY_SCENE_SHIP_H
#define ZARVY_SCENE_SHIP_H

class AABoundBox;
class VertexBufferObject;

// The fighter's geometry and its collision box. The box starts as the extents
// of the mesh in model space; the player moves and scales it, the ship never
// resets it. Drawing uses the caller's texture, material, transform and culling.
class Ship {
public:
    Ship();
    virtual ~Ship();

    Ship(const Ship&) = delete;
    Ship& operator=(const Ship&) = delete;

    void draw() const;
    AABoundBox* getBox() const { return box; }

private:
    AABoundBox* box = nullptr;
    VertexBufferObject* mesh = nullptr;
};

#endif
