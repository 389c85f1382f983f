#include "image/ImageFileCheck.h"

#include <cstring>
#include <zlib.h>

namespace {
const unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};

// A chunk is its 4-byte length, 4-byte type, the data and a 4-byte CRC.
const size_t pngChunkOverhead = 12;
const size_t pngHeaderDataBytes = 13;

uint32_t bigEndian32(const unsigned char* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

uint32_t bigEndian16(const unsigned char* p)
{
    return (static_cast<uint32_t>(p[0]) << 8) | static_cast<uint32_t>(p[1]);
}

bool isJpegFrameHeader(unsigned char marker)
{
    // C4 (DHT), C8 (JPG) and CC (DAC) share the range but describe no frame.
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

// Markers that stand alone, without a length: TEM and RST0 to RST7.
bool isStandaloneJpegMarker(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7);
}

// The most bytes one byte of a deflate stream can stand for: a 258-byte
// match coded in two bits.
const long double deflateMostExpansion = 1032.0L;

struct PngLayout {
    // As stored in the file, and as decoded: a palette index becomes RGBA.
    int64_t bitsPerPixel = 0;
    int64_t bytesPerPixel = 0;
};

// The layout of a colour type and bit depth PNG allows; bytesPerPixel 0
// for any other pair.
PngLayout pngLayout(unsigned char bitDepth, unsigned char colourType)
{
    const bool upTo8 = bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    const bool deep = bitDepth == 8 || bitDepth == 16;
    int64_t channels = 0;
    bool allowed = false;
    switch (colourType) {
    case 0: channels = 1; allowed = upTo8 || bitDepth == 16; break;
    case 2: channels = 3; allowed = deep; break;
    case 3: channels = 1; allowed = upTo8; break;
    case 4: channels = 2; allowed = deep; break;
    case 6: channels = 4; allowed = deep; break;
    default: break;
    }
    PngLayout layout;
    if (!allowed) {
        return layout;
    }
    layout.bitsPerPixel = channels * bitDepth;
    layout.bytesPerPixel = colourType == 3 ? 4 : channels * (bitDepth == 16 ? 2 : 1);
    return layout;
}

// A JPEG frame header and the scans seen so far.
struct JpegFrame {
    static const int mostChannels = 4;

    int64_t width = 0;
    int64_t height = 0;
    // Huffman-coded 8-bit baseline, extended or progressive, with 1 or 3
    // channels: what the decoder turns into grey or RGB.
    bool decodable = false;
    bool progressive = false;
    int channelCount = 0;
    int ids[mostChannels] = {};
    int horizontal[mostChannels] = {};
    int vertical[mostChannels] = {};
    bool scanned[mostChannels] = {};

    // `segment` points at the length, `length` bytes long.
    bool read(unsigned char marker, const unsigned char* segment, size_t length)
    {
        // Length, precision, height, width and component count.
        if (length < 8) {
            return false;
        }
        height = bigEndian16(segment + 3);
        width = bigEndian16(segment + 5);
        const int count = segment[7];
        if (length < 8 + 3 * static_cast<size_t>(count)) {
            return false;
        }
        channelCount = count;
        progressive = marker == 0xc2;
        decodable = (marker == 0xc0 || marker == 0xc1 || marker == 0xc2) && segment[2] == 8 &&
                    (count == 1 || count == 3);
        for (int i = 0; i < count && i < mostChannels; ++i) {
            ids[i] = segment[8 + 3 * i];
            horizontal[i] = segment[9 + 3 * i] >> 4;
            vertical[i] = segment[9 + 3 * i] & 0x0f;
            if (horizontal[i] < 1 || horizontal[i] > 4 || vertical[i] < 1 || vertical[i] > 4) {
                decodable = false;
            }
        }
        return true;
    }

    // The 8 by 8 blocks of one channel, without the padding an interleaved
    // scan adds.
    int64_t blocks(int channel) const
    {
        int most = 1;
        int mostVertical = 1;
        for (int i = 0; i < channelCount && i < mostChannels; ++i) {
            most = horizontal[i] > most ? horizontal[i] : most;
            mostVertical = vertical[i] > mostVertical ? vertical[i] : mostVertical;
        }
        const int64_t columns = (width * horizontal[channel] + most - 1) / most;
        const int64_t rows = (height * vertical[channel] + mostVertical - 1) / mostVertical;
        return ((columns + 7) / 8) * ((rows + 7) / 8);
    }

    // Reads a scan header; `blocksWithAverage` becomes the number of blocks
    // whose average colour the scan codes, each in at least one bit.
    bool readScan(const unsigned char* segment, size_t length, int64_t& blocksWithAverage)
    {
        // Length, count, two bytes per channel, spectral range, approximation.
        if (length < 3) {
            return false;
        }
        const size_t count = segment[2];
        if (count < 1 || length < 6 + 2 * count) {
            return false;
        }
        const bool withAverage = !progressive || segment[3 + 2 * count] == 0;
        blocksWithAverage = 0;
        for (size_t s = 0; s < count; ++s) {
            int channel = 0;
            while (channel < channelCount && channel < mostChannels && ids[channel] != segment[3 + 2 * s]) {
                ++channel;
            }
            if (channel == channelCount || channel == mostChannels) {
                decodable = false;
                continue;
            }
            if (withAverage && decodable) {
                blocksWithAverage += blocks(channel);
                scanned[channel] = true;
            }
        }
        return true;
    }

    bool everyChannelScanned() const
    {
        for (int i = 0; i < channelCount && i < mostChannels; ++i) {
            if (!scanned[i]) {
                return false;
            }
        }
        return true;
    }

    // The decoder keeps every channel's coefficients for the whole image,
    // 2 bytes each, whenever a file has more than one scan, progressive or
    // not, and only then decodes them into the picture.
    int64_t bytesPerPixel(int64_t scanCount) const
    {
        if (!decodable) {
            return 0;
        }
        return progressive || scanCount > 1 ? 3 * channelCount : channelCount;
    }
};
}

ImageFileCheck::ImageFileCheck(const unsigned char* data, size_t size)
{
    if (data == nullptr) {
        return;
    }
    if (size >= sizeof(pngSignature) && std::memcmp(data, pngSignature, sizeof(pngSignature)) == 0) {
        checkPng(data, size);
    } else if (size >= 2 && data[0] == 0xff && data[1] == 0xd8) {
        checkJpeg(data, size);
    }
}

bool ImageFileCheck::fits(const Limits& limits) const
{
    if (format == Format::none || !filled || bytesPerPixel == 0 || scanCount > limits.mostScans ||
        width < 1 || height < 1 || width > limits.largestSide || height > limits.largestSide) {
        return false;
    }
    // Both sides are now small enough for the products not to overflow.
    const int64_t pixels = width * height;
    return pixels <= limits.mostPixels && pixels <= limits.mostDecodedBytes / bytesPerPixel;
}

void ImageFileCheck::checkPng(const unsigned char* data, size_t size)
{
    size_t pos = sizeof(pngSignature);
    if (size - pos < pngChunkOverhead + pngHeaderDataBytes ||
        bigEndian32(data + pos) != pngHeaderDataBytes ||
        std::memcmp(data + pos + 4, "IHDR", 4) != 0) {
        return;
    }
    const int64_t claimedWidth = bigEndian32(data + pos + 8);
    const int64_t claimedHeight = bigEndian32(data + pos + 12);
    const PngLayout layout = pngLayout(data[pos + 16], data[pos + 17]);

    // Every chunk, the header included, must end inside the file and match
    // its CRC; the walk is done only when a whole IEND chunk has been passed.
    uint64_t imageDataBytes = 0;
    while (size - pos >= pngChunkOverhead) {
        const uint64_t length = bigEndian32(data + pos);
        if (length > size - pos - pngChunkOverhead) {
            return;
        }
        // The CRC covers the type and the data. The decoder stops on a
        // damaged chunk without freeing what it holds, so none reaches it.
        const unsigned char* type = data + pos + 4;
        uLong crc = crc32(0L, Z_NULL, 0);
        crc = crc32(crc, type, 4);
        crc = crc32(crc, type + 4, static_cast<uInt>(length));
        if (crc != bigEndian32(type + 4 + length)) {
            return;
        }
        if (std::memcmp(data + pos + 4, "IDAT", 4) == 0) {
            imageDataBytes += length;
        }
        const bool isEnd = std::memcmp(data + pos + 4, "IEND", 4) == 0;
        pos += pngChunkOverhead + static_cast<size_t>(length);
        if (isEnd) {
            format = Format::png;
            width = claimedWidth;
            height = claimedHeight;
            bytesPerPixel = layout.bytesPerPixel;
            // Whether interlaced or not, the filtered rows hold at least one
            // filter byte per picture row and every pixel's bits; no byte of
            // the compressed stream stands for more than 1032 of them.
            const long double leastFiltered = static_cast<long double>(height) +
                static_cast<long double>(width) * height * layout.bitsPerPixel / 8.0L;
            filled = leastFiltered <= imageDataBytes * deflateMostExpansion;
            return;
        }
    }
}

void ImageFileCheck::checkJpeg(const unsigned char* data, size_t size)
{
    JpegFrame frame;
    bool hasFrame = false;
    bool scanTooShort = false;
    size_t pos = 2;
    while (pos < size) {
        // Outside scan data only markers count, each led by 0xFF with any
        // number of 0xFF fill bytes before the marker code. The decoder
        // skips whatever else lies between segments, and so does the walk.
        if (data[pos] != 0xff) {
            ++pos;
            continue;
        }
        while (pos < size && data[pos] == 0xff) {
            ++pos;
        }
        if (pos >= size) {
            return;
        }
        const unsigned char marker = data[pos];
        ++pos;
        // 0xFF 0x00 is a stray pair as well.
        if (marker == 0x00 || isStandaloneJpegMarker(marker)) {
            continue;
        }
        if (marker == 0xd9) {
            // The end of image completes the file, if a frame came before it.
            if (hasFrame) {
                format = Format::jpeg;
                width = frame.width;
                height = frame.height;
                bytesPerPixel = frame.bytesPerPixel(scanCount);
                filled = !scanTooShort && frame.everyChannelScanned();
            }
            return;
        }
        // A second start of image or a scan before any frame header:
        // nothing a decoder could finish.
        if (marker == 0xd8 || (marker == 0xda && !hasFrame)) {
            return;
        }
        if (size - pos < 2) {
            return;
        }
        // The length counts its own two bytes; less than that cannot move
        // the walk forward.
        const size_t length = bigEndian16(data + pos);
        if (length < 2 || length > size - pos) {
            return;
        }
        if (isJpegFrameHeader(marker)) {
            // The decoder takes one frame per file.
            if (hasFrame || !frame.read(marker, data + pos, length)) {
                return;
            }
            hasFrame = true;
        }
        int64_t scanBlocks = 0;
        if (marker == 0xda) {
            ++scanCount;
            if (!frame.readScan(data + pos, length, scanBlocks)) {
                return;
            }
        }
        pos += length;
        if (marker == 0xda) {
            // Entropy-coded data follows a scan header. In it a 0xFF is
            // followed by a stuffed 0x00 or by a restart marker; anything
            // else is the next marker.
            const size_t codedStart = pos;
            while (pos < size) {
                if (data[pos] == 0xff && pos + 1 < size && data[pos + 1] != 0x00 &&
                    !isStandaloneJpegMarker(data[pos + 1])) {
                    break;
                }
                ++pos;
            }
            if (static_cast<uint64_t>(pos - codedStart) * 8 < static_cast<uint64_t>(scanBlocks)) {
                scanTooShort = true;
            }
        }
    }
}
