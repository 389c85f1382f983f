// The texture generator rebuilds the committed Textures/ images exactly, and
// those images have the properties the game's drawing relies on.

#include <gtest/gtest.h>

#include <IL/il.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const textureNames[] = {"asteroid_v8.jpg", "front.png",       "clouds.png",   "fighter.png",
                                    "flame.png",       "flameBottom.png", "explosion.png"};

struct Decoded {
    bool loaded = false;
    int width = 0;
    int height = 0;
    int format = 0;
    // The pixels as the file holds them (format as loaded).
    std::vector<unsigned char> raw;
    // The same pixels converted to RGBA, rows in the order DevIL gives them.
    std::vector<unsigned char> rgba;

    int alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
    const unsigned char* pixel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

Decoded decode(const std::string& path)
{
    static bool initialised = false;
    if (!initialised) {
        ilInit();
        initialised = true;
    }
    Decoded image;
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
        if (ilLoadImage(path.c_str()) == IL_TRUE) {
            image.width = ilGetInteger(IL_IMAGE_WIDTH);
            image.height = ilGetInteger(IL_IMAGE_HEIGHT);
            image.format = ilGetInteger(IL_IMAGE_FORMAT);
            const ILubyte* data = ilGetData();
            image.raw.assign(data, data + ilGetInteger(IL_IMAGE_SIZE_OF_DATA));
            if (ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) == IL_TRUE) {
                data = ilGetData();
                image.rgba.assign(data, data + static_cast<size_t>(image.width) * image.height * 4);
                image.loaded = true;
            }
        }
    ilDeleteImages(1, &id);
    return image;
}

Decoded committed(const std::string& name)
{
    return decode("Textures/" + name);
}

std::string generatorPath()
{
    const char* dir = std::getenv("ZARVY_BUILD_DIR");
    if (dir != nullptr) {
        return std::string(dir) + "/zarvy-texgen";
    }
    // Run by hand: the test program sits in tests/ under the build folder.
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "zarvy-texgen")
        .string();
}

// Runs the generator with `arguments` (already quoted for the shell) and
// returns its exit status; `output` receives its standard output and error.
int runGenerator(const std::string& arguments, std::string& output)
{
    const std::string command = "'" + generatorPath() + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[512];
    output.clear();
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool isPowerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

// Line k of the image: column k, or row k when `rows` is set; channel c.
std::vector<double> line(const Decoded& image, int k, int c, bool rows)
{
    const int length = rows ? image.width : image.height;
    std::vector<double> values(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        values[static_cast<size_t>(i)] = (rows ? image.pixel(i, k) : image.pixel(k, i))[c];
    }
    return values;
}

double meanDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += std::fabs(a[i] - b[i]);
    }
    return sum / static_cast<double>(a.size());
}

double correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    double ma = 0.0;
    double mb = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        ma += a[i];
        mb += b[i];
    }
    ma /= static_cast<double>(a.size());
    mb /= static_cast<double>(b.size());
    double ab = 0.0;
    double aa = 0.0;
    double bb = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0.0 && bb > 0.0 ? ab / std::sqrt(aa * bb) : 1.0;
}

struct LineLikeness {
    double difference = 0.0;
    double correlation = 0.0;
};

// How alike lines a and b are, averaged over the four channels.
LineLikeness compareLines(const Decoded& image, int a, int b, bool rows)
{
    LineLikeness likeness;
    for (int c = 0; c < 4; ++c) {
        const std::vector<double> first = line(image, a, c, rows);
        const std::vector<double> second = line(image, b, c, rows);
        likeness.difference += meanDifference(first, second) / 4.0;
        likeness.correlation += correlation(first, second) / 4.0;
    }
    return likeness;
}

// Across the wrap-around edge of a seamless image, the last and the first
// line are as alike as neighbouring lines inside it. Both measures are
// needed: fine rock grain makes any two columns differ by similar amounts,
// but only neighbours correlate; smooth clouds correlate over long spans,
// but only neighbours are close in value.
void expectTiles(const Decoded& image, bool rows, const std::string& name)
{
    const int size = rows ? image.height : image.width;
    LineLikeness neighbours;
    int samples = 0;
    for (int k = 0; k + 1 < size; k += 5) {
        const LineLikeness pair = compareLines(image, k, k + 1, rows);
        neighbours.difference += pair.difference;
        neighbours.correlation += pair.correlation;
        ++samples;
    }
    neighbours.difference /= samples;
    neighbours.correlation /= samples;
    const LineLikeness seam = compareLines(image, size - 1, 0, rows);
    const std::string where = name + (rows ? " rows" : " columns");
    EXPECT_LT(seam.difference, 1.5 * neighbours.difference + 1.0)
        << where << ": neighbours differ by " << neighbours.difference;
    EXPECT_GT(seam.correlation, neighbours.correlation - 0.15)
        << where << ": neighbours correlate by " << neighbours.correlation;
}

class TexgenOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/zarvy-texgen-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        folder = made;
        std::string output;
        status = runGenerator("'" + folder + "'", output);
        log = output;
    }

    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static std::string folder;
    static int status;
    static std::string log;
};

std::string TexgenOutput::folder;
int TexgenOutput::status = -1;
std::string TexgenOutput::log;

}

TEST_F(TexgenOutput, RegeneratesTheCommittedImages)
{
    ASSERT_EQ(status, 0) << log;
    for (const char* name : textureNames) {
        SCOPED_TRACE(name);
        const Decoded fresh = decode(folder + "/" + name);
        const Decoded kept = committed(name);
        ASSERT_TRUE(fresh.loaded);
        ASSERT_TRUE(kept.loaded) << "Textures/" << name << " is missing; run zarvy-texgen Textures";
        ASSERT_EQ(fresh.width, kept.width);
        ASSERT_EQ(fresh.height, kept.height);
        ASSERT_EQ(fresh.format, kept.format);
        ASSERT_EQ(fresh.raw.size(), kept.raw.size());
        if (std::string(name).find(".jpg") == std::string::npos) {
            EXPECT_TRUE(fresh.raw == kept.raw) << "regenerate with: zarvy-texgen Textures";
            continue;
        }
        // Another version of the JPEG library may encode a little differently.
        double sum = 0.0;
        int worst = 0;
        for (size_t i = 0; i < fresh.raw.size(); ++i) {
            const int d = std::abs(static_cast<int>(fresh.raw[i]) - static_cast<int>(kept.raw[i]));
            sum += d;
            worst = d > worst ? d : worst;
        }
        EXPECT_LT(sum / static_cast<double>(fresh.raw.size()), 0.25);
        EXPECT_LE(worst, 8);
    }
}

TEST(TexgenArguments, HelpNamesEveryFileAndSucceeds)
{
    std::string output;
    EXPECT_EQ(runGenerator("--help", output), 0);
    EXPECT_NE(output.find("Usage: zarvy-texgen OUTPUT_DIR"), std::string::npos) << output;
    for (const char* name : textureNames) {
        EXPECT_NE(output.find(name), std::string::npos) << name;
    }
}

TEST(TexgenArguments, BadArgumentsFailWithAMessage)
{
    std::string output;
    EXPECT_NE(runGenerator("", output), 0);
    EXPECT_NE(output.find("expected exactly one argument"), std::string::npos) << output;

    EXPECT_NE(runGenerator("--colour", output), 0);
    EXPECT_NE(output.find("unknown option '--colour'"), std::string::npos) << output;

    EXPECT_NE(runGenerator("/tmp /tmp", output), 0);
    EXPECT_NE(output.find("expected exactly one argument"), std::string::npos) << output;

    // An existing file where the folder should be.
    EXPECT_NE(runGenerator("/proc/self/status", output), 0);
    EXPECT_NE(output.find("is not a folder"), std::string::npos) << output;
}

TEST(CommittedTextures, AreSquarePowersOfTwoWithAlphaWhereBlended)
{
    for (const char* name : textureNames) {
        SCOPED_TRACE(name);
        const Decoded image = committed(name);
        ASSERT_TRUE(image.loaded);
        EXPECT_TRUE(isPowerOfTwo(image.width)) << image.width;
        EXPECT_TRUE(isPowerOfTwo(image.height)) << image.height;
        EXPECT_EQ(image.width, image.height);
    }
    // The flames, the explosion and the clouds are blended by their own alpha.
    for (const char* name : {"flame.png", "flameBottom.png", "explosion.png", "clouds.png"}) {
        EXPECT_EQ(committed(name).format, IL_RGBA) << name;
    }
}

TEST(CommittedTextures, BillboardImagesAreTransparentAlongTheBorder)
{
    // The quads are drawn whole, so any opaque border pixel would show the
    // square's edge; wrap-around filtering also mixes opposite borders.
    for (const char* name : {"flameBottom.png", "explosion.png"}) {
        SCOPED_TRACE(name);
        const Decoded image = committed(name);
        ASSERT_TRUE(image.loaded);
        const int last = image.width - 1;
        for (int k = 0; k < image.width; ++k) {
            ASSERT_EQ(image.alpha(k, 0), 0) << k;
            ASSERT_EQ(image.alpha(k, last), 0) << k;
            ASSERT_EQ(image.alpha(0, k), 0) << k;
            ASSERT_EQ(image.alpha(last, k), 0) << k;
        }
        const unsigned char* centre = image.pixel(image.width / 2, image.height / 2);
        EXPECT_GT(centre[3], 200);
        EXPECT_GT(centre[0], 200);
        EXPECT_GT(centre[1], 150);
    }
}

TEST(CommittedTextures, FlameIsHotAtTheNozzleColumnAndFadesToItsTip)
{
    // The billboard maps texture s = 0 (the first column) to the nozzle.
    const Decoded flame = committed("flame.png");
    ASSERT_TRUE(flame.loaded);
    const int w = flame.width;
    const int h = flame.height;
    for (int k = 0; k < w; ++k) {
        ASSERT_EQ(flame.alpha(k, 0), 0) << k;
        ASSERT_EQ(flame.alpha(k, h - 1), 0) << k;
    }
    // Both end columns are clear: the quad's texture coordinates reach 0
    // and 1 and wrap, so filtering mixes each end column into the other end.
    for (int k = 0; k < h; ++k) {
        ASSERT_EQ(flame.alpha(0, k), 0) << k;
        ASSERT_EQ(flame.alpha(w - 1, k), 0) << k;
    }
    const unsigned char* nozzle = flame.pixel(1, h / 2);
    EXPECT_GT(nozzle[3], 230);
    EXPECT_GT(nozzle[0], 240);
    EXPECT_GT(nozzle[1], 220);

    auto glow = [&flame](int x0, int x1) {
        double sum = 0.0;
        for (int y = 0; y < flame.height; ++y) {
            for (int x = x0; x < x1; ++x) {
                const unsigned char* p = flame.pixel(x, y);
                sum += (p[0] + p[1] + p[2]) * p[3];
            }
        }
        return sum / (x1 - x0);
    };
    EXPECT_GT(glow(0, w / 8), 4.0 * glow(w * 3 / 4, w));
}

TEST(CommittedTextures, RockAndCloudsTileSeamlessly)
{
    for (const char* name : {"asteroid_v8.jpg", "clouds.png"}) {
        const Decoded image = committed(name);
        ASSERT_TRUE(image.loaded) << name;
        expectTiles(image, false, name);
        expectTiles(image, true, name);
    }
}

TEST(CommittedTextures, CloudsAreWhitePatchesOverClearSky)
{
    const Decoded clouds = committed("clouds.png");
    ASSERT_TRUE(clouds.loaded);
    int clear = 0;
    int dense = 0;
    double denseGrey = 0.0;
    for (int y = 0; y < clouds.height; ++y) {
        for (int x = 0; x < clouds.width; ++x) {
            const unsigned char* p = clouds.pixel(x, y);
            clear += p[3] < 10 ? 1 : 0;
            if (p[3] > 200) {
                ++dense;
                denseGrey += (p[0] + p[1] + p[2]) / 3.0;
            }
        }
    }
    const double total = static_cast<double>(clouds.width) * clouds.height;
    EXPECT_GT(clear / total, 0.25);
    EXPECT_LT(clear / total, 0.8);
    EXPECT_GT(dense / total, 0.05);
    ASSERT_GT(dense, 0);
    EXPECT_GT(denseGrey / dense, 200.0);
}

TEST(CommittedTextures, SkyIsDarkWithScatteredStars)
{
    const Decoded sky = committed("front.png");
    ASSERT_TRUE(sky.loaded);
    int dark = 0;
    int stars = 0;
    for (int y = 0; y < sky.height; ++y) {
        for (int x = 0; x < sky.width; ++x) {
            const unsigned char* p = sky.pixel(x, y);
            const int luma = (p[0] * 3 + p[1] * 6 + p[2]) / 10;
            dark += luma < 40 ? 1 : 0;
            stars += luma > 200 ? 1 : 0;
        }
        ASSERT_EQ(sky.alpha(0, y), 255);
    }
    const double total = static_cast<double>(sky.width) * sky.height;
    EXPECT_GT(dark / total, 0.85);
    EXPECT_GT(stars, 100);
    EXPECT_LT(stars / total, 0.01);
}
