#ifndef ZARVY_RENDER_TEXTUREOBJECT_H
#define ZARVY_RENDER_TEXTUREOBJECT_H

#include <string>

// One 2D texture loaded once from a JPEG or PNG file. This is the only class
// that creates, binds or deletes textures.
//
// The file is checked before the image library sees it (a broken or
// oversized file is reported as "not loaded" instead of hanging the loader),
// and its content, not its name, decides whether it is read as PNG or JPEG.
// Only a regular file within the size and decoding-cost limits in the
// source is read; anything else is "not loaded" at once.
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
