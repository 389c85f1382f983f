#ifndef ZARVY_TESTS_RENDER_IMAGEBYTES_H
#define ZARVY_TESTS_RENDER_IMAGEBYTES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// Image files built byte by byte, for the render tests that need kinds of
// file no encoder writes on request, and small edits of files.
namespace rendertest {

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

}

#endif
