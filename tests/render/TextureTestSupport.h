#ifndef ZARVY_TESTS_RENDER_TEXTURETESTSUPPORT_H
#define ZARVY_TESTS_RENDER_TEXTURETESTSUPPORT_H

#include "ImageBytes.h"
#include "RenderTestSupport.h"

#include "render/TextureObject.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// The fixture and the file makers of the texture tests: pictures written
// through the image library, PNGs and JPEGs built or edited byte by byte.
namespace texturetest {

using rendertest::appendBigEndian;
using rendertest::appendPngChunk;
using rendertest::bigEndianLength;
using rendertest::crc32;
using rendertest::insertedAt;
using rendertest::RenderTest;
using rendertest::scratch;

using Bytes = rendertest::Bytes;

class TextureObjectTest : public RenderTest {
protected:
    static GLint boundTexture()
    {
        GLint name = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return name;
    }

    static GLint level0(GLenum what)
    {
        GLint value = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
        return value;
    }

    // True if no texture name was handed out between two probes: GL hands
    // out names in rising order, so the second probe follows the first.
    static GLuint textureProbe()
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        return name;
    }
    static bool noTextureNamedSince(GLuint probe)
    {
        const GLuint next = textureProbe();
        glDeleteTextures(1, &probe);
        glDeleteTextures(1, &next);
        return next == probe + 1;
    }

    // Likewise the name ilGenImages hands out next.
    static ILuint nextImageName()
    {
        ILuint name = 0;
        ilGenImages(1, &name);
        ilDeleteImages(1, &name);
        return name;
    }

    // Loads `path` and confirms it failed the way a missing file fails: the
    // one message line, no GL texture, no DevIL image left, the binding
    // untouched. The guard turns a hanging load into a failed run.
    static testing::AssertionResult failsToLoad(const std::string& path)
    {
        const GLuint probe = textureProbe();
        const ILuint nextImage = nextImageName();
        const GLint bindingBefore = boundTexture();
        bool loaded = true;
        testing::internal::CaptureStdout();
        const auto begin = std::chrono::steady_clock::now();
        {
            const rendertest::HangGuard guard("loading " + path, 20);
            const TextureObject texture(path);
            loaded = texture.isLoaded();
        }
        const auto took = std::chrono::steady_clock::now() - begin;
        const std::string output = testing::internal::GetCapturedStdout();

        if (output != "Texture: " + path + " not loaded.\n") {
            return testing::AssertionFailure() << "printed \"" << output << "\"";
        }
        if (loaded || !noTextureNamedSince(probe) || boundTexture() != bindingBefore) {
            return testing::AssertionFailure() << "a texture was created";
        }
        if (ilIsImage(nextImage)) {
            return testing::AssertionFailure() << "the DevIL image was kept";
        }
        if (took > std::chrono::seconds(5)) {
            return testing::AssertionFailure() << "the load nearly hung";
        }
        return testing::AssertionSuccess();
    }

    // An 8 by 8 picture with a different colour in every pixel.
    static Bytes pattern(int channels)
    {
        Bytes pixels;
        for (int i = 0; i < 64; ++i) {
            pixels.push_back(static_cast<unsigned char>(i * 4));
            pixels.push_back(static_cast<unsigned char>(255 - i * 4));
            pixels.push_back(static_cast<unsigned char>((i * 37) % 256));
            if (channels == 4) {
                pixels.push_back(static_cast<unsigned char>(128 + i));
            }
        }
        return pixels;
    }

    static std::string smallPng()
    {
        const std::string path = scratch().path("small.png");
        EXPECT_TRUE(rendertest::writeImage(path, 8, 8, 4, pattern(4)));
        return path;
    }

    static std::string smallJpeg()
    {
        const std::string path = scratch().path("small.jpg");
        EXPECT_TRUE(rendertest::writeImage(path, 8, 8, 3, pattern(3)));
        return path;
    }
};

inline void setBigEndian(Bytes& bytes, size_t at, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * (count - 1 - i)));
    }
}

// The RGBA texels of level 0 of the texture `path` becomes, empty if it
// did not load.
inline Bytes texelsOf(const std::string& path)
{
    testing::internal::CaptureStdout();
    const TextureObject texture(path);
    testing::internal::GetCapturedStdout();
    if (!texture.isLoaded()) {
        return {};
    }
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    Bytes texels(static_cast<size_t>(width) * height * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

inline void writeAll(const std::string& path, const Bytes& bytes)
{
    rendertest::writeBytes(path, bytes, bytes.size());
}

// An 8-bit grey PNG of one shade, its rows stored without compression.
inline Bytes greyPng(uint32_t width, uint32_t height, unsigned char shade)
{
    Bytes rows;
    for (uint32_t row = 0; row < height; ++row) {
        rows.push_back(0);
        rows.insert(rows.end(), width, shade);
    }
    return rendertest::pngFile(width, height, 8, 0, rows);
}

// The offset of the first `type` chunk of `png`, 0 if it has none.
inline size_t chunkAt(const Bytes& png, const char* type)
{
    for (size_t at = 8; at + 12 <= png.size();) {
        if (std::equal(type, type + 4, png.begin() + static_cast<std::ptrdiff_t>(at + 4))) {
            return at;
        }
        const size_t length = (size_t(png[at]) << 24) | (size_t(png[at + 1]) << 16) | (size_t(png[at + 2]) << 8) |
                              png[at + 3];
        at += 12 + length;
    }
    return 0;
}

// A mid-grey baseline JPEG of `side` by `side` pixels, three channels without
// subsampling, in one scan per channel. Every block codes no change of
// average and no detail, one bit each under single-code Huffman tables.
inline Bytes multiScanJpeg(uint32_t side)
{
    Bytes out = {0xff, 0xd8, 0xff, 0xdb, 0x00, 0x43, 0x00};
    out.insert(out.end(), 64, 1);
    const unsigned char high = static_cast<unsigned char>(side >> 8);
    const unsigned char low = static_cast<unsigned char>(side);
    out.insert(out.end(), {0xff, 0xc0, 0x00, 0x11, 8, high, low, high, low, 3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
    for (unsigned char tableClass : {0x00, 0x10}) {
        out.insert(out.end(), {0xff, 0xc4, 0x00, 0x14, tableClass, 1});
        out.insert(out.end(), 15, 0);
        out.push_back(0);
    }
    const size_t blocks = size_t((side + 7) / 8) * ((side + 7) / 8);
    for (unsigned char channel : {1, 2, 3}) {
        out.insert(out.end(), {0xff, 0xda, 0x00, 0x08, 1, channel, 0x00, 0, 63, 0});
        // Two zero bits a block, the last byte padded with one bits.
        out.insert(out.end(), blocks * 2 / 8, 0x00);
        if (blocks * 2 % 8 != 0) {
            out.push_back(static_cast<unsigned char>(0xff >> (blocks * 2 % 8)));
        }
    }
    out.insert(out.end(), {0xff, 0xd9});
    return out;
}
}

#endif
