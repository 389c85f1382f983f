// The check that a PNG's image data decodes, on files built byte by byte:
// each fault is one that libpng stops on while it reads the rows.

#include "ImageTestSupport.h"

#include "image/PngDataCheck.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using imagetest::Bytes;

namespace {
using Chunks = std::vector<std::pair<const char*, Bytes>>;

bool decodes(const Bytes& png)
{
    return PngDataCheck::decodes(png.data(), png.size());
}

// An 8-bit grey PNG whose chunks after the header are `chunks`.
Bytes greyPngWith(uint32_t width, uint32_t height, const Chunks& chunks, unsigned char interlace = 0)
{
    Bytes header;
    imagetest::appendBigEndian(header, width);
    imagetest::appendBigEndian(header, height);
    header.insert(header.end(), {8, 0, 0, 0, interlace});
    Bytes png = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    imagetest::appendPngChunk(png, "IHDR", header);
    for (const auto& chunk : chunks) {
        imagetest::appendPngChunk(png, chunk.first, chunk.second);
    }
    imagetest::appendPngChunk(png, "IEND", {});
    return png;
}

// `count` filtered rows of `width` grey pixels, each led by filter type 0.
Bytes rows(uint32_t width, uint32_t count)
{
    Bytes filtered;
    for (uint32_t row = 0; row < count; ++row) {
        filtered.push_back(0);
        filtered.insert(filtered.end(), width, static_cast<unsigned char>(40 + row));
    }
    return filtered;
}
}

TEST(PngDataCheck, WholeDataDecodesInOneOrSeveralChunks)
{
    const Bytes stream = imagetest::storedZlib(rows(5, 3));
    EXPECT_TRUE(decodes(greyPngWith(5, 3, {{"IDAT", stream}})));
    const Bytes first(stream.begin(), stream.begin() + 7);
    const Bytes rest(stream.begin() + 7, stream.end());
    EXPECT_TRUE(decodes(greyPngWith(5, 3, {{"IDAT", first}, {"IDAT", rest}})));
    // Chunks before and after the image data are not part of it.
    EXPECT_TRUE(decodes(greyPngWith(5, 3, {{"tEXt", {'a', 0, 'b'}}, {"IDAT", stream}, {"tEXt", {'c', 0}}})));

    // Every filter type libpng knows.
    Bytes filtered = rows(5, 5);
    for (unsigned char type = 0; type <= 4; ++type) {
        filtered[type * 6u] = type;
    }
    EXPECT_TRUE(decodes(greyPngWith(5, 5, {{"IDAT", imagetest::storedZlib(filtered)}})));
}

TEST(PngDataCheck, InterlacedDataHoldsTheRowsOfEveryPass)
{
    // 3 by 3 pixels in Adam7: passes 1, 4, 5, 6 and 7 hold 1, 1, 1, 2 and 1
    // rows of 1, 1, 2, 1 and 3 pixels; passes 2 and 3 are empty.
    const Bytes passes = {0, 1, 0, 2, 0, 3, 4, 0, 5, 0, 6, 0, 7, 8, 9};
    EXPECT_TRUE(decodes(greyPngWith(3, 3, {{"IDAT", imagetest::storedZlib(passes)}}, 1)));
    const Bytes plain = rows(3, 3);
    ASSERT_EQ(plain.size(), 12u);
    EXPECT_FALSE(decodes(greyPngWith(3, 3, {{"IDAT", imagetest::storedZlib(plain)}}, 1)));
    EXPECT_FALSE(decodes(greyPngWith(3, 3, {{"IDAT", imagetest::storedZlib(passes)}}, 0)));
}

TEST(PngDataCheck, DataLibpngStopsOnIsRefused)
{
    const Bytes filtered = rows(5, 3);
    const Bytes stream = imagetest::storedZlib(filtered);

    // Not a zlib stream: the first bytes are no zlib header.
    Bytes noHeader = stream;
    noHeader[0] = 0x9d;
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", noHeader}})));
    // The checksum over the rows does not match, or is missing: libpng
    // looks for it as soon as it has the last row.
    Bytes badChecksum = stream;
    badChecksum.back() ^= 0x01;
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", badChecksum}})));
    const Bytes noChecksum(stream.begin(), stream.end() - 4);
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", noChecksum}})));
    // A stored block whose length and complement disagree.
    Bytes badBlock = stream;
    badBlock[5] ^= 0x01;
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", badBlock}})));
    // A filter type past 4.
    Bytes badFilter = filtered;
    badFilter[6] = 5;
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", imagetest::storedZlib(badFilter)}})));
    // One byte of the rows short, one too many.
    const Bytes shortRows(filtered.begin(), filtered.end() - 1);
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", imagetest::storedZlib(shortRows)}})));
    Bytes longRows = filtered;
    longRows.push_back(0);
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", imagetest::storedZlib(longRows)}})));
    // A stream cut before its end, and one whose rest comes after another
    // chunk, where libpng no longer looks.
    const Bytes first(stream.begin(), stream.begin() + 7);
    const Bytes rest(stream.begin() + 7, stream.end());
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", first}})));
    EXPECT_FALSE(decodes(greyPngWith(5, 3, {{"IDAT", first}, {"tEXt", {'a', 0}}, {"IDAT", rest}})));
}

TEST(PngDataCheck, TheGameImagesDecode)
{
    for (const char* name : {"clouds.png", "explosion.png", "fighter.png", "flame.png", "flameBottom.png",
                             "front.png"}) {
        const Bytes png = imagetest::readBytes(std::string("Textures/") + name);
        ASSERT_FALSE(png.empty()) << name;
        EXPECT_TRUE(decodes(png)) << name;
    }
}
