#include "render/TextureObject.h"

#include "image/ImageLoad.h"
#include "image/RegularFile.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace {
// A larger file is not read at all. Compressed, an image within the game's
// limits (ImageLoad::gameLimits) is far smaller; the game's largest is
// under 1 MB.
const int64_t largestFileBytes = int64_t(32) << 20;

// The game's data names one file with a backslash as folder separator.
std::string withForwardSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}
}

TextureObject::TextureObject(std::string path)
{
    ilGenImages(1, &imageId);
    ilBindImage(imageId);

    std::vector<unsigned char> bytes;
    ImageLoad::Result result = ImageLoad::Result::notLoaded;
    if (readRegularFile(withForwardSlashes(path), largestFileBytes, bytes)) {
        GLint maxTextureSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
        result = ImageLoad::intoBoundImage(std::move(bytes), ImageLoad::gameLimits(maxTextureSize));
    }
    if (result == ImageLoad::Result::notLoaded) {
        printf("Texture: %s not loaded.\n", path.c_str());
        ilDeleteImages(1, &imageId);
        return;
    }
    if (result == ImageLoad::Result::notConverted) {
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
