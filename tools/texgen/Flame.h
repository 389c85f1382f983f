#ifndef ZARVY_TOOLS_FLAME_H
#define ZARVY_TOOLS_FLAME_H

#include <vector>

// Paints one engine flame tongue into `rgba` (width x height, RGBA, top row
// first), lying along the rows: the nozzle end is at the first columns
// (texture s = 0), where the flame is widest and white-yellow hot; it
// narrows and cools through orange to a transparent blue tip at the last
// column. The flame is symmetric about the middle row, and its alpha carries
// the shape: the first and last rows and the first and last columns are
// fully transparent, so wrap-around filtering at the quad's edges adds
// nothing.
void paintFlame(std::vector<unsigned char>& rgba, int width, int height);

#endif
