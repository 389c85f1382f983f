#ifndef ZARVY_TOOLS_FIGHTERSKIN_H
#define ZARVY_TOOLS_FIGHTERSKIN_H

#include <vector>

// Paints the fighter's skin into `rgba` (width x height, RGBA, top row
// first), laid out to match the ship mesh's texture coordinates.
void paintFighterSkin(std::vector<unsigned char>& rgba, int width, int height);

#endif
