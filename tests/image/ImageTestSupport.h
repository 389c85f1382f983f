#ifndef ZARVY_TESTS_IMAGE_IMAGETESTSUPPORT_H
#define ZARVY_TESTS_IMAGE_IMAGETESTSUPPORT_H

#include "ImageBytes.h"

#include "support/HangGuard.h"

#include <IL/il.h>
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// Helpers shared by the tests that make image files: a scratch folder for
// the files, pictures written through the image library, and bytes read
// and written whole. No GL is involved.
namespace imagetest {

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
                                                    ("zarvy-image-" + std::to_string(entropy()));
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

inline void writeAll(const std::string& path, const Bytes& bytes)
{
    writeBytes(path, bytes, bytes.size());
}

}

#endif
