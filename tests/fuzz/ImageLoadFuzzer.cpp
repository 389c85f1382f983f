// Fuzzes the whole load the game performs on a file's bytes: the shared
// ImageLoad with the game's own limits, DevIL behind it. When the load
// reports a picture, DevIL must have decoded the size the check read from
// the header, within the limits, converted to RGBA, and every one of its
// width * height * 4 bytes must be readable.

#include "FuzzRequire.h"

#include "image/ImageFileCheck.h"
#include "image/ImageLoad.h"

#include <IL/il.h>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {
// What the harness takes GL_MAX_TEXTURE_SIZE to be: above the game's own
// limit of 8192, so that limit applies, as it does on current GL drivers.
const int64_t maxTextureSize = 16384;

void requireWholeRgbaPicture(const ImageFileCheck& check, const ImageFileCheck::Limits& limits)
{
    const int64_t width = ilGetInteger(IL_IMAGE_WIDTH);
    const int64_t height = ilGetInteger(IL_IMAGE_HEIGHT);
    require(width == check.getWidth() && height == check.getHeight(),
            "DevIL decodes the size the header claims");
    require(width >= 1 && height >= 1 && width <= limits.largestSide && height <= limits.largestSide &&
                width * height <= limits.mostPixels,
            "the decoded picture is within the limits");
    require(ilGetInteger(IL_IMAGE_DEPTH) == 1, "the picture is two-dimensional");
    require(ilGetInteger(IL_IMAGE_FORMAT) == IL_RGBA && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE &&
                ilGetInteger(IL_IMAGE_BPP) == 4,
            "the converted picture is 8-bit RGBA");
    const int64_t bytes = width * height * 4;
    require(ilGetInteger(IL_IMAGE_SIZE_OF_DATA) == bytes, "DevIL holds width * height * 4 bytes");
    const ILubyte* pixels = ilGetData();
    require(pixels != nullptr, "the converted picture has data");
    // Every byte is read, so AddressSanitizer sees a buffer that is short.
    unsigned sum = 0;
    for (int64_t i = 0; i < bytes; ++i) {
        sum += pixels[i];
    }
    volatile unsigned keep = sum;
    (void)keep;
}
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ilInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ImageFileCheck::Limits limits = ImageLoad::gameLimits(maxTextureSize);
    const ImageFileCheck check(data, size);

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const ImageLoad::Result result = ImageLoad::intoBoundImage(std::vector<unsigned char>(data, data + size), limits);
    if (result != ImageLoad::Result::notLoaded) {
        require(check.fits(limits), "only bytes that pass the check are loaded");
        require(result == ImageLoad::Result::converted, "a picture that loaded converts to RGBA");
        requireWholeRgbaPicture(check, limits);
    }
    ilDeleteImages(1, &image);
    // DevIL keeps a short stack of errors; each input starts with it empty.
    while (ilGetError() != IL_NO_ERROR) {
    }
    return 0;
}
