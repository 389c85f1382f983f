#ifndef ZARVY_IMAGE_IMAGEFILECHECK_H
#define ZARVY_IMAGE_IMAGEFILECHECK_H

#include <cstddef>
#include <cstdint>

// What the bytes of an image file say about themselves, found without
// decoding a pixel: the format from the signature, the picture size and
// pixel layout from the header, and how much coded data the file holds.
// The image library hangs on some broken files, leaks memory on a PNG chunk
// whose CRC is wrong, believes any size a header claims and fills what a
// file lacks with blank pixels, so a file goes to it only after this check
// has walked the file's structure and found it whole:
// - PNG: the signature, an IHDR chunk first, then chunks whose lengths stay
//   inside the file and whose CRCs match their type and data, up to and
//   including an IEND chunk;
// - JPEG: the start-of-image marker, then marker segments walked by their
//   lengths, with a whole frame header (SOF0 to SOF15, not the DHT, JPG and
//   DAC markers C4, C8, CC) before the first scan, and the scans' coded data
//   stepped over, up to an end-of-image marker. The decoder accepts some
//   files cut inside their coded data; demanding the end marker refuses
//   every cut file. Like the decoder, the walk skips stray bytes and 0xFF
//   fill bytes between segments.
// Anything else has format none and size 0 by 0, whatever its name says.
class ImageFileCheck {
public:
    enum class Format { none, png, jpeg };

    // What a file may cost to decode; fits() refuses anything beyond.
    struct Limits {
        int64_t largestSide = 0;
        int64_t mostPixels = 0;
        // Pixels times getBytesPerPixel().
        int64_t mostDecodedBytes = 0;
        int64_t mostScans = 0;
    };

    // Looks at `size` bytes at `data` and keeps no pointer to them.
    ImageFileCheck(const unsigned char* data, size_t size);
    virtual ~ImageFileCheck() = default;

    Format getFormat() const { return format; }
    // The size the header claims, as stored there (a JPEG height may be 0).
    int64_t getWidth() const { return width; }
    int64_t getHeight() const { return height; }
    // The memory one pixel takes while it is decoded: its channels at their
    // sample size (2 bytes for 16-bit PNG samples, a palette counted as
    // RGBA), plus for a JPEG of more than one scan, progressive or not, the
    // 2 bytes of every channel's coefficient, which the decoder then keeps
    // for the whole image. 0 for a pixel layout the decoder cannot give as
    // colours: a JPEG of other than 1 (grey) or 3 (YCbCr or RGB) channels,
    // such as CMYK or YCCK, a JPEG coded other than by Huffman tables, or a
    // PNG bit depth its colour type does not allow.
    int64_t getBytesPerPixel() const { return bytesPerPixel; }
    // The number of JPEG scans; 0 for a PNG.
    int64_t getScanCount() const { return scanCount; }
    // True if the coded data is large enough to describe every pixel the
    // header claims. A JPEG spends at least one bit on every 8 by 8 block of
    // a channel in each scan that holds the blocks' average colour, and
    // every channel needs such a scan; deflate, which PNG uses, expands at
    // most 1032 times.
    bool hasDataForEveryPixel() const { return filled; }
    // True for a whole PNG or JPEG with a pixel layout the decoder handles,
    // enough data for every pixel, and a cost within `limits`.
    bool fits(const Limits& limits) const;

private:
    void checkPng(const unsigned char* data, size_t size);
    void checkJpeg(const unsigned char* data, size_t size);

    Format format = Format::none;
    int64_t width = 0;
    int64_t height = 0;
    int64_t bytesPerPixel = 0;
    int64_t scanCount = 0;
    bool filled = false;
};

#endif
