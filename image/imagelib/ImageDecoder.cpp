#include "image/imagelib/ImageDecoder.h"

#include "image/imagelib/DecodedImage.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <jerror.h>
#include <new>
#include <png.h>
#include <vector>

// libpng and libjpeg report errors by longjmp. Every function below that
// calls setjmp keeps only plain values in its own frame; the objects that
// own memory live in the caller, so a jump skips no destructor.

namespace {
bool littleEndianHost()
{
    const uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// The bytes a picture of this shape takes, or 0 if that does not fit in
// memory's address range.
size_t pictureBytes(uint64_t width, uint64_t height, uint64_t bytesPerPixel)
{
    if (width == 0 || height == 0 || bytesPerPixel == 0) {
        return 0;
    }
    const uint64_t limit = static_cast<uint64_t>(SIZE_MAX) / 2;
    if (width > limit / bytesPerPixel || height > limit / (width * bytesPerPixel)) {
        return 0;
    }
    return static_cast<size_t>(width * height * bytesPerPixel);
}

struct MemoryReader {
    const unsigned char* data = nullptr;
    size_t size = 0;
    size_t at = 0;
};

void readPngBytes(png_structp png, png_bytep out, png_size_t count)
{
    MemoryReader* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->at) {
        png_error(png, "read past the end of the data");
    }
    std::memcpy(out, reader->data + reader->at, count);
    reader->at += count;
}

void pngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp)
{
}

// Owns libpng's reading state; released in any case.
struct PngReading {
    PngReading() { png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning); }
    ~PngReading() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;
};

bool readPng(PngReading& reading, MemoryReader& reader, DecodedImage& image)
{
    png_structp png = reading.png;
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    reading.info = png_create_info_struct(png);
    if (reading.info == nullptr) {
        return false;
    }
    png_infop info = reading.info;
    png_set_read_fn(png, &reader, readPngBytes);
    png_read_info(png, info);

    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE && bitDepth < 8) {
        png_set_packing(png);
    }
    if (hasTransparency && colourType != PNG_COLOR_TYPE_PALETTE) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16 && littleEndianHost()) {
        png_set_swap(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const unsigned int channels = png_get_channels(png, info);
    const unsigned int sampleBytes = png_get_bit_depth(png, info) == 16 ? 2 : 1;
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    image.bytesPerPixel = channels * sampleBytes;
    image.type = sampleBytes == 2 ? DecodedImage::unsignedShort : DecodedImage::unsignedByte;
    image.origin = DecodedImage::upperLeft;
    static const unsigned int formats[] = {DecodedImage::luminance, DecodedImage::luminanceAlpha,
                                           DecodedImage::rgb, DecodedImage::rgba};
    if (channels < 1 || channels > 4) {
        return false;
    }
    image.format = formats[channels - 1];
    image.paletteType = DecodedImage::paletteNone;
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp entries = nullptr;
        int entryCount = 0;
        if (png_get_PLTE(png, info, &entries, &entryCount) == 0 || channels != 1) {
            return false;
        }
        png_bytep alphas = nullptr;
        int alphaCount = 0;
        if (hasTransparency) {
            png_get_tRNS(png, info, &alphas, &alphaCount, nullptr);
        }
        const size_t entrySize = hasTransparency ? 4 : 3;
        image.format = DecodedImage::colourIndex;
        image.paletteType = hasTransparency ? DecodedImage::paletteRgba32 : DecodedImage::paletteRgb24;
        image.palette.assign(static_cast<size_t>(entryCount) * entrySize, 255);
        for (int i = 0; i < entryCount; ++i) {
            unsigned char* entry = image.palette.data() + i * entrySize;
            entry[0] = entries[i].red;
            entry[1] = entries[i].green;
            entry[2] = entries[i].blue;
            if (hasTransparency && i < alphaCount) {
                entry[3] = alphas[i];
            }
        }
    }

    const size_t bytes = pictureBytes(image.width, image.height, image.bytesPerPixel);
    if (bytes == 0 || png_get_rowbytes(png, info) != image.rowBytes()) {
        return false;
    }
    image.pixels.resize(bytes);
    reading.rows.resize(image.height);
    for (unsigned int row = 0; row < image.height; ++row) {
        reading.rows[row] = image.pixels.data() + row * image.rowBytes();
    }
    png_read_image(png, reading.rows.data());
    return true;
}

// libjpeg's error manager with a place to jump back to.
struct JpegError {
    jpeg_error_mgr manager = {};
    jmp_buf jump;
};

void jpegErrorExit(j_common_ptr info)
{
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegMessage(j_common_ptr)
{
}

void jpegSourceStart(j_decompress_ptr)
{
}

// The whole file is in the buffer from the start: asking for more means the
// file ended before its end marker.
boolean jpegSourceFill(j_decompress_ptr info)
{
    info->err->msg_code = JERR_INPUT_EOF;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    return FALSE;
}

void jpegSourceSkip(j_decompress_ptr info, long count)
{
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr* source = info->src;
    if (static_cast<unsigned long>(count) > source->bytes_in_buffer) {
        jpegSourceFill(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void jpegSourceEnd(j_decompress_ptr)
{
}

// Owns libjpeg's decompression state; released in any case.
struct JpegReading {
    jpeg_decompress_struct info = {};
    JpegError error;
    jpeg_source_mgr source = {};
    bool created = false;
    ~JpegReading()
    {
        if (created) {
            jpeg_destroy_decompress(&info);
        }
    }
};

bool readJpeg(JpegReading& reading, const unsigned char* data, size_t size, DecodedImage& image)
{
    jpeg_decompress_struct* info = &reading.info;
    info->err = jpeg_std_error(&reading.error.manager);
    reading.error.manager.error_exit = jpegErrorExit;
    reading.error.manager.output_message = jpegMessage;
    if (setjmp(reading.error.jump)) {
        return false;
    }
    jpeg_create_decompress(info);
    reading.created = true;
    reading.source.next_input_byte = data;
    reading.source.bytes_in_buffer = size;
    reading.source.init_source = jpegSourceStart;
    reading.source.fill_input_buffer = jpegSourceFill;
    reading.source.skip_input_data = jpegSourceSkip;
    reading.source.resync_to_restart = jpeg_resync_to_restart;
    reading.source.term_source = jpegSourceEnd;
    info->src = &reading.source;

    jpeg_read_header(info, TRUE);
    jpeg_start_decompress(info);
    const unsigned int channels = static_cast<unsigned int>(info->output_components);
    static const unsigned int formats[] = {DecodedImage::luminance, 0, DecodedImage::rgb, DecodedImage::rgba};
    if (channels < 1 || channels > 4 || formats[channels - 1] == 0) {
        return false;
    }
    image.width = info->output_width;
    image.height = info->output_height;
    image.format = formats[channels - 1];
    image.type = DecodedImage::unsignedByte;
    image.bytesPerPixel = channels;
    image.origin = DecodedImage::upperLeft;
    image.paletteType = DecodedImage::paletteNone;
    image.palette.clear();
    const size_t bytes = pictureBytes(image.width, image.height, channels);
    if (bytes == 0) {
        return false;
    }
    image.pixels.resize(bytes);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image.pixels.data() + static_cast<size_t>(info->output_scanline) * image.rowBytes();
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}
}

bool ImageDecoder::isPng(const unsigned char* data, size_t size)
{
    return size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

bool ImageDecoder::isJpeg(const unsigned char* data, size_t size)
{
    return size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
}

bool ImageDecoder::decodePng(const unsigned char* data, size_t size, DecodedImage& image)
{
    if (data == nullptr) {
        return false;
    }
    try {
        DecodedImage decoded;
        PngReading reading;
        MemoryReader reader;
        reader.data = data;
        reader.size = size;
        if (reading.png == nullptr || !readPng(reading, reader, decoded)) {
            return false;
        }
        image = std::move(decoded);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ImageDecoder::decodeJpeg(const unsigned char* data, size_t size, DecodedImage& image)
{
    if (data == nullptr || size == 0) {
        return false;
    }
    try {
        DecodedImage decoded;
        JpegReading reading;
        if (!readJpeg(reading, data, size, decoded)) {
            return false;
        }
        image = std::move(decoded);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ImageDecoder::decode(const unsigned char* data, size_t size, DecodedImage& image)
{
    if (isPng(data, size)) {
        return decodePng(data, size, image);
    }
    return isJpeg(data, size) && decodeJpeg(data, size, image);
}
