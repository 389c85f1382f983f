#include "render/TextureObject.h"

#include "render/ImageFileCheck.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
// Neither side of a texture may exceed this, whatever GL allows: a picture
// of 8192 by 8192 already takes 256 MB as RGBA.
const int64_t largestSide = 8192;

// No PNG or JPEG within the side limit comes near this size; a larger file
// is not read into memory at all.
const size_t largestFileBytes = size_t(1) << 30;

// The game's data names one file with a backslash as folder separator.
std::string withForwardSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The whole file, or false if it cannot be read or is too large to be an image.
bool readFile(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    bool ok = true;
    unsigned char block[65536];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof(block), file)) > 0) {
        if (bytes.size() + got > largestFileBytes) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), block, block + got);
    }
    if (std::ferror(file)) {
        ok = false;
    }
    std::fclose(file);
    return ok;
}

// The DevIL loader for bytes that passed the structure and size check,
// chosen by their content; IL_TYPE_UNKNOWN for anything else.
ILenum loaderFor(const std::vector<unsigned char>& bytes)
{
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    const ImageFileCheck check(bytes.data(), bytes.size());
    if (!check.fits(std::min<int64_t>(largestSide, maxTextureSize))) {
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
    const bool readable = readFile(withForwardSlashes(path), bytes);
    const ILenum loader = readable ? loaderFor(bytes) : IL_TYPE_UNKNOWN;
    if (loader == IL_TYPE_UNKNOWN ||
        !ilLoadL(loader, bytes.data(), static_cast<ILuint>(bytes.size()))) {
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
