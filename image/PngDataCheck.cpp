#include "image/PngDataCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>
#include <zlib.h>

namespace {
const size_t signatureBytes = 8;
const size_t chunkOverhead = 12;
const unsigned char mostFilterType = 4;

uint32_t bigEndian32(const unsigned char* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// One pass of the picture: `rows` rows of `rowBytes` bytes, the filter type
// byte included.
struct Pass {
    uint64_t rows = 0;
    uint64_t rowBytes = 0;
};

// The passes in the order the filtered data holds them: one for a plain
// file, Adam7's seven for an interlaced one, empty passes left out (they
// hold no filter byte either).
std::vector<Pass> passesOf(uint64_t width, uint64_t height, uint64_t bitsPerPixel, bool interlaced)
{
    struct Step {
        uint64_t x, y, dx, dy;
    };
    static const Step adam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static const Step whole[1] = {{0, 0, 1, 1}};
    const Step* steps = interlaced ? adam7 : whole;
    std::vector<Pass> passes;
    for (int i = 0; i < (interlaced ? 7 : 1); ++i) {
        const Step& s = steps[i];
        const uint64_t columns = width > s.x ? (width - s.x + s.dx - 1) / s.dx : 0;
        const uint64_t rows = height > s.y ? (height - s.y + s.dy - 1) / s.dy : 0;
        if (columns > 0 && rows > 0) {
            Pass pass;
            pass.rows = rows;
            pass.rowBytes = 1 + (columns * bitsPerPixel + 7) / 8;
            passes.push_back(pass);
        }
    }
    return passes;
}

uint64_t bitsPerPixelOf(unsigned char bitDepth, unsigned char colourType)
{
    switch (colourType) {
    case 0: return bitDepth;
    case 2: return 3u * bitDepth;
    case 3: return bitDepth;
    case 4: return 2u * bitDepth;
    case 6: return 4u * bitDepth;
    default: return 0;
    }
}

// Follows the inflated bytes through the passes' rows and their filter bytes.
class FilteredRows {
public:
    explicit FilteredRows(std::vector<Pass> passes) : passes(std::move(passes)) {}

    // False at a filter type out of range or a byte past the last row.
    bool take(const unsigned char* bytes, size_t count)
    {
        size_t at = 0;
        while (at < count) {
            if (pass == passes.size()) {
                return false;
            }
            if (inRow == 0 && bytes[at] > mostFilterType) {
                return false;
            }
            const uint64_t step = std::min<uint64_t>(passes[pass].rowBytes - inRow, count - at);
            at += static_cast<size_t>(step);
            inRow += step;
            if (inRow == passes[pass].rowBytes) {
                inRow = 0;
                if (++row == passes[pass].rows) {
                    row = 0;
                    ++pass;
                }
            }
        }
        return true;
    }

    bool complete() const { return pass == passes.size(); }

private:
    std::vector<Pass> passes;
    size_t pass = 0;
    uint64_t row = 0;
    uint64_t inRow = 0;
};
}

bool PngDataCheck::decodes(const unsigned char* data, size_t size)
{
    // The header chunk comes first, 13 bytes long.
    if (data == nullptr || size < signatureBytes + chunkOverhead + 13) {
        return false;
    }
    const unsigned char* header = data + signatureBytes + 8;
    const uint64_t bitsPerPixel = bitsPerPixelOf(header[8], header[9]);
    if (bitsPerPixel == 0 || header[12] > 1) {
        return false;
    }
    FilteredRows rows(passesOf(bigEndian32(header), bigEndian32(header + 4), bitsPerPixel, header[12] == 1));

    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK) {
        return false;
    }
    std::vector<unsigned char> window(size_t(1) << 16);
    int status = Z_OK;
    bool sound = true;
    bool inData = false;
    // libpng reads the rows from the first run of IDAT chunks only.
    for (size_t pos = signatureBytes; sound && status != Z_STREAM_END && pos + chunkOverhead <= size;) {
        const size_t length = bigEndian32(data + pos);
        if (length > size - pos - chunkOverhead) {
            break;
        }
        const bool isData = std::memcmp(data + pos + 4, "IDAT", 4) == 0;
        if (!isData && inData) {
            break;
        }
        inData = isData;
        if (isData) {
            stream.next_in = const_cast<Bytef*>(data + pos + 8);
            stream.avail_in = static_cast<uInt>(length);
            // A full window may leave output pending: inflate again until
            // the chunk is used up and the window is not filled.
            bool windowFilled = true;
            while (sound && status == Z_OK && (stream.avail_in > 0 || windowFilled)) {
                stream.next_out = window.data();
                stream.avail_out = static_cast<uInt>(window.size());
                status = inflate(&stream, Z_NO_FLUSH);
                windowFilled = stream.avail_out == 0;
                // Z_BUF_ERROR: no progress was possible, nothing is wrong.
                if (status == Z_BUF_ERROR) {
                    status = Z_OK;
                    windowFilled = false;
                }
                sound = (status == Z_OK || status == Z_STREAM_END) &&
                        rows.take(window.data(), window.size() - stream.avail_out);
            }
        }
        pos += chunkOverhead + length;
    }
    inflateEnd(&stream);
    return sound && status == Z_STREAM_END && rows.complete();
}
