#ifndef ZARVY_TOOLS_SHIPTABLES_H
#define ZARVY_TOOLS_SHIPTABLES_H

#include "ShipShape.h"

#include <array>
#include <string>
#include <vector>

// The fighter's shape as the game's constant tables: positions, normals and
// texture coordinates with every value rounded to 4 decimals, and triangles
// of (position, texture coordinate, normal) index triples. Equal rounded
// values share one entry; every table is numbered in the order in which the
// triangle list first uses its entries.
struct ShipTables {
    std::vector<std::array<double, 3>> positions;
    std::vector<std::array<double, 3>> normals;
    std::vector<std::array<double, 2>> texCoords;
    // triangles[t][k] = {position, texture coordinate, normal}.
    std::vector<std::array<std::array<int, 3>, 3>> triangles;
};

// Normals are averaged over the triangles around a position, weighted by
// their corner angles, among the corners whose smoothing tags share a group:
// the upper and lower skins of the hull meet in a crease along the outline,
// and each pod has creases at the nozzle rim and around the burner face.
ShipTables makeShipTables(const ShipShape& shape);

// The number of distinct (position, texture coordinate, normal) triples.
int distinctCornerCount(const ShipTables& tables);

// The tables as the C++ source of scene/ShipData.cpp.
std::string formatShipData(const ShipTables& tables);

#endif
