#include "image/ImageLoad.h"

#include "image/PngDataCheck.h"

#include <IL/il.h>
#include <algorithm>

namespace {
// What one image may cost. The game's own images are at most 1024 by 1024;
// these limits leave room for pictures 16 times that size while the game,
// with any one of its images replaced by the costliest file allowed, stays
// near 280 MB resident, well under 400 MB.
// Neither side may exceed 8192 pixels or GL_MAX_TEXTURE_SIZE.
const int64_t largestSide = 8192;
// 64 MB once converted to RGBA.
const int64_t mostPixels = int64_t(4096) * 4096;
// What the decoder holds at once: 16-bit samples and the coefficients of a
// JPEG of more than one scan count too.
const int64_t mostDecodedBytes = int64_t(64) << 20;
// Each scan of a progressive JPEG costs a pass over the whole picture; an
// ordinary file has about ten.
const int64_t mostScans = 100;
}

ImageFileCheck::Limits ImageLoad::gameLimits(int64_t maxTextureSize)
{
    ImageFileCheck::Limits limits;
    limits.largestSide = std::min<int64_t>(largestSide, maxTextureSize);
    limits.mostPixels = mostPixels;
    limits.mostDecodedBytes = mostDecodedBytes;
    limits.mostScans = mostScans;
    return limits;
}

ImageLoad::Result ImageLoad::intoBoundImage(std::vector<unsigned char> bytes, const ImageFileCheck::Limits& limits)
{
    // DevIL decodes exactly the bytes that were checked, so the file cannot
    // change between the check and the load.
    const ImageFileCheck check(bytes.data(), bytes.size());
    if (!check.fits(limits)) {
        return Result::notLoaded;
    }
    const bool png = check.getFormat() == ImageFileCheck::Format::png;
    // Only now, within the limits, is inflating the image data cheap enough.
    if (png && !PngDataCheck::decodes(bytes.data(), bytes.size())) {
        return Result::notLoaded;
    }
    const ILenum loader = png ? IL_PNG : IL_JPG;
    const bool loaded = ilLoadL(loader, bytes.data(), static_cast<ILuint>(bytes.size()));
    std::vector<unsigned char>().swap(bytes);
    if (!loaded) {
        return Result::notLoaded;
    }
    return ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) ? Result::converted : Result::notConverted;
}
