#include "image/imagelib/JpegWriter.h"

#include "image/imagelib/DecodedImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <jpeglib.h>

// libjpeg reports errors by longjmp; the function that calls setjmp keeps
// only plain values in its own frame (see ImageDecoder.cpp).

namespace {
const int quality = 99;

struct JpegError {
    jpeg_error_mgr manager = {};
    std::jmp_buf jump = {};
};

void jpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegMessage(j_common_ptr)
{
}

struct JpegWriting {
    ~JpegWriting()
    {
        if (created) {
            jpeg_destroy_compress(&info);
        }
        std::free(buffer);
    }
    jpeg_compress_struct info = {};
    JpegError error;
    bool created = false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<unsigned char> row;
};

bool writeJpeg(JpegWriting& writing, const DecodedImage& image)
{
    jpeg_compress_struct* info = &writing.info;
    info->err = jpeg_std_error(&writing.error.manager);
    writing.error.manager.error_exit = jpegError;
    writing.error.manager.output_message = jpegMessage;
    if (setjmp(writing.error.jump)) {
        return false;
    }
    jpeg_create_compress(info);
    writing.created = true;
    jpeg_mem_dest(info, &writing.buffer, &writing.size);
    info->image_width = image.width;
    info->image_height = image.height;
    const bool grey = image.format == DecodedImage::luminance;
    info->input_components = grey ? 1 : 3;
    info->in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    jpeg_start_compress(info, TRUE);
    const bool bottomFirst = image.origin == DecodedImage::lowerLeft;
    const unsigned int channels = info->input_components;
    while (info->next_scanline < info->image_height) {
        const unsigned int line = info->next_scanline;
        const unsigned int source = bottomFirst ? image.height - 1 - line : line;
        const unsigned char* pixel = image.pixels.data() + source * image.rowBytes();
        // Only the colour channels go in: an alpha channel is dropped.
        for (unsigned int x = 0; x < image.width; ++x) {
            for (unsigned int c = 0; c < channels; ++c) {
                writing.row[x * channels + c] = pixel[x * image.bytesPerPixel + c];
            }
        }
        JSAMPROW rows[1] = {writing.row.data()};
        jpeg_write_scanlines(info, rows, 1);
    }
    jpeg_finish_compress(info);
    return true;
}
}

bool JpegWriter::encode(const DecodedImage& image, std::vector<unsigned char>& file)
{
    file.clear();
    const unsigned int format = image.format;
    const bool known = format == DecodedImage::luminance || format == DecodedImage::rgb ||
                       format == DecodedImage::rgba;
    if (!known || image.type != DecodedImage::unsignedByte || image.width == 0 || image.height == 0 ||
        image.width > JPEG_MAX_DIMENSION || image.height > JPEG_MAX_DIMENSION ||
        image.bytesPerPixel != DecodedImage::channelsOf(format) ||
        image.pixels.size() / image.rowBytes() < image.height) {
        return false;
    }
    try {
        JpegWriting writing;
        writing.row.resize(static_cast<size_t>(image.width) * 3);
        if (!writeJpeg(writing, image)) {
            return false;
        }
        file.assign(writing.buffer, writing.buffer + writing.size);
        return true;
    } catch (const std::bad_alloc&) {
        file.clear();
        return false;
    }
}
