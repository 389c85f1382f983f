#include "ImageWriter.h"

#include <IL/il.h>

#include <cstddef>

namespace {

const int jpegQuality = 92;

}

ImageWriter::ImageWriter()
{
    ilInit();
    ilEnable(IL_FILE_OVERWRITE);
}

ImageWriter::~ImageWriter()
{
    ilShutDown();
}

bool ImageWriter::write(const std::string& path, const std::vector<unsigned char>& rgba, int width,
                        int height, bool keepAlpha, std::string& error) const
{
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (width <= 0 || height <= 0 || rgba.size() != pixels * 4) {
        error = "the painted buffer does not match the image size";
        return false;
    }
    const int channels = keepAlpha ? 4 : 3;
    std::vector<unsigned char> packed(pixels * static_cast<std::size_t>(channels));
    for (std::size_t p = 0; p < pixels; ++p) {
        for (int c = 0; c < channels; ++c) {
            packed[p * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                rgba[p * 4 + static_cast<std::size_t>(c)];
        }
    }

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
        bool ok = ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height), 1,
                             static_cast<ILubyte>(channels), keepAlpha ? IL_RGBA : IL_RGB,
                             IL_UNSIGNED_BYTE, packed.data()) == IL_TRUE;
        if (ok) {
            // A new DevIL image counts its rows from the bottom and the savers
            // flip such images; the buffer is top row first, so say so.
            ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
            ilSetInteger(IL_JPG_QUALITY, jpegQuality);
            ok = ilSaveImage(path.c_str()) == IL_TRUE;
        }
        const ILenum code = ilGetError();
    ilDeleteImages(1, &image);
    if (!ok) {
        error = "DevIL error " + std::to_string(static_cast<unsigned int>(code));
    }
    return ok;
}
