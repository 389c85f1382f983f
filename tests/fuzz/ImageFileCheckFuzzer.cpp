// Fuzzes the structure and size check on its own. Beyond what the
// sanitizers catch (a read past the bytes, an overflow), it holds the check
// to its contract: what it reports is consistent with the format it found,
// a file that fits is a whole PNG or JPEG whose cost is positive and within
// every limit asked about, and fitting tight limits implies fitting looser
// ones.

#include "FuzzRequire.h"

#include "image/ImageFileCheck.h"
#include "image/ImageLoad.h"

#include <cstddef>
#include <cstdint>

namespace {
// The largest pixel layout the check can report: three channels of a JPEG
// of several scans, samples and coefficients.
const int64_t mostBytesPerPixel = 9;

void requireFitsWithin(const ImageFileCheck& check, const ImageFileCheck::Limits& limits)
{
    if (!check.fits(limits)) {
        return;
    }
    require(check.getFormat() != ImageFileCheck::Format::none, "a file that fits has a format");
    require(check.hasDataForEveryPixel(), "a file that fits has data for every pixel");
    require(check.getBytesPerPixel() > 0, "a file that fits has a decodable pixel layout");
    require(check.getWidth() >= 1 && check.getWidth() <= limits.largestSide, "the width is within the limit");
    require(check.getHeight() >= 1 && check.getHeight() <= limits.largestSide, "the height is within the limit");
    const int64_t pixels = check.getWidth() * check.getHeight();
    require(pixels <= limits.mostPixels, "the pixel count is within the limit");
    require(pixels * check.getBytesPerPixel() <= limits.mostDecodedBytes, "the decoded bytes are within the limit");
    require(check.getScanCount() <= limits.mostScans, "the scan count is within the limit");
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ImageFileCheck check(data, size);

    switch (check.getFormat()) {
    case ImageFileCheck::Format::none:
        require(check.getWidth() == 0 && check.getHeight() == 0 && check.getBytesPerPixel() == 0 &&
                    !check.hasDataForEveryPixel(),
                "no format means no size, no layout and no data");
        break;
    case ImageFileCheck::Format::png:
        require(check.getScanCount() == 0, "a PNG has no scans");
        require(check.getWidth() <= INT64_C(0xffffffff) && check.getHeight() <= INT64_C(0xffffffff),
                "a PNG's sides are 32-bit");
        break;
    case ImageFileCheck::Format::jpeg:
        require(check.getScanCount() >= 0, "a JPEG has a scan count");
        require(check.getWidth() <= 0xffff && check.getHeight() <= 0xffff, "a JPEG's sides are 16-bit");
        break;
    }
    require(check.getWidth() >= 0 && check.getHeight() >= 0, "sides are never negative");
    require(check.getBytesPerPixel() >= 0 && check.getBytesPerPixel() <= mostBytesPerPixel,
            "a pixel takes at most nine bytes");

    // The game's limits, and tighter ones in every field.
    const ImageFileCheck::Limits game = ImageLoad::gameLimits(8192);
    ImageFileCheck::Limits tight;
    tight.largestSide = 64;
    tight.mostPixels = 64 * 32;
    tight.mostDecodedBytes = 64 * 32 * 3;
    tight.mostScans = 3;
    requireFitsWithin(check, game);
    requireFitsWithin(check, tight);
    require(!check.fits(tight) || check.fits(game), "a file that fits tight limits fits looser ones");
    return 0;
}
