// Fuzzes the game's own PNG and JPEG decoder behind the structure and size
// check, with the game's limits, as a build without DevIL loads a texture.
// When the decoder reports a picture, it must have the size the check read
// from the header, within the limits, pixels that fill exactly
// width * height * bytesPerPixel bytes, and convert to 8-bit RGBA of
// width * height * 4 bytes, every one of them readable.

#include "FuzzRequire.h"

#include "image/ImageFileCheck.h"
#include "image/ImageLoad.h"
#include "image/imagelib/DecodedImage.h"
#include "image/imagelib/ImageDecoder.h"

#include <cstddef>
#include <cstdint>

namespace {
// As in the load harness: above the game's own limit of 8192.
const int64_t maxTextureSize = 16384;

void requireWholePicture(const DecodedImage& image, const ImageFileCheck& check,
                         const ImageFileCheck::Limits& limits)
{
    const int64_t width = image.width;
    const int64_t height = image.height;
    require(width == check.getWidth() && height == check.getHeight(),
            "the decoder decodes the size the header claims");
    require(width >= 1 && height >= 1 && width <= limits.largestSide && height <= limits.largestSide &&
                width * height <= limits.mostPixels,
            "the decoded picture is within the limits");
    require(image.origin == DecodedImage::upperLeft, "a decoded file comes top row first");
    const unsigned int sampleBytes = image.type == DecodedImage::unsignedShort ? 2 : 1;
    require(image.type == DecodedImage::unsignedByte || image.type == DecodedImage::unsignedShort,
            "samples are 8 or 16 bits");
    require(DecodedImage::channelsOf(image.format) != 0 &&
                image.bytesPerPixel == DecodedImage::channelsOf(image.format) * sampleBytes,
            "a pixel takes its channels times its sample size");
    require(image.pixels.size() == static_cast<size_t>(width * height) * image.bytesPerPixel,
            "the pixels fill width * height * bytesPerPixel bytes");
    require((image.format == DecodedImage::colourIndex) == (image.paletteType != DecodedImage::paletteNone),
            "a palette comes with indices and only with them");
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ImageFileCheck::Limits limits = ImageLoad::gameLimits(maxTextureSize);
    const ImageFileCheck check(data, size);
    if (!check.fits(limits)) {
        return 0;
    }
    DecodedImage image;
    if (!ImageDecoder::decode(data, size, image)) {
        return 0;
    }
    requireWholePicture(image, check, limits);
    require(image.convert(DecodedImage::rgba), "a decoded picture converts to RGBA");
    const size_t rgbaBytes = static_cast<size_t>(image.width) * image.height * 4;
    require(image.format == DecodedImage::rgba && image.type == DecodedImage::unsignedByte &&
                image.bytesPerPixel == 4 && image.pixels.size() == rgbaBytes,
            "the converted picture is width * height * 4 bytes of 8-bit RGBA");
    // Every byte is read, so AddressSanitizer sees a buffer that is short.
    unsigned sum = 0;
    for (unsigned char byte : image.pixels) {
        sum += byte;
    }
    volatile unsigned keep = sum;
    (void)keep;
    return 0;
}
