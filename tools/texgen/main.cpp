// zarvy-texgen: paints the game's seven texture images and writes them into
// one folder. Every picture comes from seeded noise, so the files are the
// same on every run and the committed Textures/ folder can be rebuilt.

#include "Clouds.h"
#include "Explosion.h"
#include "FighterSkin.h"
#include "Flame.h"
#include "ImageWriter.h"
#include "NozzleGlow.h"
#include "Rock.h"
#include "Starfield.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

using Painter = void (*)(std::vector<unsigned char>&, int, int);

struct TextureFile {
    const char* name = "";
    int size = 0;
    bool keepAlpha = false;
    Painter paint = nullptr;
    const char* what = "";
};

// The files the game loads from Textures/, with the sizes chosen for them.
const TextureFile textureFiles[] = {
    {"asteroid_v8.jpg", 1024, false, paintRock, "pitted rock, tiles (asteroids and planet)"},
    {"front.png", 1024, false, paintStarfield, "stars and nebula (sky backdrop)"},
    {"clouds.png", 1024, true, paintClouds, "cloud patches in alpha, tiles (planet clouds)"},
    {"fighter.png", 512, true, paintFighterSkin, "the fighter's skin"},
    {"flame.png", 256, true, paintFlame, "engine flame, nozzle at the left edge"},
    {"flameBottom.png", 128, true, paintNozzleGlow, "round nozzle glow"},
    {"explosion.png", 256, true, paintExplosion, "fireball with transparent corners"},
};

void printUsage(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: zarvy-texgen OUTPUT_DIR\n"
                 "       zarvy-texgen --help\n"
                 "\n"
                 "Paints the game's texture images and writes them into OUTPUT_DIR\n"
                 "(created if missing), replacing files of the same names:\n");
    for (const TextureFile& file : textureFiles) {
        std::fprintf(out, "  %-16s %4dx%-4d %s\n", file.name, file.size, file.size, file.what);
    }
    std::fprintf(out,
                 "\n"
                 "The pictures are the same on every run. To refresh the game's own\n"
                 "images, run it from the repository root: zarvy-texgen Textures\n");
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "zarvy-texgen: %s\n", message.c_str());
    std::fprintf(stderr, "Try 'zarvy-texgen --help'.\n");
    return 2;
}

}

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        return 0;
    }
    if (argc != 2) {
        return fail("expected exactly one argument, the output folder");
    }
    const std::string folder = argv[1];
    if (folder.empty()) {
        return fail("the output folder name is empty");
    }
    if (folder[0] == '-') {
        return fail("unknown option '" + folder + "'");
    }

    std::error_code code;
    const std::filesystem::path outputDir(folder);
    if (std::filesystem::exists(outputDir, code) && !std::filesystem::is_directory(outputDir, code)) {
        return fail("'" + folder + "' exists and is not a folder");
    }
    std::filesystem::create_directories(outputDir, code);
    if (code) {
        return fail("cannot create the folder '" + folder + "': " + code.message());
    }

    const ImageWriter writer;
    for (const TextureFile& file : textureFiles) {
        std::vector<unsigned char> rgba;
        file.paint(rgba, file.size, file.size);
        const std::string path = (outputDir / file.name).string();
        std::string error;
        if (!writer.write(path, rgba, file.size, file.size, file.keepAlpha, error)) {
            std::fprintf(stderr, "zarvy-texgen: cannot write %s: %s\n", path.c_str(), error.c_str());
            return 1;
        }
        std::printf("wrote %s (%dx%d)\n", path.c_str(), file.size, file.size);
    }
    return 0;
}
