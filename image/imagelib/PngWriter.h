#ifndef ZARVY_IMAGE_IMAGELIB_PNGWRITER_H
#define ZARVY_IMAGE_IMAGELIB_PNGWRITER_H

#include <vector>

class DecodedImage;

// Encodes a picture of unsigned-byte samples (luminance, luminanceAlpha,
// rgb or rgba) as an 8-bit PNG, as DevIL's ilSaveImage does: a picture
// whose origin is lowerLeft has its last row written first, so the file
// shows it the right way up; one whose origin is upperLeft keeps its row
// order. Returns false, leaving `file` empty, for any other picture.
class PngWriter {
public:
    virtual ~PngWriter() = default;

    static bool encode(const DecodedImage& image, std::vector<unsigned char>& file);
};

#endif
