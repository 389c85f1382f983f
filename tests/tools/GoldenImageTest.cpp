// Renders the game's reference scenes with the snapshot tool and compares
// each with its committed golden image, allowing for rounding.

#include <gtest/gtest.h>

#include <IL/il.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {
struct Scene {
    std::string name;
    std::string seed;
    std::string ticks;
    std::string keys;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

std::vector<Scene> readScenes()
{
    std::vector<Scene> scenes;
    std::ifstream file("tests/golden/scenes.txt");
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        Scene scene;
        fields >> scene.name >> scene.seed >> scene.ticks >> scene.keys;
        if (scene.keys == "-") {
            scene.keys.clear();
        }
        scenes.push_back(scene);
    }
    return scenes;
}

std::string buildDir()
{
    const char* dir = std::getenv("ZARVY_BUILD_DIR");
    return dir != nullptr ? dir : "build";
}

bool loadImage(const std::string& path, Image& image)
{
    static bool initialised = false;
    if (!initialised) {
        ilInit();
        initialised = true;
    }
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    bool ok = ilLoadImage(path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    if (ok) {
        image.width = ilGetInteger(IL_IMAGE_WIDTH);
        image.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* data = ilGetData();
        image.rgb.assign(data, data + static_cast<size_t>(image.width) * image.height * 3);
    }
    ilDeleteImages(1, &id);
    return ok;
}

bool saveImage(const std::string& path, const Image& image)
{
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    bool ok = ilTexImage(image.width, image.height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                         const_cast<unsigned char*>(image.rgb.data()));
    if (ok) {
        ilEnable(IL_FILE_OVERWRITE);
        ok = ilSaveImage(path.c_str());
    }
    ilDeleteImages(1, &id);
    return ok;
}

// The snapshot program that renders the scenes: the build's own, or the one
// ZARVY_SNAPSHOT names (the Windows build's, run under Wine).
std::string snapshotProgram()
{
    const char* program = std::getenv("ZARVY_SNAPSHOT");
    return program != nullptr ? program : buildDir() + "/zarvy-snapshot";
}

// Where the rendered scenes and their difference images go.
std::string outputFolder()
{
    const char* folder = std::getenv("ZARVY_GOLDEN_OUTPUT");
    return folder != nullptr ? folder : "tests/output";
}

std::string snapshotCommand(const Scene& scene, const std::string& out)
{
    std::string command = snapshotProgram() + " --seed " + scene.seed + " --ticks " + scene.ticks;
    if (!scene.keys.empty()) {
        command += " --keys '" + scene.keys + "'";
    }
    return command + " --out '" + out + "' > /dev/null 2>&1";
}

// Share of pixels whose channels differ by more than `levels` in any channel.
double differingShare(const Image& a, const Image& b, int levels, Image& difference)
{
    difference = a;
    size_t differing = 0;
    const size_t pixels = a.rgb.size() / 3;
    for (size_t p = 0; p < pixels; ++p) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(a.rgb[p * 3 + c] - b.rgb[p * 3 + c]));
        }
        const bool differs = worst > levels;
        differing += differs ? 1 : 0;
        difference.rgb[p * 3 + 0] = differs ? 255 : static_cast<unsigned char>(a.rgb[p * 3] / 4);
        difference.rgb[p * 3 + 1] = differs ? 0 : static_cast<unsigned char>(a.rgb[p * 3 + 1] / 4);
        difference.rgb[p * 3 + 2] = differs ? 255 : static_cast<unsigned char>(a.rgb[p * 3 + 2] / 4);
    }
    return static_cast<double>(differing) / static_cast<double>(pixels);
}
}

TEST(GoldenImages, EverySceneMatchesItsGoldenImage)
{
    const std::vector<Scene> scenes = readScenes();
    ASSERT_EQ(scenes.size(), 6u) << "tests/golden/scenes.txt lists the reference scenes";
    const std::string output = outputFolder();
    std::filesystem::create_directories(output);
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        const std::string rendered = output + "/" + scene.name + ".png";
        const std::string golden = "tests/golden/" + scene.name + ".png";
        remove(rendered.c_str());
        ASSERT_EQ(std::system(snapshotCommand(scene, rendered).c_str()), 0) << snapshotCommand(scene, rendered);
        Image actual;
        Image expected;
        ASSERT_TRUE(loadImage(rendered, actual)) << rendered;
        ASSERT_TRUE(loadImage(golden, expected)) << golden << " is missing: run 'make goldens'";
        ASSERT_EQ(actual.width, expected.width);
        ASSERT_EQ(actual.height, expected.height);
        Image difference;
        const double share = differingShare(actual, expected, 8, difference);
        Image exactDifference;
        const double changed = differingShare(actual, expected, 0, exactDifference);
        std::cout << scene.name << ": " << 100.0 * changed << "% of pixels differ at all, " << 100.0 * share
                  << "% by more than 8 levels\n";
        const std::string differencePath = output + "/" + scene.name + ".diff.png";
        if (share > 0.005) {
            saveImage(differencePath, difference);
        }
        EXPECT_LE(share, 0.005) << 100.0 * share << "% of pixels differ by more than 8 levels; see "
                                << rendered << " and " << differencePath;
    }
}

TEST(SnapshotTool, RejectsBadArgumentsWithAMessageAndNonZeroStatus)
{
    const std::string tool = buildDir() + "/zarvy-snapshot";
    for (const std::string args : {"--ticks abc --out x.png", "--seed -3 --out x.png", "--bogus",
                                   "--ticks 5", "--keys 5-2:d --out x.png", "--keys 3:nokey --out x.png",
                                   "--keys 10 --out x.png", "--out"}) {
        EXPECT_NE(std::system((tool + " " + args + " > /dev/null 2>&1").c_str()), 0) << args;
    }
    EXPECT_EQ(std::system((tool + " --help > /dev/null 2>&1").c_str()), 0);
}
