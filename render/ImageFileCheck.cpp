#include "render/ImageFileCheck.h"

#include <cstring>

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

bool ImageFileCheck::fits(int64_t maxSide) const
{
    return format != Format::none && width >= 1 && height >= 1 &&
           width <= maxSide && height <= maxSide;
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

    // Every chunk, the header included, must end inside the file; the walk
    // is done only when a whole IEND chunk has been passed.
    while (size - pos >= pngChunkOverhead) {
        const uint64_t length = bigEndian32(data + pos);
        if (length > size - pos - pngChunkOverhead) {
            return;
        }
        const bool isEnd = std::memcmp(data + pos + 4, "IEND", 4) == 0;
        pos += pngChunkOverhead + static_cast<size_t>(length);
        if (isEnd) {
            format = Format::png;
            width = claimedWidth;
            height = claimedHeight;
            return;
        }
    }
}

void ImageFileCheck::checkJpeg(const unsigned char* data, size_t size)
{
    int64_t frameWidth = 0;
    int64_t frameHeight = 0;
    bool hasFrame = false;
    size_t pos = 2;
    while (pos < size) {
        // Outside scan data only markers occur, each led by 0xFF; any number
        // of 0xFF fill bytes may precede the marker code.
        if (data[pos] != 0xff) {
            return;
        }
        while (pos < size && data[pos] == 0xff) {
            ++pos;
        }
        if (pos >= size) {
            return;
        }
        const unsigned char marker = data[pos];
        ++pos;
        if (isStandaloneJpegMarker(marker)) {
            continue;
        }
        if (marker == 0xd9) {
            // The end of image completes the file, if a frame came before it.
            if (hasFrame) {
                format = Format::jpeg;
                width = frameWidth;
                height = frameHeight;
            }
            return;
        }
        // A second start of image, a stuffed zero outside scan data, or a
        // scan before any frame header: nothing a decoder could finish.
        if (marker == 0x00 || marker == 0xd8 || (marker == 0xda && !hasFrame)) {
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
        if (isJpegFrameHeader(marker) && !hasFrame) {
            // Length, precision, height, width and component count.
            if (length < 8) {
                return;
            }
            hasFrame = true;
            frameHeight = bigEndian16(data + pos + 3);
            frameWidth = bigEndian16(data + pos + 5);
        }
        pos += length;
        if (marker == 0xda) {
            // Entropy-coded data follows a scan header. In it a 0xFF is
            // followed by a stuffed 0x00 or by a restart marker; anything
            // else is the next marker.
            while (pos < size) {
                if (data[pos] == 0xff && pos + 1 < size && data[pos + 1] != 0x00 &&
                    !isStandaloneJpegMarker(data[pos + 1])) {
                    break;
                }
                ++pos;
            }
        }
    }
}
