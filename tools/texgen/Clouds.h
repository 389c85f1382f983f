#ifndef ZARVY_TOOLS_CLOUDS_H
#define ZARVY_TOOLS_CLOUDS_H

#include <vector>

// Paints soft white cloud patches into `rgba` (width x height, RGBA, top row
// first); the alpha channel carries their shape, clear sky is alpha 0. The
// picture tiles seamlessly in both directions. The planet's sphere spreads
// one repeat over twice as much surface across as down, so patches are
// painted narrower than tall. Width and height should be equal.
void paintClouds(std::vector<unsigned char>& rgba, int width, int height);

#endif
