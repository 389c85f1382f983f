#ifndef ZARVY_TOOLS_STARFIELD_H
#define ZARVY_TOOLS_STARFIELD_H

#include <vector>

// Paints the deep-space backdrop into `rgba` (width x height, RGBA, opaque,
// top row first): a faint coloured nebula with dark dust lanes, thousands of
// faint stars and a few bright ones with small glows and spikes. It is shown
// as one square, so it need not tile. Width and height should be equal.
void paintStarfield(std::vector<unsigned char>& rgba, int width, int height);

#endif
