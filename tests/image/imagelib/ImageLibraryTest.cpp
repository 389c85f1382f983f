#include <IL/il.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

// The game's DevIL-compatible calls on their own, without DevIL: the image
// table, saving and loading back, and refusals. The decoding itself is
// compared with DevIL by the render tests.

namespace {
using Bytes = std::vector<unsigned char>;

std::string scratchPath(const std::string& name)
{
    static const std::string folder = [] {
        // create_directory is false when the name is taken: try another.
        std::random_device entropy;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                                    ("zarvy-imagelib-" + std::to_string(entropy()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                return candidate.generic_string();
            }
        }
        return std::string();
    }();
    return folder + "/" + name;
}

// Six pixels of 4 bytes, each byte different, in two rows of three.
Bytes sixPixels()
{
    Bytes pixels;
    for (int i = 0; i < 24; ++i) {
        pixels.push_back(static_cast<unsigned char>(10 * i + 3));
    }
    return pixels;
}

Bytes currentData()
{
    const ILubyte* data = ilGetData();
    return Bytes(data, data + ilGetInteger(IL_IMAGE_SIZE_OF_DATA));
}

// Saves six pixels with or without declaring them top row first, loads the
// file into a fresh image and returns what it holds.
Bytes savedAndLoaded(const std::string& name, bool topRowFirst)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    Bytes pixels = sixPixels();
    EXPECT_TRUE(ilTexImage(3, 2, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data()));
    if (topRowFirst) {
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    }
    ilEnable(IL_FILE_OVERWRITE);
    EXPECT_TRUE(ilSaveImage(scratchPath(name).c_str()));
    ilDeleteImages(1, &image);

    ilGenImages(1, &image);
    ilBindImage(image);
    EXPECT_TRUE(ilLoadImage(scratchPath(name).c_str()));
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 3);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), 2);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_FORMAT), IL_RGBA);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_ORIGIN), IL_ORIGIN_UPPER_LEFT);
    const Bytes loaded = currentData();
    ilDeleteImages(1, &image);
    return loaded;
}
}

TEST(ImageLibrary, ImageTableHandsOutAndTakesBackNames)
{
    ilInit();
    ILuint names[3] = {0, 0, 0};
    ilGenImages(3, names);
    EXPECT_NE(names[0], names[1]);
    EXPECT_NE(names[1], names[2]);
    for (ILuint name : names) {
        EXPECT_TRUE(ilIsImage(name));
    }
    EXPECT_FALSE(ilIsImage(0));

    // A fresh image is one grey pixel; deleting the bound image binds image 0.
    ilBindImage(names[1]);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 1);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_FORMAT), IL_LUMINANCE);
    ilDeleteImages(1, &names[1]);
    EXPECT_FALSE(ilIsImage(names[1]));
    EXPECT_NE(ilGetData(), nullptr);

    // The name deleted last comes back first, as the texture tests expect.
    ilDeleteImages(1, &names[2]);
    ILuint again[2] = {0, 0};
    ilGenImages(2, again);
    EXPECT_EQ(again[0], names[2]);
    EXPECT_EQ(again[1], names[1]);
    ilDeleteImages(2, again);
    ilDeleteImages(1, &names[0]);
    ilShutDown();
}

TEST(ImageLibrary, SavedPngLoadsBackInFileOrder)
{
    ilInit();
    const Bytes pixels = sixPixels();
    // Made from memory the rows are bottom first, so the file starts with
    // the second row; declared top first they keep their order.
    const Bytes flipped = savedAndLoaded("bottom-first.png", false);
    EXPECT_EQ(Bytes(flipped.begin(), flipped.begin() + 12), Bytes(pixels.begin() + 12, pixels.end()));
    EXPECT_EQ(Bytes(flipped.begin() + 12, flipped.end()), Bytes(pixels.begin(), pixels.begin() + 12));
    EXPECT_EQ(savedAndLoaded("top-first.png", true), pixels);

    // As RGB, the alpha is dropped and nothing else changes.
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ASSERT_TRUE(ilLoadImage(scratchPath("top-first.png").c_str()));
    ASSERT_TRUE(ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE));
    EXPECT_EQ(ilGetInteger(IL_IMAGE_BPP), 3);
    const Bytes rgb = currentData();
    ASSERT_EQ(rgb.size(), 18u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(Bytes(rgb.begin() + 3 * i, rgb.begin() + 3 * i + 3),
                  Bytes(pixels.begin() + 4 * i, pixels.begin() + 4 * i + 3));
    }
    ilDeleteImages(1, &image);
    ilShutDown();
}

TEST(ImageLibrary, SavingReplacesAFileOnlyWhenAllowed)
{
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    Bytes pixels = sixPixels();
    ASSERT_TRUE(ilTexImage(2, 1, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data()));
    const std::string path = scratchPath("kept.png");
    std::remove(path.c_str());
    EXPECT_TRUE(ilSaveImage(path.c_str()));
    EXPECT_FALSE(ilSaveImage(path.c_str()));
    EXPECT_EQ(ilGetError(), static_cast<ILenum>(IL_FILE_ALREADY_EXISTS));
    EXPECT_TRUE(ilEnable(IL_FILE_OVERWRITE));
    EXPECT_TRUE(ilSaveImage(path.c_str()));
    // Only PNG and JPEG are written.
    EXPECT_FALSE(ilSaveImage(scratchPath("picture.bmp").c_str()));
    EXPECT_EQ(ilGetError(), static_cast<ILenum>(IL_INVALID_EXTENSION));
    EXPECT_FALSE(std::filesystem::exists(scratchPath("picture.bmp")));
    ilDeleteImages(1, &image);
    ilShutDown();
}

TEST(ImageLibrary, SavedJpegLoadsBackNearlyAsItWas)
{
    ilInit();
    ilEnable(IL_FILE_OVERWRITE);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // Two flat halves, dark at the bottom row of the picture as given
    // (lower-left origin), light at the top: the file must show the light
    // half first.
    Bytes pixels;
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 16; ++column) {
            const unsigned char shade = row < 8 ? 40 : 220;
            pixels.insert(pixels.end(), {shade, static_cast<unsigned char>(shade / 2), 90, 255});
        }
    }
    ASSERT_TRUE(ilTexImage(16, 16, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data()));
    const std::string path = scratchPath("halves.JPG");
    ASSERT_TRUE(ilSaveImage(path.c_str()));
    ASSERT_TRUE(ilLoadImage(path.c_str()));
    EXPECT_EQ(ilGetInteger(IL_IMAGE_FORMAT), IL_RGB);
    ASSERT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 16);
    ASSERT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), 16);
    const Bytes loaded = currentData();
    ASSERT_EQ(loaded.size(), 16u * 16u * 3u);
    // Rows of a loaded file come top first; quality 99 keeps flat areas
    // within a level or two, away from the edge between the halves.
    for (int row : {0, 4, 11, 15}) {
        const unsigned char shade = row < 8 ? 220 : 40;
        const unsigned char* pixel = loaded.data() + (row * 16 + 5) * 3;
        EXPECT_NEAR(pixel[0], shade, 3) << "row " << row;
        EXPECT_NEAR(pixel[1], shade / 2, 3) << "row " << row;
        EXPECT_NEAR(pixel[2], 90, 3) << "row " << row;
    }
    ilDeleteImages(1, &image);
    ilShutDown();
}

TEST(ImageLibrary, FailedLoadsKeepTheImageAndSayWhy)
{
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    Bytes pixels = sixPixels();
    ASSERT_TRUE(ilTexImage(3, 2, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data()));

    EXPECT_FALSE(ilLoadImage(scratchPath("absent.png").c_str()));
    EXPECT_EQ(ilGetError(), static_cast<ILenum>(IL_COULD_NOT_OPEN_FILE));
    const Bytes words = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    EXPECT_FALSE(ilLoadL(IL_PNG, words.data(), static_cast<ILuint>(words.size())));
    EXPECT_EQ(ilGetError(), static_cast<ILenum>(IL_LIB_PNG_ERROR));
    EXPECT_FALSE(ilLoadL(IL_JPG, words.data(), static_cast<ILuint>(words.size())));
    EXPECT_EQ(ilGetError(), static_cast<ILenum>(IL_LIB_JPEG_ERROR));
    EXPECT_EQ(ilGetError(), static_cast<ILenum>(IL_NO_ERROR));
    EXPECT_EQ(currentData(), pixels);
    // A picture of no pixels or of mismatched channels is refused.
    EXPECT_FALSE(ilTexImage(0, 2, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data()));
    EXPECT_FALSE(ilTexImage(2, 2, 1, 3, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data()));
    EXPECT_EQ(currentData(), pixels);
    ilDeleteImages(1, &image);
    ilShutDown();
}

TEST(ImageLibrary, TheGameImagesLoadByContent)
{
    ilInit();
    for (const char* path : {"Textures/asteroid_v8.jpg", "Textures/front.png", "Textures/explosion.png"}) {
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        EXPECT_TRUE(ilLoadImage(path)) << path;
        EXPECT_TRUE(ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) << path;
        EXPECT_EQ(ilGetInteger(IL_IMAGE_SIZE_OF_DATA),
                  ilGetInteger(IL_IMAGE_WIDTH) * ilGetInteger(IL_IMAGE_HEIGHT) * 4) << path;
        EXPECT_GT(ilGetInteger(IL_IMAGE_WIDTH), 1) << path;
        ilDeleteImages(1, &image);
    }
    ilShutDown();
}
