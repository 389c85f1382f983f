#ifndef ZARVY_IMAGE_IMAGELIB_JPEGWRITER_H
#define ZARVY_IMAGE_IMAGELIB_JPEGWRITER_H

#include <vector>

class DecodedImage;

// Encodes a picture of unsigned-byte samples as a baseline JPEG of quality
// 99, as DevIL's ilSaveImage does by default: luminance as grey, rgb as
// colour, rgba as colour with its alpha dropped (JPEG has none). A picture
// whose origin is lowerLeft has its last row written first. Returns false,
// leaving `file` empty, for any other picture.
class JpegWriter {
public:
    virtual ~JpegWriter() = default;

    static bool encode(const DecodedImage& image, std::vector<unsigned char>& file);
};

#endif
