#ifndef ZARVY_TESTS_RENDER_RENDERTESTSUPPORT_H
#define ZARVY_TESTS_RENDER_RENDERTESTSUPPORT_H

#include "support/GlTest.h"
#include "support/HangGuard.h"

#include <IL/il.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// Helpers shared by the render tests: a scratch folder for image files the
// tests make themselves, a guard against loads that never return, and a
// fixture that puts back the state the tests change.
namespace rendertest {

using ::HangGuard;

// A private folder under the system's temporary folder, removed when the
// test program ends.
class ScratchFolder {
public:
    ScratchFolder()
    {
        // create_directory is false when the name is taken: try another.
        std::random_device entropy;
        for (int attempt = 0; attempt < 100 && folder.empty(); ++attempt) {
            const std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                                    ("zarvy-render-" + std::to_string(entropy()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                folder = candidate.generic_string();
            }
        }
    }
    ~ScratchFolder()
    {
        if (!folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
    std::string path(const std::string& name) const { return folder + "/" + name; }
    const std::string& root() const { return folder; }

private:
    std::string folder;
};

inline const ScratchFolder& scratch()
{
    static const ScratchFolder folder;
    return folder;
}

// Writes width x height pixels of 3 (RGB) or 4 (RGBA) bytes each through
// DevIL; the file name's extension picks the format.
inline bool writeImage(const std::string& path, int width, int height, int channels,
                       const std::vector<unsigned char>& pixels)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(width, height, 1, static_cast<ILubyte>(channels),
                         channels == 4 ? IL_RGBA : IL_RGB, IL_UNSIGNED_BYTE,
                         const_cast<unsigned char*>(pixels.data()));
    if (ok) {
        ilEnable(IL_FILE_OVERWRITE);
        ok = ilSaveImage(path.c_str());
    }
    ilDeleteImages(1, &image);
    return ok;
}

// One colour repeated over the whole picture.
inline std::vector<unsigned char> uniformPixels(int width, int height, std::vector<unsigned char> colour)
{
    std::vector<unsigned char> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), colour.begin(), colour.end());
    }
    return pixels;
}

inline std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes, size_t count)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(count));
}

// The GL fixture for the render tests: the view is an orthographic box of
// 8 by 6 units (100 pixels a unit, origin at the window's centre, z from -10
// to 10), the light shines along the view toward -z, and what a test
// changes of the baseline state is put back afterwards.
class RenderTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4.0, 4.0, -3.0, 3.0, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const GLfloat towardViewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, towardViewer);
    }

    void TearDown() override
    {
        GlTest::TearDown();
        glDisable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    // Pixels of the back buffer whose colour is not black.
    static int countLitPixels()
    {
        const std::vector<unsigned char> rgba = readBackBuffer();
        int lit = 0;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            if (rgba[i] != 0 || rgba[i + 1] != 0 || rgba[i + 2] != 0) {
                ++lit;
            }
        }
        return lit;
    }

    // Window pixel of a point in the orthographic view.
    static int pixelX(float x) { return static_cast<int>(400.0f + 100.0f * x); }
    static int pixelY(float y) { return static_cast<int>(300.0f + 100.0f * y); }
};

}

#endif
