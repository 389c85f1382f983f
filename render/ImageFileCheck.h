#ifndef ZARVY_RENDER_IMAGEFILECHECK_H
#define ZARVY_RENDER_IMAGEFILECHECK_H

#include <cstddef>
#include <cstdint>

// What the bytes of an image file say about themselves, found without
// decoding a pixel: the format from the signature and the picture size from
// the header. The image library hangs on some broken files and believes any
// size a header claims, so a file goes to it only after this check has
// walked the file's structure and found it whole:
// - PNG: the signature, an IHDR chunk first, then chunks whose lengths stay
//   inside the file, up to and including an IEND chunk;
// - JPEG: the start-of-image marker, then marker segments walked by their
//   lengths, with a whole frame header (SOF0 to SOF15, not the DHT, JPG and
//   DAC markers C4, C8, CC) before the first scan, and the scans' coded data
//   stepped over, up to an end-of-image marker. The decoder accepts some
//   files cut inside their coded data; demanding the end marker refuses
//   every cut file.
// Anything else has format none and size 0 by 0, whatever its name says.
class ImageFileCheck {
public:
    enum class Format { none, png, jpeg };

    // Looks at `size` bytes at `data` and keeps no pointer to them.
    ImageFileCheck(const unsigned char* data, size_t size);
    virtual ~ImageFileCheck() = default;

    Format getFormat() const { return format; }
    // The size the header claims, as stored there (a JPEG height may be 0).
    int64_t getWidth() const { return width; }
    int64_t getHeight() const { return height; }
    // True for a whole PNG or JPEG whose width and height are each 1 to maxSide.
    bool fits(int64_t maxSide) const;

private:
    void checkPng(const unsigned char* data, size_t size);
    void checkJpeg(const unsigned char* data, size_t size);

    Format format = Format::none;
    int64_t width = 0;
    int64_t height = 0;
};

#endif
