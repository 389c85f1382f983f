#include "image/ImageFileCheck.h"

#include <gtest/gtest.h>
#include <zlib.h>

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

// A chunk as PNG lays it out, its CRC taken over the type and the data.
void appendChunk(Bytes& out, const std::string& type, const Bytes& data)
{
    append32(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    append32(out, static_cast<uint32_t>(crc32(0L, out.data() + typeStart, static_cast<uInt>(out.size() - typeStart))));
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

// A PNG of RGBA pixels with `dataBytes` of image data, by default just
// enough for deflate to fill the picture.
Bytes png(uint32_t width, uint32_t height, size_t dataBytes = SIZE_MAX)
{
    if (dataBytes == SIZE_MAX) {
        dataBytes = static_cast<size_t>((uint64_t(height) + uint64_t(width) * height * 4) / 1032 + 1);
    }
    Bytes out = pngSignature();
    appendChunk(out, "IHDR", ihdr(width, height));
    appendChunk(out, "IDAT", Bytes(dataBytes, 0x5a));
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

// Channels 1, 2, ... with the given sampling factors (0x11 for every pixel).
Bytes frameHeader(uint32_t width, uint32_t height, const Bytes& sampling = {0x11}, unsigned char precision = 8)
{
    Bytes data = {precision};
    append16(data, height);
    append16(data, width);
    data.push_back(static_cast<unsigned char>(sampling.size()));
    for (size_t i = 0; i < sampling.size(); ++i) {
        data.insert(data.end(), {static_cast<unsigned char>(i + 1), sampling[i], 0});
    }
    return data;
}

// A scan header for the given channels and spectral range.
Bytes scanHeader(const Bytes& channels, unsigned char first = 0, unsigned char last = 63)
{
    Bytes data = {static_cast<unsigned char>(channels.size())};
    for (unsigned char channel : channels) {
        data.insert(data.end(), {channel, 0});
    }
    data.insert(data.end(), {first, last, 0});
    return data;
}

// Coded data without a 0xFF: one bit for each of `blocks` blocks, plus `extra` bytes.
Bytes codedData(int64_t blocks, int64_t extra = 0)
{
    return Bytes(static_cast<size_t>((blocks + 7) / 8 + extra), 0x12);
}

// Start of image, an APP0 and a quantisation table, then `rest`.
Bytes jpegStart()
{
    Bytes out = {0xff, 0xd8};
    appendSegment(out, 0xe0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    appendSegment(out, 0xdb, Bytes(65, 1));
    return out;
}

// A grey baseline JPEG with one bit of coded data per block.
Bytes jpeg(uint32_t width, uint32_t height)
{
    Bytes out = jpegStart();
    appendSegment(out, 0xc0, frameHeader(width, height));
    appendSegment(out, 0xda, scanHeader({1}));
    const Bytes coded = codedData((int64_t(width) + 7) / 8 * ((int64_t(height) + 7) / 8));
    out.insert(out.end(), coded.begin(), coded.end());
    out.insert(out.end(), {0x12, 0x34, 0xff, 0x00, 0x56, 0xff, 0xd9});
    return out;
}

void appendEnd(Bytes& out)
{
    out.insert(out.end(), {0xff, 0xd9});
}

// A sequential JPEG of three channels without subsampling, coded in one
// scan of all three or in one scan per channel.
Bytes threeChannelJpeg(uint32_t width, uint32_t height, bool scanPerChannel)
{
    Bytes out = jpegStart();
    appendSegment(out, 0xc0, frameHeader(width, height, {0x11, 0x11, 0x11}));
    const int64_t blocks = (int64_t(width) + 7) / 8 * ((int64_t(height) + 7) / 8);
    const std::vector<Bytes> scans = scanPerChannel ? std::vector<Bytes>{{1}, {2}, {3}} : std::vector<Bytes>{{1, 2, 3}};
    for (const Bytes& channels : scans) {
        appendSegment(out, 0xda, scanHeader(channels));
        const Bytes coded = codedData(blocks * static_cast<int64_t>(channels.size()));
        out.insert(out.end(), coded.begin(), coded.end());
    }
    appendEnd(out);
    return out;
}

ImageFileCheck::Limits generous()
{
    ImageFileCheck::Limits limits;
    limits.largestSide = 8192;
    limits.mostPixels = int64_t(8192) * 8192;
    limits.mostDecodedBytes = int64_t(1) << 40;
    limits.mostScans = 1000;
    return limits;
}
}

TEST(ImageFileCheckPng, WholeFileGivesTheHeaderSize)
{
    const ImageFileCheck result = check(png(640, 480));
    EXPECT_EQ(result.getFormat(), Format::png);
    EXPECT_EQ(result.getWidth(), 640);
    EXPECT_EQ(result.getHeight(), 480);
    EXPECT_TRUE(result.fits(generous()));
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

TEST(ImageFileCheckPng, EveryChunkMustMatchItsCrc)
{
    Bytes file = pngSignature();
    appendChunk(file, "IHDR", ihdr(16, 16));
    appendChunk(file, "tEXt", {'a', 0, 'b'});
    appendChunk(file, "IDAT", Bytes(20, 0x5a));
    appendChunk(file, "IEND", {});
    ASSERT_EQ(check(file).getFormat(), Format::png);
    // One bit changed in any length, type, data or CRC byte, in a critical
    // chunk or an ancillary one.
    for (size_t at = 8; at < file.size(); ++at) {
        Bytes damaged = file;
        damaged[at] ^= 0x04;
        EXPECT_EQ(check(damaged).getFormat(), Format::none) << "byte " << at;
    }
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

    Bytes tinyFrame = jpegStart();
    appendSegment(tinyFrame, 0xc0, {8, 0, 8, 0});
    tinyFrame.insert(tinyFrame.end(), end.begin(), end.end());
    EXPECT_EQ(check(tinyFrame).getFormat(), Format::none);

    Bytes segmentPastEnd = jpegStart();
    appendSegment(segmentPastEnd, 0xc0, frameHeader(8, 8));
    segmentPastEnd.insert(segmentPastEnd.end(), {0xff, 0xe1, 0x01, 0x00, 0xff, 0xd9});
    EXPECT_EQ(check(segmentPastEnd).getFormat(), Format::none);
}

TEST(ImageFileCheckJpeg, StrayBytesBetweenSegmentsAreSkippedAsTheDecoderDoes)
{
    Bytes file = jpegStart();
    file.insert(file.end(), {0x00, 0x00});
    appendSegment(file, 0xc0, frameHeader(16, 16));
    file.insert(file.end(), {0x41, 0xff, 0x00, 0xff, 0xff, 0x00, 0x7f});
    appendSegment(file, 0xda, scanHeader({1}));
    const Bytes coded = codedData(4);
    file.insert(file.end(), coded.begin(), coded.end());
    file.insert(file.end(), {0x00, 0xff, 0xd9});
    const ImageFileCheck result = check(file);
    EXPECT_EQ(result.getFormat(), Format::jpeg);
    EXPECT_EQ(result.getWidth(), 16);
    EXPECT_TRUE(result.fits(generous()));
}

TEST(ImageFileCheckJpeg, ScansMustHoldABitForEveryBlockOfEveryChannel)
{
    // 8192 by 8192 claimed, coded data for 16 by 16.
    Bytes claimsTooMuch = jpegStart();
    appendSegment(claimsTooMuch, 0xc0, frameHeader(8192, 8192));
    appendSegment(claimsTooMuch, 0xda, scanHeader({1}));
    const Bytes small = codedData(4, 100);
    claimsTooMuch.insert(claimsTooMuch.end(), small.begin(), small.end());
    appendEnd(claimsTooMuch);
    const ImageFileCheck claimed = check(claimsTooMuch);
    EXPECT_EQ(claimed.getFormat(), Format::jpeg);
    EXPECT_EQ(claimed.getWidth(), 8192);
    EXPECT_FALSE(claimed.hasDataForEveryPixel());
    EXPECT_FALSE(claimed.fits(generous()));

    // 100 by 60 in 4:2:0: 13 by 8 luma blocks, 7 by 4 of each chroma channel,
    // stuffed zero bytes and restart markers counted with the data.
    const int64_t blocks = 13 * 8 + 2 * 7 * 4;
    for (int64_t spare : {-1, 0}) {
        Bytes file = jpegStart();
        appendSegment(file, 0xc0, frameHeader(100, 60, {0x22, 0x11, 0x11}));
        appendSegment(file, 0xda, scanHeader({1, 2, 3}));
        Bytes coded = codedData(blocks - 8 * 4 + 8 * spare);
        coded.insert(coded.end(), {0xff, 0x00, 0xff, 0xd0});
        file.insert(file.end(), coded.begin(), coded.end());
        appendEnd(file);
        EXPECT_EQ(check(file).hasDataForEveryPixel(), spare == 0) << "spare bytes " << spare;
    }

    // Progressive: only scans that start at the average (spectral 0) count,
    // and each channel needs one.
    for (const bool chromaAverages : {false, true}) {
        Bytes file = jpegStart();
        appendSegment(file, 0xc2, frameHeader(64, 64, {0x11, 0x11, 0x11}));
        appendSegment(file, 0xda, scanHeader(chromaAverages ? Bytes{1, 2, 3} : Bytes{1}, 0, 0));
        const Bytes dc = codedData(3 * 64);
        file.insert(file.end(), dc.begin(), dc.end());
        for (unsigned char channel : {1, 2, 3}) {
            appendSegment(file, 0xda, scanHeader({channel}, 1, 63));
            const Bytes ac = codedData(0, 5000);
            file.insert(file.end(), ac.begin(), ac.end());
        }
        appendEnd(file);
        const ImageFileCheck result = check(file);
        EXPECT_EQ(result.getScanCount(), 4);
        EXPECT_EQ(result.hasDataForEveryPixel(), chromaAverages) << "chroma averages " << chromaAverages;
    }
}

TEST(ImageFileCheckJpeg, OnlyHuffmanCodedGreyOrThreeChannelFramesDecode)
{
    struct Case {
        unsigned char marker;
        Bytes sampling;
        unsigned char precision;
        int64_t bytesPerPixel;
    };
    const Case cases[] = {
        {0xc0, {0x11}, 8, 1},
        {0xc1, {0x22, 0x11, 0x11}, 8, 3},
        {0xc2, {0x11, 0x11, 0x11}, 8, 9},
        {0xc2, {0x11}, 8, 3},
        // CMYK or YCCK, which the decoder hands back as inverted RGBA.
        {0xc0, {0x11, 0x11, 0x11, 0x11}, 8, 0},
        {0xc2, {0x11, 0x11, 0x11, 0x11}, 8, 0},
        {0xc0, {0x11, 0x11}, 8, 0},
        {0xc0, {0x11, 0x11, 0x11}, 12, 0},
        {0xc0, {0x51, 0x11, 0x11}, 8, 0},
        {0xc3, {0x11}, 8, 0},
        {0xc9, {0x11, 0x11, 0x11}, 8, 0},
        {0xca, {0x11}, 8, 0},
    };
    for (const Case& c : cases) {
        Bytes file = jpegStart();
        appendSegment(file, c.marker, frameHeader(16, 16, c.sampling, c.precision));
        Bytes channels;
        for (size_t i = 0; i < c.sampling.size(); ++i) {
            channels.push_back(static_cast<unsigned char>(i + 1));
        }
        appendSegment(file, 0xda, scanHeader(channels, 0, c.marker == 0xc2 ? 0 : 63));
        const Bytes coded = codedData(4 * 16);
        file.insert(file.end(), coded.begin(), coded.end());
        appendEnd(file);
        const ImageFileCheck result = check(file);
        EXPECT_EQ(result.getFormat(), Format::jpeg);
        EXPECT_EQ(result.getBytesPerPixel(), c.bytesPerPixel)
            << "marker " << std::hex << int(c.marker) << std::dec << ", " << c.sampling.size() << " channels";
        EXPECT_EQ(result.fits(generous()), c.bytesPerPixel != 0);
    }
}

TEST(ImageFileCheckJpeg, CoefficientsCountForEveryFileOfSeveralScans)
{
    const ImageFileCheck oneScan = check(threeChannelJpeg(64, 48, false));
    const ImageFileCheck scanPerChannel = check(threeChannelJpeg(64, 48, true));
    ASSERT_TRUE(oneScan.hasDataForEveryPixel());
    ASSERT_TRUE(scanPerChannel.hasDataForEveryPixel());
    EXPECT_EQ(oneScan.getScanCount(), 1);
    EXPECT_EQ(oneScan.getBytesPerPixel(), 3);
    EXPECT_EQ(scanPerChannel.getScanCount(), 3);
    EXPECT_EQ(scanPerChannel.getBytesPerPixel(), 9);
    EXPECT_EQ(check(jpeg(64, 48)).getBytesPerPixel(), 1);

    // 4096 by 4096 in a 64 MB budget: 48 MB as one scan, 144 MB as three.
    ImageFileCheck::Limits limits = generous();
    limits.mostDecodedBytes = int64_t(64) << 20;
    EXPECT_TRUE(check(threeChannelJpeg(4096, 4096, false)).fits(limits));
    EXPECT_FALSE(check(threeChannelJpeg(4096, 4096, true)).fits(limits));
}

TEST(ImageFileCheckPng, ImageDataMustBeAbleToFillThePicture)
{
    // 4000 rows of 1 + 16000 bytes inflate from no fewer than 62,020 bytes.
    EXPECT_TRUE(check(png(4000, 4000, 62020)).hasDataForEveryPixel());
    EXPECT_FALSE(check(png(4000, 4000, 62019)).hasDataForEveryPixel());
    EXPECT_FALSE(check(png(4000, 4000, 62019)).fits(generous()));
    EXPECT_FALSE(check(png(1, 1, 0)).hasDataForEveryPixel());
}

TEST(ImageFileCheckPng, BytesPerPixelFollowColourTypeAndDepth)
{
    struct Case {
        unsigned char depth;
        unsigned char colourType;
        int64_t bytesPerPixel;
    };
    const Case cases[] = {
        {1, 0, 1}, {16, 0, 2}, {8, 2, 3}, {16, 2, 6}, {1, 3, 4}, {8, 3, 4}, {8, 4, 2},
        {16, 6, 8}, {8, 6, 4}, {4, 2, 0}, {16, 3, 0}, {3, 0, 0}, {8, 5, 0},
    };
    for (const Case& c : cases) {
        Bytes header = ihdr(16, 16);
        header[8] = c.depth;
        header[9] = c.colourType;
        Bytes file = pngSignature();
        appendChunk(file, "IHDR", header);
        appendChunk(file, "IDAT", Bytes(20, 0));
        appendChunk(file, "IEND", {});
        const ImageFileCheck result = check(file);
        EXPECT_EQ(result.getBytesPerPixel(), c.bytesPerPixel)
            << "depth " << int(c.depth) << ", colour type " << int(c.colourType);
        EXPECT_EQ(result.fits(generous()), c.bytesPerPixel != 0);
    }
}

TEST(ImageFileCheckSize, FitsOnlyWithinEveryLimit)
{
    EXPECT_TRUE(check(png(8192, 8192)).fits(generous()));
    EXPECT_FALSE(check(png(8193, 1)).fits(generous()));
    EXPECT_FALSE(check(png(1, 8193)).fits(generous()));
    EXPECT_FALSE(check(png(0xffffffffu, 1, 16)).fits(generous()));
    EXPECT_FALSE(check(png(0, 16)).fits(generous()));
    EXPECT_FALSE(check(jpeg(9000, 10)).fits(generous()));
    // Height 0 defers the height to a later marker; such a file is not taken.
    const ImageFileCheck deferred = check(jpeg(16, 0));
    EXPECT_EQ(deferred.getFormat(), Format::jpeg);
    EXPECT_FALSE(deferred.fits(generous()));

    ImageFileCheck::Limits limits = generous();
    const ImageFileCheck picture = check(png(300, 200));
    limits.largestSide = 299;
    EXPECT_FALSE(picture.fits(limits));
    limits.largestSide = 300;
    EXPECT_TRUE(picture.fits(limits));
    limits.mostPixels = 300 * 200 - 1;
    EXPECT_FALSE(picture.fits(limits));
    limits.mostPixels = 300 * 200;
    EXPECT_TRUE(picture.fits(limits));
    limits.mostDecodedBytes = 300 * 200 * 4 - 1;
    EXPECT_FALSE(picture.fits(limits));
    limits.mostDecodedBytes = 300 * 200 * 4;
    EXPECT_TRUE(picture.fits(limits));

    Bytes scans = jpegStart();
    appendSegment(scans, 0xc2, frameHeader(16, 16));
    for (int i = 0; i < 12; ++i) {
        appendSegment(scans, 0xda, scanHeader({1}, 0, 0));
        const Bytes coded = codedData(4);
        scans.insert(scans.end(), coded.begin(), coded.end());
    }
    appendEnd(scans);
    const ImageFileCheck progressive = check(scans);
    EXPECT_EQ(progressive.getScanCount(), 12);
    limits.mostScans = 11;
    EXPECT_FALSE(progressive.fits(limits));
    limits.mostScans = 12;
    EXPECT_TRUE(progressive.fits(limits));
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
    EXPECT_FALSE(none.fits(generous()));
}
