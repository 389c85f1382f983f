// The load sequence the texture class and the fuzzers share, on bytes in
// memory and without GL: only DevIL's bound image is looked at.

#include "TextureTestSupport.h"

#include "render/ImageLoad.h"

#include <IL/il.h>
#include <gtest/gtest.h>

using namespace texturetest;

namespace {
class ImageLoadTest : public testing::Test {
protected:
    void SetUp() override
    {
        ilInit();
        ilGenImages(1, &image);
        ilBindImage(image);
    }
    void TearDown() override { ilDeleteImages(1, &image); }

    // The first pixel of the bound image, as RGBA.
    static Bytes firstPixel()
    {
        const ILubyte* data = ilGetData();
        return Bytes(data, data + 4);
    }

    ILuint image = 0;
};
}

TEST_F(ImageLoadTest, CheckedPngAndJpegBecomeRgbaOfTheirHeaderSize)
{
    const ImageFileCheck::Limits limits = ImageLoad::gameLimits(8192);
    ASSERT_EQ(ImageLoad::intoBoundImage(greyPng(5, 3, 200), limits), ImageLoad::Result::converted);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 5);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), 3);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_FORMAT), IL_RGBA);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_TYPE), IL_UNSIGNED_BYTE);
    EXPECT_EQ(firstPixel(), Bytes({200, 200, 200, 255}));

    // The content, not a name, picks DevIL's loader.
    ASSERT_EQ(ImageLoad::intoBoundImage(multiScanJpeg(16), limits), ImageLoad::Result::converted);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 16);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_FORMAT), IL_RGBA);
}

TEST_F(ImageLoadTest, BytesTheCheckRefusesNeverReachTheLoader)
{
    const ImageFileCheck::Limits limits = ImageLoad::gameLimits(8192);
    Bytes damaged = greyPng(4, 4, 90);
    damaged[chunkAt(damaged, "IDAT") + 8] ^= 0x01;
    EXPECT_EQ(ImageLoad::intoBoundImage(damaged, limits), ImageLoad::Result::notLoaded);
    EXPECT_EQ(ImageLoad::intoBoundImage(Bytes{'G', 'I', 'F', '8', '9', 'a'}, limits),
              ImageLoad::Result::notLoaded);
    EXPECT_EQ(ImageLoad::intoBoundImage(Bytes(), limits), ImageLoad::Result::notLoaded);
    // The bound image is still the empty one ilBindImage made.
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 1);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), 1);
}

TEST_F(ImageLoadTest, SidesStopAtTheTextureSizeGlAllowsAndAt8192)
{
    EXPECT_EQ(ImageLoad::intoBoundImage(greyPng(300, 1, 7), ImageLoad::gameLimits(299)),
              ImageLoad::Result::notLoaded);
    EXPECT_EQ(ImageLoad::intoBoundImage(greyPng(300, 1, 7), ImageLoad::gameLimits(300)),
              ImageLoad::Result::converted);
    // A driver allowing more does not lift the game's own limit.
    EXPECT_EQ(ImageLoad::intoBoundImage(greyPng(8193, 1, 7), ImageLoad::gameLimits(16384)),
              ImageLoad::Result::notLoaded);
    EXPECT_EQ(ImageLoad::intoBoundImage(greyPng(8192, 1, 7), ImageLoad::gameLimits(16384)),
              ImageLoad::Result::converted);
}
