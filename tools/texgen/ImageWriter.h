#ifndef ZARVY_TOOLS_IMAGEWRITER_H
#define ZARVY_TOOLS_IMAGEWRITER_H

#include <string>
#include <vector>

// Saves painted images through DevIL. Construction initialises DevIL and lets
// it overwrite existing files; destruction shuts it down, so only one writer
// should exist at a time.
class ImageWriter {
public:
    ImageWriter();
    virtual ~ImageWriter();

    ImageWriter(const ImageWriter&) = delete;
    ImageWriter& operator=(const ImageWriter&) = delete;

    // Writes `rgba` (width x height, RGBA, top row first) to `path`; the
    // format follows the file extension (".png" or ".jpg"). The file's top
    // row is the buffer's first row. With `keepAlpha` false only RGB is
    // stored. JPEG files are written at a fixed quality, so the same pixels
    // always give the same file. Returns false, with `error` set to a
    // readable reason, when the image could not be written.
    bool write(const std::string& path, const std::vector<unsigned char>& rgba, int width,
               int height, bool keepAlpha, std::string& error) const;
};

#endif
