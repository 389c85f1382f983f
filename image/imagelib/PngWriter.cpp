#include "image/imagelib/PngWriter.h"

#include "image/imagelib/DecodedImage.h"

#include <csetjmp>
#include <cstring>
#include <new>
#include <png.h>

// libpng reports errors by longjmp; the function that calls setjmp keeps
// only plain values in its own frame (see ImageDecoder.cpp).

namespace {
void appendBytes(png_structp png, png_bytep data, png_size_t count)
{
    std::vector<unsigned char>* file = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    try {
        file->insert(file->end(), data, data + count);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void flushNothing(png_structp)
{
}

void pngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp)
{
}

struct PngWriting {
    PngWriting() { png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning); }
    ~PngWriting() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;
};

bool writePng(PngWriting& writing, const DecodedImage& image, int colourType, std::vector<unsigned char>& file)
{
    png_structp png = writing.png;
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    writing.info = png_create_info_struct(png);
    if (writing.info == nullptr) {
        return false;
    }
    png_set_write_fn(png, &file, appendBytes, flushNothing);
    png_set_IHDR(png, writing.info, image.width, image.height, 8, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, writing.info);
    png_write_image(png, writing.rows.data());
    png_write_end(png, writing.info);
    return true;
}
}

bool PngWriter::encode(const DecodedImage& image, std::vector<unsigned char>& file)
{
    file.clear();
    int colourType = 0;
    switch (image.format) {
    case DecodedImage::luminance:
        colourType = PNG_COLOR_TYPE_GRAY;
        break;
    case DecodedImage::luminanceAlpha:
        colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
        break;
    case DecodedImage::rgb:
        colourType = PNG_COLOR_TYPE_RGB;
        break;
    case DecodedImage::rgba:
        colourType = PNG_COLOR_TYPE_RGB_ALPHA;
        break;
    default:
        return false;
    }
    if (image.type != DecodedImage::unsignedByte || image.width == 0 || image.height == 0 ||
        image.bytesPerPixel != DecodedImage::channelsOf(image.format) ||
        image.pixels.size() / image.rowBytes() < image.height) {
        return false;
    }
    try {
        PngWriting writing;
        if (writing.png == nullptr) {
            return false;
        }
        writing.rows.resize(image.height);
        const bool bottomFirst = image.origin == DecodedImage::lowerLeft;
        for (unsigned int row = 0; row < image.height; ++row) {
            const unsigned int source = bottomFirst ? image.height - 1 - row : row;
            writing.rows[row] = const_cast<png_bytep>(image.pixels.data() + source * image.rowBytes());
        }
        if (!writePng(writing, image, colourType, file)) {
            file.clear();
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        file.clear();
        return false;
    }
}
