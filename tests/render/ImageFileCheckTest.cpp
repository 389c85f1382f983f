#include "render/ImageFileCheck.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;
using Format = ImageFileCheck::Format;

ImageFileCheck check(const Bytes& bytes)
{
    return ImageFileCheck(bytes.data(), bytes.size());
}

void append32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

void append16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

// A chunk as PNG lays it out; the CRC is left 0, which the check does not read.
void appendChunk(Bytes& out, const std::string& type, const Bytes& data)
{
    append32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    append32(out, 0);
}

Bytes ihdr(uint32_t width, uint32_t height)
{
    Bytes data;
    append32(data, width);
    append32(data, height);
    data.insert(data.end(), {8, 6, 0, 0, 0});
    return data;
}

Bytes pngSignature()
{
    return {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
}

Bytes png(uint32_t width, uint32_t height)
{
    Bytes out = pngSignature();
    appendChunk(out, "IHDR", ihdr(width, height));
    appendChunk(out, "IDAT", {1, 2, 3, 4, 5});
    appendChunk(out, "IEND", {});
    return out;
}

void appendSegment(Bytes& out, unsigned char marker, const Bytes& data)
{
    out.push_back(0xff);
    out.push_back(marker);
    append16(out, static_cast<uint32_t>(data.size() + 2));
    out.insert(out.end(), data.begin(), data.end());
}

Bytes frameHeader(uint32_t width, uint32_t height)
{
    Bytes data = {8};
    append16(data, height);
    append16(data, width);
    data.insert(data.end(), {1, 1, 0x11, 0});
    return data;
}

// Start of image, an APP0 and a quantisation table, then `rest`.
Bytes jpegStart()
{
    Bytes out = {0xff, 0xd8};
    appendSegment(out, 0xe0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    appendSegment(out, 0xdb, Bytes(65, 1));
    return out;
}

Bytes jpeg(uint32_t width, uint32_t height)
{
    Bytes out = jpegStart();
    appendSegment(out, 0xc0, frameHeader(width, height));
    appendSegment(out, 0xda, {1, 1, 0, 0, 63, 0});
    out.insert(out.end(), {0x12, 0x34, 0xff, 0x00, 0x56, 0xff, 0xd9});
    return out;
}
}

TEST(ImageFileCheckPng, WholeFileGivesTheHeaderSize)
{
    const ImageFileCheck result = check(png(640, 480));
    EXPECT_EQ(result.getFormat(), Format::png);
    EXPECT_EQ(result.getWidth(), 640);
    EXPECT_EQ(result.getHeight(), 480);
    EXPECT_TRUE(result.fits(8192));
}

TEST(ImageFileCheckPng, HeaderChunkMustComeFirstWithThirteenBytes)
{
    Bytes dataFirst = pngSignature();
    appendChunk(dataFirst, "IDAT", {1, 2, 3});
    appendChunk(dataFirst, "IHDR", ihdr(4, 4));
    appendChunk(dataFirst, "IEND", {});
    EXPECT_EQ(check(dataFirst).getFormat(), Format::none);

    Bytes shortHeader = pngSignature();
    appendChunk(shortHeader, "IHDR", Bytes(12, 0));
    appendChunk(shortHeader, "IEND", {});
    EXPECT_EQ(check(shortHeader).getFormat(), Format::none);
}

TEST(ImageFileCheckPng, ChunkLengthsMustStayInsideTheFile)
{
    // A length near 2^32 must not wrap the walk round to a false IEND.
    Bytes huge = pngSignature();
    appendChunk(huge, "IHDR", ihdr(4, 4));
    append32(huge, 0xfffffff4u);
    huge.insert(huge.end(), {'t', 'E', 'X', 't'});
    appendChunk(huge, "IEND", {});
    EXPECT_EQ(check(huge).getFormat(), Format::none);

    Bytes oneTooLong = png(4, 4);
    const size_t idatStart = 8 + 25;
    oneTooLong[idatStart + 3] = 5 + 12 + 1;
    EXPECT_EQ(check(oneTooLong).getFormat(), Format::none);
}

TEST(ImageFileCheckPng, ChunksAfterIendAreNotRead)
{
    Bytes trailing = png(4, 4);
    trailing.insert(trailing.end(), {0xff, 0xff, 0xff, 0xff, 'j', 'u', 'n', 'k'});
    EXPECT_EQ(check(trailing).getFormat(), Format::png);
}

TEST(ImageFileCheckJpeg, WholeFileGivesTheFrameSize)
{
    const ImageFileCheck result = check(jpeg(320, 200));
    EXPECT_EQ(result.getFormat(), Format::jpeg);
    EXPECT_EQ(result.getWidth(), 320);
    EXPECT_EQ(result.getHeight(), 200);
}

TEST(ImageFileCheckJpeg, EveryFrameHeaderKindCountsButDhtJpgAndDac)
{
    for (unsigned marker = 0xc0; marker <= 0xcf; ++marker) {
        Bytes file = jpegStart();
        appendSegment(file, static_cast<unsigned char>(marker), frameHeader(16, 16));
        file.insert(file.end(), {0xff, 0xd9});
        const bool isFrame = marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        EXPECT_EQ(check(file).getFormat(), isFrame ? Format::jpeg : Format::none)
            << "marker " << std::hex << marker;
    }
}

TEST(ImageFileCheckJpeg, FillBytesRestartsAndSeveralScansAreStepped)
{
    Bytes file = jpegStart();
    file.insert(file.end(), {0xff, 0xff, 0xff, 0xd0, 0xff, 0x01});
    appendSegment(file, 0xc2, frameHeader(33, 44));
    for (int scan = 0; scan < 2; ++scan) {
        appendSegment(file, 0xc4, Bytes(20, 0));
        appendSegment(file, 0xda, {1, 1, 0, 0, 63, 0});
        // Coded data with a stuffed 0xFF, a restart marker and fill bytes.
        file.insert(file.end(), {0x12, 0xff, 0x00, 0x34, 0xff, 0xd3, 0x56, 0xff, 0xff});
    }
    file.insert(file.end(), {0xff, 0xd9});
    const ImageFileCheck result = check(file);
    EXPECT_EQ(result.getFormat(), Format::jpeg);
    EXPECT_EQ(result.getWidth(), 33);
    EXPECT_EQ(result.getHeight(), 44);
}

TEST(ImageFileCheckJpeg, BrokenSegmentsEndTheWalkWithoutAPicture)
{
    const Bytes end = {0xff, 0xd9};
    // Lengths 0 and 1 would not move the walk forward.
    for (unsigned char length : {0, 1}) {
        Bytes file = {0xff, 0xd8, 0xff, 0xe0, 0x00, length, 0xff, 0xc0};
        appendSegment(file, 0xc0, frameHeader(8, 8));
        file.insert(file.end(), end.begin(), end.end());
        EXPECT_EQ(check(file).getFormat(), Format::none) << "length " << int(length);
    }

    Bytes scanFirst = jpegStart();
    appendSegment(scanFirst, 0xda, {1, 1, 0, 0, 63, 0});
    appendSegment(scanFirst, 0xc0, frameHeader(8, 8));
    scanFirst.insert(scanFirst.end(), end.begin(), end.end());
    EXPECT_EQ(check(scanFirst).getFormat(), Format::none);

    Bytes endBeforeFrame = jpegStart();
    endBeforeFrame.insert(endBeforeFrame.end(), end.begin(), end.end());
    appendSegment(endBeforeFrame, 0xc0, frameHeader(8, 8));
    EXPECT_EQ(check(endBeforeFrame).getFormat(), Format::none);

    Bytes noMarker = jpegStart();
    noMarker.push_back(0x00);
    appendSegment(noMarker, 0xc0, frameHeader(8, 8));
    noMarker.insert(noMarker.end(), end.begin(), end.end());
    EXPECT_EQ(check(noMarker).getFormat(), Format::none);

    Bytes tinyFrame = jpegStart();
    appendSegment(tinyFrame, 0xc0, {8, 0, 8, 0});
    tinyFrame.insert(tinyFrame.end(), end.begin(), end.end());
    EXPECT_EQ(check(tinyFrame).getFormat(), Format::none);

    Bytes segmentPastEnd = jpegStart();
    appendSegment(segmentPastEnd, 0xc0, frameHeader(8, 8));
    segmentPastEnd.insert(segmentPastEnd.end(), {0xff, 0xe1, 0x01, 0x00, 0xff, 0xd9});
    EXPECT_EQ(check(segmentPastEnd).getFormat(), Format::none);
}

TEST(ImageFileCheckSize, FitsOnlyBetweenOneAndTheLimit)
{
    EXPECT_TRUE(check(png(8192, 8192)).fits(8192));
    EXPECT_FALSE(check(png(8193, 1)).fits(8192));
    EXPECT_FALSE(check(png(1, 8193)).fits(8192));
    EXPECT_FALSE(check(png(30000, 30000)).fits(8192));
    EXPECT_FALSE(check(png(0xffffffffu, 1)).fits(8192));
    EXPECT_FALSE(check(png(0, 16)).fits(8192));
    EXPECT_FALSE(check(png(64, 64)).fits(63));
    EXPECT_FALSE(check(jpeg(9000, 10)).fits(8192));
    // Height 0 defers the height to a later marker; such a file is not taken.
    const ImageFileCheck deferred = check(jpeg(16, 0));
    EXPECT_EQ(deferred.getFormat(), Format::jpeg);
    EXPECT_FALSE(deferred.fits(8192));
}

TEST(ImageFileCheckFormat, OtherContentIsNeitherFormat)
{
    const std::string text = "This is a text file, not a picture.\n";
    EXPECT_EQ(check(Bytes(text.begin(), text.end())).getFormat(), Format::none);
    EXPECT_EQ(check(Bytes()).getFormat(), Format::none);
    EXPECT_EQ(ImageFileCheck(nullptr, 100).getFormat(), Format::none);
    EXPECT_EQ(check(Bytes{0xff, 0xd8}).getFormat(), Format::none);
    EXPECT_EQ(check(pngSignature()).getFormat(), Format::none);
    const ImageFileCheck none = check(Bytes{'G', 'I', 'F', '8', '9', 'a'});
    EXPECT_EQ(none.getWidth(), 0);
    EXPECT_FALSE(none.fits(8192));
}
