#ifndef ZARVY_IMAGE_PNGDATACHECK_H
#define ZARVY_IMAGE_PNGDATACHECK_H

#include <cstddef>

// Whether a PNG's image data decodes: the zlib stream in its first run of
// IDAT chunks inflates, checksum included, to exactly the filtered rows its
// header describes (those of Adam7's seven passes for an interlaced file),
// each row led by a filter type from 0 to 4. libpng stops on any fault of
// these while it decodes the rows, and DevIL then loses the row table it
// holds for them, so a PNG goes to DevIL only when its data passes.
// The cost is one inflation of the data, discarded as it goes: ask only
// about a file that fits the game's limits (ImageFileCheck::fits).
class PngDataCheck {
public:
    virtual ~PngDataCheck() = default;

    // `data` is a PNG whose chunks ImageFileCheck found whole; keeps no
    // pointer to it.
    static bool decodes(const unsigned char* data, size_t size);
};

#endif
