#include "FighterSkin.h"

// Placeholder: an even metallic grey until the mesh's layout is painted.
void paintFighterSkin(std::vector<unsigned char>& rgba, int width, int height)
{
    rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = 150;
        rgba[i + 1] = 155;
        rgba[i + 2] = 165;
        rgba[i + 3] = 255;
    }
}
