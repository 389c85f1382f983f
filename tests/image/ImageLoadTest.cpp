// The load sequence the texture class and the fuzzers share, on bytes in
// memory and without GL: only DevIL's bound image is looked at.

#include "ImageTestSupport.h"

#include "image/ImageLoad.h"

#include <IL/il.h>
#include <gtest/gtest.h>

using namespace imagetest;

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

// `png` with the first bytes of its first IDAT chunk's data replaced and the
// chunk's CRC made to match again: whole to the structure check.
Bytes withImageDataStarting(Bytes png, const Bytes& start)
{
    const size_t at = chunkAt(png, "IDAT");
    const size_t length = (size_t(png[at]) << 24) | (size_t(png[at + 1]) << 16) | bigEndianLength(png, at + 2);
    std::copy(start.begin(), start.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8));
    setBigEndian(png, at + 8 + length, crc32(png.data() + at + 4, length + 4), 4);
    return png;
}
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

TEST_F(ImageLoadTest, PngWhoseImageDataDoesNotDecodeNeverReachesDevil)
{
    // The load fuzzer's first finding: whole chunks with matching CRCs, but
    // image data that is no zlib stream. DevIL refused it only after sizing
    // the bound image, and lost the row table it had allocated.
    const ImageFileCheck::Limits limits = ImageLoad::gameLimits(8192);
    const Bytes png = withImageDataStarting(greyPng(32, 32, 90), {0x9d, 0x36});
    ASSERT_TRUE(ImageFileCheck(png.data(), png.size()).fits(limits));
    EXPECT_EQ(ImageLoad::intoBoundImage(png, limits), ImageLoad::Result::notLoaded);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 1);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), 1);
}
