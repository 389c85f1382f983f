// Runs the fighter's mesh generator and the texture painter as programs and
// checks what they write: the committed scene/ShipData.cpp must be exactly
// what the generator makes, and the painted skin must follow the mesh.

#include <gtest/gtest.h>

#include "scene/ShipData.h"
#include "tools/shipgen/ShipAtlas.h"

#include <IL/il.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string buildDir()
{
    const char* dir = std::getenv("ZARVY_BUILD_DIR");
    return dir != nullptr ? dir : "build";
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A fresh folder under the system's temporary folder.
std::string makeTempDir()
{
    char pattern[] = "/tmp/zarvy-shipgen-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir != nullptr ? dir : "";
}

int run(const std::string& command)
{
    const int status = std::system((command + " > /dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first line where two texts differ, for a readable failure.
std::string firstDifference(const std::string& a, const std::string& b)
{
    std::istringstream sa(a);
    std::istringstream sb(b);
    std::string la;
    std::string lb;
    int line = 1;
    while (true) {
        const bool ga = static_cast<bool>(std::getline(sa, la));
        const bool gb = static_cast<bool>(std::getline(sb, lb));
        if (!ga && !gb) {
            return "no difference";
        }
        if (!ga || !gb || la != lb) {
            return "line " + std::to_string(line) + ": '" + (ga ? la : "<end>") + "' vs '" +
                   (gb ? lb : "<end>") + "'";
        }
        ++line;
    }
}

// The texture coordinate a hull-top triangle gives the position nearest p.
bool topViewCoordinate(float x, float y, float z, float& u, float& v)
{
    double best = 1e9;
    for (int t = 0; t < shipTriangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            const int* corner = shipTriangles[t][k];
            const float* c = shipTexCoords[corner[1]];
            if (ShipAtlas::partAt(c[0], c[1]) != ShipAtlas::HullTop) {
                continue;
            }
            const float* q = shipPositions[corner[0]];
            const double d = std::fabs(q[0] - x) + std::fabs(q[1] - y) + std::fabs(q[2] - z);
            if (d < best) {
                best = d;
                u = c[0];
                v = c[1];
            }
        }
    }
    return best < 1e-3;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;

    // Rows as the texture loader hands them to OpenGL: the first row is v = 0.
    const unsigned char* at(float u, float v) const
    {
        const int x = std::min(width - 1, static_cast<int>(u * width));
        const int y = std::min(height - 1, static_cast<int>(v * height));
        return &rgba[(static_cast<size_t>(y) * width + x) * 4];
    }
};

bool loadPicture(const std::string& path, Picture& picture)
{
    static bool initialised = false;
    if (!initialised) {
        ilInit();
        initialised = true;
    }
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    const bool ok = ilLoadImage(path.c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    if (ok) {
        picture.width = ilGetInteger(IL_IMAGE_WIDTH);
        picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* data = ilGetData();
        picture.rgba.assign(data, data + static_cast<size_t>(picture.width) * picture.height * 4);
    }
    ilDeleteImages(1, &id);
    return ok;
}

}

TEST(ShipgenOutput, ReproducesTheCommittedShipData)
{
    const std::string dir = makeTempDir();
    ASSERT_FALSE(dir.empty());
    const std::string out = dir + "/ShipData.cpp";
    ASSERT_EQ(run(buildDir() + "/zarvy-shipgen '" + out + "'"), 0);
    const std::string made = readFile(out);
    const std::string committed = readFile("scene/ShipData.cpp");
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(made == committed) << "regenerate with zarvy-shipgen scene/ShipData.cpp; first "
                                   << firstDifference(made, committed);
    std::remove(out.c_str());
    rmdir(dir.c_str());
}

TEST(ShipgenArguments, HelpSucceedsAndUnknownOptionsFail)
{
    EXPECT_EQ(run(buildDir() + "/zarvy-shipgen --help"), 0);
    EXPECT_EQ(run(buildDir() + "/zarvy-shipgen --stats"), 0);
    EXPECT_EQ(run(buildDir() + "/zarvy-shipgen --bogus"), 2);
    EXPECT_EQ(run(buildDir() + "/zarvy-shipgen a b"), 2);
}

TEST(ShipgenArguments, UnwritableOutputFails)
{
    EXPECT_EQ(run(buildDir() + "/zarvy-shipgen /nonexistent-folder/ShipData.cpp"), 1);
}

TEST(FighterSkin, IsOpaqueAndPaintsTheCanopyAndWingsWhereTheMeshPutsThem)
{
    const std::string dir = makeTempDir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(run(buildDir() + "/zarvy-texgen '" + dir + "'"), 0);
    Picture skin;
    ASSERT_TRUE(loadPicture(dir + "/fighter.png", skin));
    ASSERT_GT(skin.width, 0);

    // The game blends everything it draws: any alpha below 1 would let the
    // background show through the fighter.
    int translucent = 0;
    for (size_t i = 3; i < skin.rgba.size(); i += 4) {
        translucent += skin.rgba[i] != 255 ? 1 : 0;
    }
    EXPECT_EQ(translucent, 0);

    // The canopy's crown is dark glass, tinted blue; the outer wing's top is
    // light paint.
    float u = 0.0f;
    float v = 0.0f;
    ASSERT_TRUE(topViewCoordinate(0.12f, 0.53f, 0.85f, u, v));
    const unsigned char* glass = skin.at(u, v);
    EXPECT_LT(glass[0] + glass[1] + glass[2], 3 * 110);
    EXPECT_GT(glass[2], glass[0]);
    ASSERT_TRUE(topViewCoordinate(-2.55f, -0.32f, -2.50f, u, v));
    const unsigned char* wing = skin.at(u, v);
    EXPECT_GT(wing[0] + wing[1] + wing[2], 3 * 170);

    for (const char* name : {"asteroid_v8.jpg", "front.png", "clouds.png", "fighter.png", "flame.png",
                             "flameBottom.png", "explosion.png"}) {
        std::remove((dir + "/" + name).c_str());
    }
    rmdir(dir.c_str());
}
