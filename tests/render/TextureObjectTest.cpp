#include "RenderTestSupport.h"

#include "render/TextureObject.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

using rendertest::RenderTest;
using rendertest::scratch;

namespace {
using Bytes = std::vector<unsigned char>;

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

void setBigEndian(Bytes& bytes, size_t at, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * (count - 1 - i)));
    }
}

uint32_t crc32(const unsigned char* data, size_t size)
{
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}
}

TEST_F(TextureObjectTest, JpegBecomesAnRgbaTextureOfItsOwnSize)
{
    // An odd width makes the three-byte rows of the file unaligned.
    const std::string path = scratch().path("odd.jpg");
    ASSERT_TRUE(rendertest::writeImage(path, 5, 3, 3, rendertest::uniformPixels(5, 3, {200, 100, 50})));
    const GLuint probe = textureProbe();
    const ILuint imageName = nextImageName();

    const TextureObject texture(path);

    EXPECT_TRUE(texture.isLoaded());
    EXPECT_EQ(boundTexture(), static_cast<GLint>(probe + 1));
    EXPECT_FALSE(noTextureNamedSince(probe));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(ilIsImage(imageName));
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 5);
    EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), 3);
    // GL reports the internal format as given: DevIL's 4 bytes per pixel,
    // the legacy component count that stands for RGBA.
    EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), 4);
    EXPECT_EQ(level0(GL_TEXTURE_RED_SIZE), 8);
    EXPECT_EQ(level0(GL_TEXTURE_ALPHA_SIZE), 8);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);

    std::vector<unsigned char> texels(5 * 3 * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    for (size_t i = 0; i < texels.size(); i += 4) {
        EXPECT_NEAR(texels[i], 200, 3);
        EXPECT_NEAR(texels[i + 1], 100, 3);
        EXPECT_NEAR(texels[i + 2], 50, 3);
        EXPECT_EQ(texels[i + 3], 255);
    }
}

TEST_F(TextureObjectTest, PngPixelsAndAlphaReachTheTexture)
{
    const TextureObject texture(smallPng());
    ASSERT_TRUE(texture.isLoaded());
    std::vector<unsigned char> texels(8 * 8 * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    // Saving with DevIL's default lower-left origin writes the rows to the
    // file top to bottom from the last; loading without an origin setting
    // hands them to GL in file order, so the rows come back reversed.
    const Bytes pixels = pattern(4);
    for (int row = 0; row < 8; ++row) {
        const Bytes written(pixels.begin() + (7 - row) * 32, pixels.begin() + (8 - row) * 32);
        const Bytes uploaded(texels.begin() + row * 32, texels.begin() + (row + 1) * 32);
        EXPECT_EQ(uploaded, written) << "row " << row;
    }
}

TEST_F(TextureObjectTest, ContentNotNameDecidesTheFormat)
{
    const std::string pngNamedJpeg = scratch().path("really-png.jpg");
    const std::string jpegNamedPng = scratch().path("really-jpeg.png");
    rendertest::writeBytes(pngNamedJpeg, rendertest::readBytes(smallPng()),
                           rendertest::readBytes(smallPng()).size());
    const Bytes jpeg = rendertest::readBytes(smallJpeg());
    rendertest::writeBytes(jpegNamedPng, jpeg, jpeg.size());

    const TextureObject fromPng(pngNamedJpeg);
    EXPECT_TRUE(fromPng.isLoaded());
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 8);
    const TextureObject fromJpeg(jpegNamedPng);
    EXPECT_TRUE(fromJpeg.isLoaded());
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 8);
}

TEST_F(TextureObjectTest, BackslashSeparatesFoldersButMessagesKeepIt)
{
    smallPng();
    const TextureObject texture(scratch().root() + "\\small.png");
    EXPECT_TRUE(texture.isLoaded());

    EXPECT_TRUE(failsToLoad(scratch().root() + "\\absent.png"));
}

TEST_F(TextureObjectTest, MissingFileLeavesAnUnusableTextureThatBindsTheDefault)
{
    const TextureObject other(smallPng());
    other.bind();
    const GLint otherName = boundTexture();
    EXPECT_TRUE(failsToLoad(scratch().path("no-such-file.png")));

    {
        testing::internal::CaptureStdout();
        const TextureObject missing(scratch().path("no-such-file.png"));
        testing::internal::GetCapturedStdout();
        EXPECT_FALSE(missing.isLoaded());
        missing.bind();
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(boundTexture(), 0);
        missing.unbind();
    }
    // Deleting the failed object deleted nothing that exists.
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(otherName)));
    other.unbind();
}

TEST_F(TextureObjectTest, UnbindKeepsTheBindingAndBindSwitchesTextures)
{
    const TextureObject first(smallPng());
    const GLint firstName = boundTexture();
    const TextureObject second(smallJpeg());
    const GLint secondName = boundTexture();
    ASSERT_NE(firstName, secondName);

    first.bind();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(boundTexture(), firstName);
    first.unbind();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(boundTexture(), firstName);
    second.bind();
    EXPECT_EQ(boundTexture(), secondName);
    second.unbind();
}

TEST_F(TextureObjectTest, DestructionDeletesTheTexture)
{
    GLint name = 0;
    {
        const TextureObject texture(smallPng());
        name = boundTexture();
        EXPECT_TRUE(glIsTexture(static_cast<GLuint>(name)));
    }
    EXPECT_FALSE(glIsTexture(static_cast<GLuint>(name)));
}

TEST_F(TextureObjectTest, EveryCutOfAPngOrJpegFailsQuickly)
{
    for (const std::string& source : {smallPng(), smallJpeg()}) {
        const Bytes whole = rendertest::readBytes(source);
        ASSERT_GT(whole.size(), 100u);
        const std::string cut = scratch().path(source.substr(source.size() - 4) == ".png" ? "cut.png" : "cut.jpg");
        for (size_t length = 0; length < whole.size(); ++length) {
            rendertest::writeBytes(cut, whole, length);
            EXPECT_TRUE(failsToLoad(cut)) << source << " cut to " << length << " bytes";
        }
        rendertest::writeBytes(cut, whole, whole.size());
        const TextureObject uncut(cut);
        EXPECT_TRUE(uncut.isLoaded());
    }
}

TEST_F(TextureObjectTest, FilesThatAreNoPictureFail)
{
    const std::string text = "Not a picture at all, just some words.\n";
    const Bytes words(text.begin(), text.end());
    for (const char* name : {"words.png", "words.jpg"}) {
        rendertest::writeBytes(scratch().path(name), words, words.size());
        EXPECT_TRUE(failsToLoad(scratch().path(name))) << name;
    }
    rendertest::writeBytes(scratch().path("empty.png"), words, 0);
    EXPECT_TRUE(failsToLoad(scratch().path("empty.png")));
    // A folder opens like a file but cannot be read.
    EXPECT_TRUE(failsToLoad(scratch().root()));
}

TEST_F(TextureObjectTest, HeadersClaimingHugePicturesFail)
{
    // A whole, well-formed PNG whose header, CRC included, claims 30000 by 30000.
    Bytes png = rendertest::readBytes(smallPng());
    setBigEndian(png, 16, 30000, 4);
    setBigEndian(png, 20, 30000, 4);
    setBigEndian(png, 29, crc32(png.data() + 12, 17), 4);
    rendertest::writeBytes(scratch().path("huge.png"), png, png.size());
    EXPECT_TRUE(failsToLoad(scratch().path("huge.png")));

    // A JPEG whose frame header claims 9000 pixels of width.
    Bytes jpeg = rendertest::readBytes(smallJpeg());
    size_t frame = 0;
    for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
            frame = i;
            break;
        }
    }
    ASSERT_NE(frame, 0u);
    setBigEndian(jpeg, frame + 7, 9000, 2);
    rendertest::writeBytes(scratch().path("wide.jpg"), jpeg, jpeg.size());
    EXPECT_TRUE(failsToLoad(scratch().path("wide.jpg")));
}

TEST_F(TextureObjectTest, SidesUpTo8192PixelsLoad)
{
    const std::string wide = scratch().path("wide.png");
    ASSERT_TRUE(rendertest::writeImage(wide, 8192, 1, 4, rendertest::uniformPixels(8192, 1, {1, 2, 3, 4})));
    {
        const TextureObject texture(wide);
        EXPECT_TRUE(texture.isLoaded());
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 8192);
    }
    const std::string wider = scratch().path("wider.png");
    ASSERT_TRUE(rendertest::writeImage(wider, 1, 8193, 4, rendertest::uniformPixels(1, 8193, {1, 2, 3, 4})));
    EXPECT_TRUE(failsToLoad(wider));
}

TEST_F(TextureObjectTest, TheGameImagesLoadSilently)
{
    // As the scene names them, the explosion with its backslash.
    for (const char* path : {"Textures/asteroid_v8.jpg", "Textures/front.png", "Textures/clouds.png",
                             "Textures/fighter.png", "Textures/flame.png", "Textures/flameBottom.png",
                             "Textures\\explosion.png"}) {
        testing::internal::CaptureStdout();
        const TextureObject texture(path);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << path;
        EXPECT_TRUE(texture.isLoaded()) << path;
        EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), 4) << path;
    }
}
