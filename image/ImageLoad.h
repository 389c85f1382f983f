#ifndef ZARVY_IMAGE_IMAGELOAD_H
#define ZARVY_IMAGE_IMAGELOAD_H

#include "image/ImageFileCheck.h"

#include <cstdint>
#include <vector>

// The load of one image file's bytes into the bound DevIL image, step by
// step as the game takes it: the structure and size check, for a PNG the
// check that its image data decodes, DevIL's loader for the format the
// content names (never the file's name), then the conversion to 8-bit RGBA. The texture class and the fuzzing harnesses
// both call it, so what is fuzzed is what the game runs. It makes no GL
// call: the caller passes in what GL allows.
class ImageLoad {
public:
    enum class Result {
        // The bytes failed the check or DevIL's loader refused them.
        notLoaded,
        // The bound image holds the picture as IL_RGBA, IL_UNSIGNED_BYTE.
        converted,
        // The bound image holds the picture as DevIL's loader left it.
        notConverted,
    };

    virtual ~ImageLoad() = default;

    // The game's limits on one image, its sides also at most
    // `maxTextureSize` (what GL_MAX_TEXTURE_SIZE says).
    static ImageFileCheck::Limits gameLimits(int64_t maxTextureSize);

    // Checks `bytes` against `limits` and, if they pass, loads them into the
    // bound DevIL image and converts it. The bytes are freed as soon as the
    // loader is done with them, before the conversion, which lowers the
    // peak. The bound image is left to the caller to upload and delete.
    static Result intoBoundImage(std::vector<unsigned char> bytes, const ImageFileCheck::Limits& limits);
};

#endif
