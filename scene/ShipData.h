#ifndef ZARVY_SCENE_SHIPDATA_H
#define ZARVY_SCENE_SHIPDATA_H

// The fighter's constant mesh, written by tools/shipgen. Model space, nose
// toward +z. Each triangle corner is (position, texture coordinate, normal)
// indices into the three tables.
const int shipPositionCount = 284;
const int shipNormalCount = 296;
const int shipTexCoordCount = 574;
const int shipTriangleCount = 556;

extern const float shipPositions[shipPositionCount][3];
extern const float shipNormals[shipNormalCount][3];
extern const float shipTexCoords[shipTexCoordCount][2];
extern const int shipTriangles[shipTriangleCount][3][3];

#endif
