#ifndef ZARVY_TOOLS_ROCK_H
#define ZARVY_TOOLS_ROCK_H

#include <vector>

// Paints a grey-brown, cratered and pitted rock surface into `rgba` (width x
// height, RGBA, opaque, top row first). The picture tiles seamlessly in both
// directions, since the asteroids and the planet repeat it around spheres.
// Those spheres spread one repeat over twice as much surface across as
// down, so craters are painted half as wide as tall and come out round.
// Features scale with the size; width and height should be equal.
void paintRock(std::vector<unsigned char>& rgba, int width, int height);

#endif
