#ifndef ZARVY_TOOLS_NOZZLEGLOW_H
#define ZARVY_TOOLS_NOZZLEGLOW_H

#include <vector>

// Paints the round glow of an engine nozzle seen from behind into `rgba`
// (width x height, RGBA, top row first): a white-hot centre, an orange ring
// and a blue rim, fading radially to alpha 0 before the edges, so the
// border and the corners are fully transparent.
void paintNozzleGlow(std::vector<unsigned char>& rgba, int width, int height);

#endif
