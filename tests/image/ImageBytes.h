#ifndef ZARVY_TESTS_IMAGE_IMAGEBYTES_H
#define ZARVY_TESTS_IMAGE_IMAGEBYTES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// Image files built byte by byte, for the tests that need kinds of file no
// encoder writes on request, and small edits of files.
namespace imagetest {

using Bytes = std::vector<unsigned char>;

inline uint32_t crc32(const unsigned char* data, size_t size)
{
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

inline void appendBigEndian(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

inline void appendPngChunk(Bytes& out, const char* type, const Bytes& data)
{
    appendBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    appendBigEndian(out, crc32(out.data() + typeStart, out.size() - typeStart));
}

// A zlib stream holding `data` in stored (uncompressed) deflate blocks.
inline Bytes storedZlib(const Bytes& data)
{
    Bytes stream = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t count = std::min<size_t>(65535, data.size() - at);
        stream.push_back(at + count == data.size() ? 1 : 0);
        stream.insert(stream.end(), {static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8),
                                     static_cast<unsigned char>(~count), static_cast<unsigned char>(~count >> 8)});
        stream.insert(stream.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                      data.begin() + static_cast<std::ptrdiff_t>(at + count));
        at += count;
    } while (at < data.size());
    uint32_t low = 1;
    uint32_t high = 0;
    for (unsigned char byte : data) {
        low = (low + byte) % 65521;
        high = (high + low) % 65521;
    }
    appendBigEndian(stream, (high << 16) | low);
    return stream;
}

// A PNG of the given header fields whose image data is `filtered`: the
// rows, or for an interlaced file the rows of every pass, each led by its
// filter byte. `beforeData` is a run of whole chunks put before IDAT.
inline Bytes pngFile(uint32_t width, uint32_t height, unsigned char bitDepth, unsigned char colourType,
                     const Bytes& filtered, const Bytes& beforeData = {}, unsigned char interlace = 0)
{
    Bytes header;
    appendBigEndian(header, width);
    appendBigEndian(header, height);
    header.insert(header.end(), {bitDepth, colourType, 0, 0, interlace});
    Bytes png = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    appendPngChunk(png, "IHDR", header);
    png.insert(png.end(), beforeData.begin(), beforeData.end());
    appendPngChunk(png, "IDAT", storedZlib(filtered));
    appendPngChunk(png, "IEND", {});
    return png;
}

// `bytes` with `inserted` put in at `at`.
inline Bytes insertedAt(Bytes bytes, size_t at, const Bytes& inserted)
{
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(), inserted.end());
    return bytes;
}

// The big-endian 16-bit length of the JPEG segment whose length field is at `at`.
inline size_t bigEndianLength(const Bytes& bytes, size_t at)
{
    return (static_cast<size_t>(bytes[at]) << 8) | bytes[at + 1];
}

// Runs ImageMagick's convert with `arguments`; true if it succeeded.
inline bool convert(const std::string& arguments)
{
    return std::system(("convert " + arguments + " 2> /dev/null").c_str()) == 0;
}

inline void setBigEndian(Bytes& bytes, size_t at, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * (count - 1 - i)));
    }
}

// An 8-bit grey PNG of one shade, its rows stored without compression.
inline Bytes greyPng(uint32_t width, uint32_t height, unsigned char shade)
{
    Bytes rows;
    for (uint32_t row = 0; row < height; ++row) {
        rows.push_back(0);
        rows.insert(rows.end(), width, shade);
    }
    return pngFile(width, height, 8, 0, rows);
}

// The offset of the first `type` chunk of `png`, 0 if it has none.
inline size_t chunkAt(const Bytes& png, const char* type)
{
    for (size_t at = 8; at + 12 <= png.size();) {
        if (std::equal(type, type + 4, png.begin() + static_cast<std::ptrdiff_t>(at + 4))) {
            return at;
        }
        const size_t length = (size_t(png[at]) << 24) | (size_t(png[at + 1]) << 16) | (size_t(png[at + 2]) << 8) |
                              png[at + 3];
        at += 12 + length;
    }
    return 0;
}

// A mid-grey baseline JPEG of `side` by `side` pixels, three channels without
// subsampling, in one scan per channel. Every block codes no change of
// average and no detail, one bit each under single-code Huffman tables.
inline Bytes multiScanJpeg(uint32_t side)
{
    Bytes out = {0xff, 0xd8, 0xff, 0xdb, 0x00, 0x43, 0x00};
    out.insert(out.end(), 64, 1);
    const unsigned char high = static_cast<unsigned char>(side >> 8);
    const unsigned char low = static_cast<unsigned char>(side);
    out.insert(out.end(), {0xff, 0xc0, 0x00, 0x11, 8, high, low, high, low, 3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
    for (unsigned char tableClass : {0x00, 0x10}) {
        out.insert(out.end(), {0xff, 0xc4, 0x00, 0x14, tableClass, 1});
        out.insert(out.end(), 15, 0);
        out.push_back(0);
    }
    const size_t blocks = size_t((side + 7) / 8) * ((side + 7) / 8);
    for (unsigned char channel : {1, 2, 3}) {
        out.insert(out.end(), {0xff, 0xda, 0x00, 0x08, 1, channel, 0x00, 0, 63, 0});
        // Two zero bits a block, the last byte padded with one bits.
        out.insert(out.end(), blocks * 2 / 8, 0x00);
        if (blocks * 2 % 8 != 0) {
            out.push_back(static_cast<unsigned char>(0xff >> (blocks * 2 % 8)));
        }
    }
    out.insert(out.end(), {0xff, 0xd9});
    return out;
}

}

#endif
