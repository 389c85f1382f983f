#include <IL/il.h>

#include "image/imagelib/DecodedImage.h"
#include "image/imagelib/ImageDecoder.h"
#include "image/imagelib/JpegWriter.h"
#include "image/imagelib/PngWriter.h"

#include <cstdio>
#include <map>
#include <new>
#include <string>
#include <vector>

// DevIL's calls over the game's own decoder. Like DevIL, the library keeps
// one table of images and a current image, and is not thread-safe.

namespace {
// Errors kept for ilGetError; older ones are dropped past this many.
const size_t mostErrors = 32;

struct Library {
    std::map<ILuint, DecodedImage> images;
    std::vector<ILuint> freeNames;
    ILuint nextName = 1;
    ILuint current = 0;
    bool overwrite = false;
    std::vector<ILenum> errors;
};

Library& library()
{
    static Library state;
    return state;
}

void raise(ILenum error)
{
    std::vector<ILenum>& errors = library().errors;
    if (errors.size() == mostErrors) {
        errors.erase(errors.begin());
    }
    errors.push_back(error);
}

// The current image; image 0 is made on first use.
DecodedImage& currentImage()
{
    Library& state = library();
    return state.images[state.current];
}

bool readFile(const char* path, std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    unsigned char buffer[65536];
    size_t count = 0;
    bool ok = true;
    try {
        while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
            bytes.insert(bytes.end(), buffer, buffer + count);
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ok = ok && std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// True if `name` ends in `extension`, in any case.
bool endsIn(const std::string& name, const std::string& extension)
{
    if (name.size() < extension.size()) {
        return false;
    }
    std::string end = name.substr(name.size() - extension.size());
    for (char& c : end) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return end == extension;
}

// Decodes into the current image, which stays as it was on failure.
ILboolean loadBytes(ILenum type, const unsigned char* data, size_t size)
{
    const bool png = type == IL_PNG || (type == IL_TYPE_UNKNOWN && ImageDecoder::isPng(data, size));
    const bool jpeg = type == IL_JPG || (type == IL_TYPE_UNKNOWN && ImageDecoder::isJpeg(data, size));
    if (!png && !jpeg) {
        raise(type == IL_TYPE_UNKNOWN ? IL_INVALID_FILE_HEADER : IL_INVALID_ENUM);
        return IL_FALSE;
    }
    DecodedImage& image = currentImage();
    const bool ok = png ? ImageDecoder::decodePng(data, size, image) : ImageDecoder::decodeJpeg(data, size, image);
    if (!ok) {
        raise(png ? IL_LIB_PNG_ERROR : IL_LIB_JPEG_ERROR);
    }
    return ok ? IL_TRUE : IL_FALSE;
}
}

extern "C" {

void ilInit(void)
{
    currentImage();
}

void ilShutDown(void)
{
    library() = Library();
}

void ilGenImages(ILsizei count, ILuint* images)
{
    Library& state = library();
    for (ILsizei i = 0; images != nullptr && i < count; ++i) {
        ILuint name = 0;
        if (!state.freeNames.empty()) {
            name = state.freeNames.back();
            state.freeNames.pop_back();
        } else {
            while (state.images.count(state.nextName) != 0) {
                ++state.nextName;
            }
            name = state.nextName++;
        }
        state.images[name] = DecodedImage();
        images[i] = name;
    }
}

void ilBindImage(ILuint image)
{
    Library& state = library();
    state.current = image;
    if (state.images.count(image) == 0) {
        state.images[image] = DecodedImage();
        for (size_t i = 0; i < state.freeNames.size(); ++i) {
            if (state.freeNames[i] == image) {
                state.freeNames.erase(state.freeNames.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
    }
}

void ilDeleteImages(ILsizei count, const ILuint* images)
{
    Library& state = library();
    for (ILsizei i = 0; images != nullptr && i < count; ++i) {
        const ILuint name = images[i];
        if (name == 0 || state.images.erase(name) == 0) {
            continue;
        }
        state.freeNames.push_back(name);
        if (state.current == name) {
            state.current = 0;
        }
    }
}

ILboolean ilIsImage(ILuint image)
{
    return image != 0 && library().images.count(image) != 0 ? IL_TRUE : IL_FALSE;
}

ILboolean ilLoadL(ILenum type, const void* lump, ILuint size)
{
    if (lump == nullptr) {
        raise(IL_INVALID_PARAM);
        return IL_FALSE;
    }
    return loadBytes(type, static_cast<const unsigned char*>(lump), size);
}

ILboolean ilLoadImage(ILconst_string fileName)
{
    std::vector<unsigned char> bytes;
    if (fileName == nullptr || !readFile(fileName, bytes)) {
        raise(IL_COULD_NOT_OPEN_FILE);
        return IL_FALSE;
    }
    return loadBytes(IL_TYPE_UNKNOWN, bytes.data(), bytes.size());
}

ILboolean ilSaveImage(ILconst_string fileName)
{
    // The name's extension picks the format, as DevIL's does.
    const bool png = fileName != nullptr && endsIn(fileName, ".png");
    const bool jpeg = fileName != nullptr && (endsIn(fileName, ".jpg") || endsIn(fileName, ".jpeg"));
    if (!png && !jpeg) {
        raise(IL_INVALID_EXTENSION);
        return IL_FALSE;
    }
    if (!library().overwrite) {
        FILE* existing = std::fopen(fileName, "rb");
        if (existing != nullptr) {
            std::fclose(existing);
            raise(IL_FILE_ALREADY_EXISTS);
            return IL_FALSE;
        }
    }
    std::vector<unsigned char> bytes;
    if (png ? !PngWriter::encode(currentImage(), bytes) : !JpegWriter::encode(currentImage(), bytes)) {
        raise(png ? IL_LIB_PNG_ERROR : IL_LIB_JPEG_ERROR);
        return IL_FALSE;
    }
    FILE* file = std::fopen(fileName, "wb");
    if (file == nullptr) {
        raise(IL_COULD_NOT_OPEN_FILE);
        return IL_FALSE;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        // A half-written file would later load as a broken picture.
        std::remove(fileName);
        raise(IL_COULD_NOT_OPEN_FILE);
        return IL_FALSE;
    }
    return IL_TRUE;
}

ILboolean ilConvertImage(ILenum destFormat, ILenum destType)
{
    if (destType != IL_UNSIGNED_BYTE || (destFormat != IL_RGB && destFormat != IL_RGBA)) {
        raise(IL_INVALID_CONVERSION);
        return IL_FALSE;
    }
    try {
        if (!currentImage().convert(destFormat)) {
            raise(IL_INVALID_CONVERSION);
            return IL_FALSE;
        }
    } catch (const std::bad_alloc&) {
        raise(IL_OUT_OF_MEMORY);
        return IL_FALSE;
    }
    return IL_TRUE;
}

ILboolean ilTexImage(ILuint width, ILuint height, ILuint depth, ILubyte channels, ILenum format,
                     ILenum type, void* data)
{
    const unsigned int formatChannels = DecodedImage::channelsOf(format);
    if (width == 0 || height == 0 || depth != 1 || type != IL_UNSIGNED_BYTE || format == IL_COLOUR_INDEX ||
        formatChannels == 0 || formatChannels != channels) {
        raise(IL_INVALID_PARAM);
        return IL_FALSE;
    }
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    if (rowBytes / channels != width || height > static_cast<size_t>(-1) / 2 / rowBytes) {
        raise(IL_OUT_OF_MEMORY);
        return IL_FALSE;
    }
    try {
        DecodedImage image;
        image.width = width;
        image.height = height;
        image.format = format;
        image.type = DecodedImage::unsignedByte;
        image.bytesPerPixel = channels;
        image.origin = DecodedImage::lowerLeft;
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        if (bytes != nullptr) {
            image.pixels.assign(bytes, bytes + rowBytes * height);
        } else {
            image.pixels.assign(rowBytes * height, 0);
        }
        currentImage() = std::move(image);
    } catch (const std::bad_alloc&) {
        raise(IL_OUT_OF_MEMORY);
        return IL_FALSE;
    }
    return IL_TRUE;
}

ILubyte* ilGetData(void)
{
    return currentImage().pixels.data();
}

ILint ilGetInteger(ILenum mode)
{
    const DecodedImage& image = currentImage();
    switch (mode) {
    case IL_IMAGE_WIDTH:
        return static_cast<ILint>(image.width);
    case IL_IMAGE_HEIGHT:
        return static_cast<ILint>(image.height);
    case IL_IMAGE_DEPTH:
        return 1;
    case IL_IMAGE_SIZE_OF_DATA:
        return static_cast<ILint>(image.pixels.size());
    case IL_IMAGE_BPP:
        return static_cast<ILint>(image.bytesPerPixel);
    case IL_IMAGE_BITS_PER_PIXEL:
        return static_cast<ILint>(image.bytesPerPixel * 8);
    case IL_IMAGE_FORMAT:
        return static_cast<ILint>(image.format);
    case IL_IMAGE_TYPE:
        return static_cast<ILint>(image.type);
    case IL_IMAGE_CHANNELS:
        return static_cast<ILint>(DecodedImage::channelsOf(image.format));
    case IL_IMAGE_BPC:
        return image.type == IL_UNSIGNED_SHORT ? 2 : 1;
    case IL_IMAGE_ORIGIN:
        return static_cast<ILint>(image.origin);
    case IL_PALETTE_TYPE:
        return static_cast<ILint>(image.paletteType);
    case IL_PALETTE_NUM_COLS:
        return static_cast<ILint>(image.paletteEntries());
    default:
        raise(IL_INVALID_ENUM);
        return 0;
    }
}

void ilRegisterOrigin(ILenum origin)
{
    if (origin != IL_ORIGIN_LOWER_LEFT && origin != IL_ORIGIN_UPPER_LEFT) {
        raise(IL_INVALID_ENUM);
        return;
    }
    currentImage().origin = origin;
}

ILboolean ilEnable(ILenum mode)
{
    if (mode != IL_FILE_OVERWRITE) {
        raise(IL_INVALID_ENUM);
        return IL_FALSE;
    }
    library().overwrite = true;
    return IL_TRUE;
}

ILenum ilGetError(void)
{
    std::vector<ILenum>& errors = library().errors;
    if (errors.empty()) {
        return IL_NO_ERROR;
    }
    const ILenum error = errors.back();
    errors.pop_back();
    return error;
}
}
