#ifndef ZARVY_IMAGE_IMAGELIB_IMAGEDECODER_H
#define ZARVY_IMAGE_IMAGELIB_IMAGEDECODER_H

#include <cstddef>

class DecodedImage;

// Decodes PNG (libpng) and JPEG (libjpeg) files held in memory into the
// layout DevIL 1.7.8 gives them, found by comparing with DevIL itself:
// - rows come in file order, top row first (origin upperLeft);
// - PNG: grey below 8 bits is scaled to 8 (a 2-bit 1 becomes 0x55), palette
//   indices below 8 bits take a byte each; a tRNS chunk turns grey into
//   luminanceAlpha and RGB into rgba (the matching colour gets alpha 0,
//   every other 255), and gives a palette its alpha column (entries past
//   the chunk's end 255); 16-bit samples stay 16-bit; gAMA, sRGB, cHRM and
//   iCCP are ignored, the samples are returned as stored; Adam7 interlacing
//   is undone. Chunks after the image data are not read, so a file cut or
//   damaged after its last IDAT still decodes; a bad CRC in a critical
//   chunk before that, a cut or corrupt image data stream is refused.
// - JPEG: libjpeg's default decompression (islow DCT, fancy upsampling, no
//   colour quantisation); 1 channel gives luminance, 3 give rgb, 4 (CMYK or
//   YCCK, as libjpeg leaves them) give rgba; the file must run to its end
//   marker: a file cut anywhere, even only its end marker, is refused.
//   Warnings such as stray bytes between segments do not refuse the file.
// Nothing is printed. On failure `image` is left as it was. The picture's
// size is checked before memory is taken for it, so no size overflows;
// memory that cannot be had refuses the file.
class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;

    static bool isPng(const unsigned char* data, size_t size);
    static bool isJpeg(const unsigned char* data, size_t size);

    static bool decodePng(const unsigned char* data, size_t size, DecodedImage& image);
    static bool decodeJpeg(const unsigned char* data, size_t size, DecodedImage& image);
    // PNG or JPEG, whichever the data's signature says.
    static bool decode(const unsigned char* data, size_t size, DecodedImage& image);
};

#endif
