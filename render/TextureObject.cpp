#include "render/TextureObject.h"

#include "render/ImageFileCheck.h"
#include "render/RegularFile.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

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
// A larger file is not read at all. Compressed, an image within the limits
// above is far smaller; the game's largest is under 1 MB.
const int64_t largestFileBytes = int64_t(32) << 20;

// The game's data names one file with a backslash as folder separator.
std::string withForwardSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The DevIL loader for bytes that passed the structure and size check,
// chosen by their content; IL_TYPE_UNKNOWN for anything else.
ILenum loaderFor(const std::vector<unsigned char>& bytes)
{
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    ImageFileCheck::Limits limits;
    limits.largestSide = std::min<int64_t>(largestSide, maxTextureSize);
    limits.mostPixels = mostPixels;
    limits.mostDecodedBytes = mostDecodedBytes;
    limits.mostScans = mostScans;
    const ImageFileCheck check(bytes.data(), bytes.size());
    if (!check.fits(limits)) {
        return IL_TYPE_UNKNOWN;
    }
    return check.getFormat() == ImageFileCheck::Format::png ? IL_PNG : IL_JPG;
}
}

TextureObject::TextureObject(std::string path)
{
    ilGenImages(1, &imageId);
    ilBindImage(imageId);

    // DevIL decodes exactly the bytes that were checked, so the file cannot
    // change between the check and the load.
    std::vector<unsigned char> bytes;
    const bool readable = readRegularFile(withForwardSlashes(path), largestFileBytes, bytes);
    const ILenum loader = readable ? loaderFor(bytes) : IL_TYPE_UNKNOWN;
    const bool loaded = loader != IL_TYPE_UNKNOWN &&
                        ilLoadL(loader, bytes.data(), static_cast<ILuint>(bytes.size()));
    // The file's bytes are not needed past this point; freeing them now
    // lowers the peak while the picture is converted and uploaded.
    std::vector<unsigned char>().swap(bytes);
    if (!loaded) {
        printf("Texture: %s not loaded.\n", path.c_str());
        ilDeleteImages(1, &imageId);
        return;
    }

    if (!ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        printf("Texture: %s not not converted.\n", path.c_str());
    }

    glGenTextures(1, &textureId);
    glBindTexture(GL_TEXTURE_2D, textureId);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);

    // DevIL packs rows without padding; an image left unconverted may have
    // rows that are not a multiple of four bytes long.
    GLint unpackAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, ilGetInteger(IL_IMAGE_BPP),
                     ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), 0,
                     ilGetInteger(IL_IMAGE_FORMAT), GL_UNSIGNED_BYTE, ilGetData());
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);

    ilDeleteImages(1, &imageId);
}

TextureObject::~TextureObject()
{
    glDeleteTextures(1, &textureId);
}

void TextureObject::bind() const
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureId);
}

void TextureObject::unbind() const
{
    glDisable(GL_TEXTURE_2D);
}
