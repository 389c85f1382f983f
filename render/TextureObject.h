#ifndef ZARVY_RENDER_TEXTUREOBJECT_H
#define ZARVY_RENDER_TEXTUREOBJECT_H

#include <string>

// One 2D texture loaded once from a JPEG or PNG file. This is the only class
// that creates, binds or deletes textures.
//
// The file is checked before the image library sees it (a broken or
// oversized file is reported as "not loaded" instead of hanging the loader),
// and its content, not its name, decides whether it is read as PNG or JPEG.
// Only a regular file of at most 32 MB is read: a FIFO, device, socket,
// folder or larger file is "not loaded" at once, before a byte is read.
// The picture must have at most 8192 pixels a side (and GL_MAX_TEXTURE_SIZE),
// at most 4096 x 4096 pixels, take at most 64 MB while decoded (a JPEG of
// more than one scan, progressive or not, counts 2 bytes of coefficients a
// channel on top of its samples), and as a JPEG have at most 100 scans and
// 1 or 3 channels (CMYK and YCCK are refused); a file whose data cannot fill
// the picture its header claims, a PNG with a chunk whose CRC is wrong, or
// one whose image data does not inflate to exactly its rows, is refused.
// A texture that failed to load has name 0: bind() then binds the default
// texture and the surface comes out untextured. Backslashes in the path are
// read as folder separators; messages print the path as given.
class TextureObject {
public:
    explicit TextureObject(std::string path);
    virtual ~TextureObject();

    TextureObject(const TextureObject&) = delete;
    TextureObject& operator=(const TextureObject&) = delete;

    // Enables 2D texturing and binds this texture.
    void bind() const;
    // Disables 2D texturing; the texture stays bound.
    void unbind() const;
    bool isLoaded() const { return textureId != 0; }

private:
    unsigned int imageId = 0;
    unsigned int textureId = 0;
};

#endif
