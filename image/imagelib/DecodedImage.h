#ifndef ZARVY_IMAGE_IMAGELIB_DECODEDIMAGE_H
#define ZARVY_IMAGE_IMAGELIB_DECODEDIMAGE_H

#include <cstddef>
#include <vector>

// A decoded picture in the layout DevIL 1.7.8 gives after a load, so a
// DevIL-compatible front end can hand it out unchanged:
// - pixels are packed without row padding, `bytesPerPixel` bytes each;
// - 16-bit samples stay 16-bit (`type` unsignedShort), in the byte order of
//   the machine;
// - a palette picture keeps one index byte per pixel (format colourIndex)
//   and its palette as 3 bytes an entry (paletteRgb24) or, if the file gives
//   entries an alpha, 4 bytes an entry (paletteRgba32);
// - `origin` says which row comes first in `pixels`: a decoded file is
//   upperLeft (rows in file order), a picture made from memory lowerLeft.
// The enum values are the GL and DevIL constants, so they can be reported
// as they are.
class DecodedImage {
public:
    enum Format : unsigned int {
        colourIndex = 0x1900,
        rgb = 0x1907,
        rgba = 0x1908,
        luminance = 0x1909,
        luminanceAlpha = 0x190A,
    };
    enum Type : unsigned int {
        unsignedByte = 0x1401,
        unsignedShort = 0x1403,
    };
    enum Origin : unsigned int {
        lowerLeft = 0x0601,
        upperLeft = 0x0602,
    };
    enum PaletteType : unsigned int {
        paletteNone = 0x0400,
        paletteRgb24 = 0x0401,
        paletteRgba32 = 0x0403,
    };

    virtual ~DecodedImage() = default;

    // The channels of `format`, 0 for a value that is no format.
    static unsigned int channelsOf(unsigned int format);
    // Bytes of one packed row.
    size_t rowBytes() const { return static_cast<size_t>(width) * bytesPerPixel; }
    // Entries in the palette.
    size_t paletteEntries() const;

    // Turns the picture into `toFormat` (rgb or rgba) with unsigned-byte
    // samples, as DevIL's ilConvertImage does:
    // - a 16-bit sample keeps its high byte (0x12ff becomes 0x12);
    // - grey g becomes (g, g, g), and alpha, if asked for and absent, 255;
    // - a palette index becomes its entry, alpha 255 unless the palette has
    //   one; an index past the palette's end becomes opaque black;
    // - rgba to rgb drops the alpha without blending.
    // Size, origin and row order stay. Returns false, changing nothing, for
    // any other target.
    bool convert(unsigned int toFormat);

    unsigned int width = 1;
    unsigned int height = 1;
    unsigned int format = luminance;
    unsigned int type = unsignedByte;
    unsigned int bytesPerPixel = 1;
    unsigned int origin = lowerLeft;
    unsigned int paletteType = paletteNone;
    std::vector<unsigned char> pixels = std::vector<unsigned char>(1, 0);
    std::vector<unsigned char> palette;
};

#endif
