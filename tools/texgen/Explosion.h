#ifndef ZARVY_TOOLS_EXPLOSION_H
#define ZARVY_TOOLS_EXPLOSION_H

#include <vector>

// Paints a fireball into `rgba` (width x height, RGBA, top row first): a
// turbulent white-yellow-orange core, dark red smoky edges and a few sparks.
// Alpha falls to 0 well inside the square: every pixel farther than 0.97 of
// the half-width from the centre, the corners included, is transparent.
void paintExplosion(std::vector<unsigned char>& rgba, int width, int height);

#endif
