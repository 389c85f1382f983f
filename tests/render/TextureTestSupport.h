#ifndef ZARVY_TESTS_RENDER_TEXTURETESTSUPPORT_H
#define ZARVY_TESTS_RENDER_TEXTURETESTSUPPORT_H

#include "RenderTestSupport.h"

#include "render/TextureObject.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// The fixture of the texture tests, with the image file makers they share
// with the image tests.
namespace texturetest {

using namespace imagetest;
using rendertest::RenderTest;

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
            const HangGuard guard("loading " + path, 20);
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
        EXPECT_TRUE(writeImage(path, 8, 8, 4, pattern(4)));
        return path;
    }

    static std::string smallJpeg()
    {
        const std::string path = scratch().path("small.jpg");
        EXPECT_TRUE(writeImage(path, 8, 8, 3, pattern(3)));
        return path;
    }
};

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


}

#endif
