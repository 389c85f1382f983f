#include "image/imagelib/DecodedImage.h"

#include <cstdint>
#include <cstring>

namespace {
// One sample as 8 bits: a 16-bit sample keeps its high byte.
unsigned char sampleAt(const unsigned char* pixel, unsigned int channel, bool deep)
{
    if (!deep) {
        return pixel[channel];
    }
    uint16_t sample = 0;
    std::memcpy(&sample, pixel + 2 * channel, sizeof(sample));
    return static_cast<unsigned char>(sample >> 8);
}
}

unsigned int DecodedImage::channelsOf(unsigned int format)
{
    switch (format) {
    case colourIndex:
    case luminance:
        return 1;
    case luminanceAlpha:
        return 2;
    case rgb:
        return 3;
    case rgba:
        return 4;
    default:
        return 0;
    }
}

size_t DecodedImage::paletteEntries() const
{
    const size_t entrySize = paletteType == paletteRgba32 ? 4 : 3;
    return paletteType == paletteNone ? 0 : palette.size() / entrySize;
}

bool DecodedImage::convert(unsigned int toFormat)
{
    if (toFormat != rgb && toFormat != rgba) {
        return false;
    }
    if (format == toFormat && type == unsignedByte) {
        return true;
    }
    const unsigned int outChannels = channelsOf(toFormat);
    const bool deep = type == unsignedShort;
    const size_t count = static_cast<size_t>(width) * height;
    const size_t entries = paletteEntries();
    const size_t entrySize = paletteType == paletteRgba32 ? 4 : 3;
    std::vector<unsigned char> converted(count * outChannels);
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* in = pixels.data() + i * bytesPerPixel;
        unsigned char colour[4] = {0, 0, 0, 255};
        switch (format) {
        case luminance:
            colour[0] = colour[1] = colour[2] = sampleAt(in, 0, deep);
            break;
        case luminanceAlpha:
            colour[0] = colour[1] = colour[2] = sampleAt(in, 0, deep);
            colour[3] = sampleAt(in, 1, deep);
            break;
        case rgb:
        case rgba:
            for (unsigned int c = 0; c < channelsOf(format); ++c) {
                colour[c] = sampleAt(in, c, deep);
            }
            break;
        case colourIndex:
            if (in[0] < entries) {
                std::memcpy(colour, palette.data() + in[0] * entrySize, entrySize);
            }
            break;
        default:
            return false;
        }
        std::memcpy(converted.data() + i * outChannels, colour, outChannels);
    }
    pixels.swap(converted);
    format = toFormat;
    type = unsignedByte;
    bytesPerPixel = outChannels;
    paletteType = paletteNone;
    palette.clear();
    return true;
}
