#include "ImageBytes.h"
#include "RenderTestSupport.h"

#include "render/TextureObject.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

using rendertest::RenderTest;
using rendertest::scratch;

namespace {
using Bytes = rendertest::Bytes;
using rendertest::appendBigEndian;
using rendertest::appendPngChunk;
using rendertest::bigEndianLength;
using rendertest::convert;
using rendertest::crc32;
using rendertest::insertedAt;

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

namespace {
// The RGBA texels of level 0 of the texture `path` becomes, empty if it
// did not load.
Bytes texelsOf(const std::string& path)
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

void writeAll(const std::string& path, const Bytes& bytes)
{
    rendertest::writeBytes(path, bytes, bytes.size());
}

// An 8-bit grey PNG of one shade, its rows stored without compression.
Bytes greyPng(uint32_t width, uint32_t height, unsigned char shade)
{
    Bytes rows;
    for (uint32_t row = 0; row < height; ++row) {
        rows.push_back(0);
        rows.insert(rows.end(), width, shade);
    }
    return rendertest::pngFile(width, height, 8, 0, rows);
}
}

TEST_F(TextureObjectTest, OnlyRegularFilesAreRead)
{
    const std::string fifo = scratch().path("fifo.png");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(failsToLoad(fifo));

    for (const char* device : {"/dev/zero", "/dev/urandom"}) {
        const std::string link = scratch().path(std::string("device") + (device + 5) + ".jpg");
        ASSERT_EQ(symlink(device, link.c_str()), 0);
        EXPECT_TRUE(failsToLoad(link)) << device;
    }

    const std::string socketPath = scratch().path("socket.png");
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", socketPath.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_TRUE(failsToLoad(socketPath));
    close(listener);

    // A sparse file far over the size limit is refused without being read.
    const std::string sparse = scratch().path("sparse.png");
    writeAll(sparse, rendertest::readBytes(smallPng()));
    ASSERT_EQ(truncate(sparse.c_str(), off_t(1500) << 20), 0);
    EXPECT_TRUE(failsToLoad(sparse));

    // Bytes after the end of a picture are not looked at, up to 32 MB in all.
    ASSERT_EQ(truncate(sparse.c_str(), off_t(32) << 20), 0);
    EXPECT_EQ(texelsOf(sparse), texelsOf(smallPng()));
    ASSERT_EQ(truncate(sparse.c_str(), (off_t(32) << 20) + 1), 0);
    EXPECT_TRUE(failsToLoad(sparse));
}

TEST_F(TextureObjectTest, HeadersClaimingMoreThanTheirDataFail)
{
    // The frame header of a 16 by 16 JPEG patched to claim 4096 by 4096,
    // within every limit: the decoder would make a blank texture of it.
    const std::string small = scratch().path("sixteen.jpg");
    ASSERT_TRUE(rendertest::writeImage(small, 16, 16, 3, rendertest::uniformPixels(16, 16, {90, 60, 30})));
    Bytes jpeg = rendertest::readBytes(small);
    size_t frame = 0;
    for (size_t i = 2; i + 1 < jpeg.size() && frame == 0; ++i) {
        frame = jpeg[i] == 0xff && jpeg[i + 1] == 0xc0 ? i : 0;
    }
    ASSERT_NE(frame, 0u);
    setBigEndian(jpeg, frame + 5, 4096, 2);
    setBigEndian(jpeg, frame + 7, 4096, 2);
    writeAll(scratch().path("claims.jpg"), jpeg);
    EXPECT_TRUE(failsToLoad(scratch().path("claims.jpg")));

    // An 8 by 8 PNG claiming 4096 by 4096, CRC included.
    Bytes png = rendertest::readBytes(smallPng());
    setBigEndian(png, 16, 4096, 4);
    setBigEndian(png, 20, 4096, 4);
    setBigEndian(png, 29, crc32(png.data() + 12, 17), 4);
    writeAll(scratch().path("claims.png"), png);
    EXPECT_TRUE(failsToLoad(scratch().path("claims.png")));
}

TEST_F(TextureObjectTest, CmykJpegIsRefusedRatherThanDrawnInverted)
{
    const std::string cmyk = scratch().path("cmyk.jpg");
    ASSERT_TRUE(convert("-size 16x16 xc:'rgb(200,100,50)' -colorspace CMYK " + cmyk));
    EXPECT_TRUE(failsToLoad(cmyk));
}

TEST_F(TextureObjectTest, KindsOfImageThatLoadKeepTheirPixels)
{
    // An opaque 8 by 8 source with 64 colours, its grey version, a JPEG of it.
    const std::string source = scratch().path("source.png");
    ASSERT_TRUE(rendertest::writeImage(source, 8, 8, 3, pattern(3)));
    const std::string rgba = smallPng();
    const std::string grey = scratch().path("grey-rgb.png");
    ASSERT_TRUE(convert(source + " -colorspace Gray PNG24:" + grey));
    const std::string jpeg = scratch().path("base.jpg");
    ASSERT_TRUE(convert(source + " -quality 90 " + jpeg));

    struct Kind {
        std::string name;
        std::string sameAs;
        std::string arguments;
    };
    const std::vector<Kind> kinds = {
        {"grey.png", grey, grey + " -type Grayscale PNG8:"},
        {"palette.png", source, source + " PNG8:"},
        {"deep.png", rgba, rgba + " PNG64:"},
        {"interlaced.png", rgba, rgba + " -interlace PNG PNG32:"},
        {"progressive.jpg", jpeg, source + " -quality 90 -interlace JPEG "},
    };
    const Bytes reference = texelsOf(source);
    ASSERT_EQ(reference.size(), 8u * 8u * 4u);
    for (const Kind& kind : kinds) {
        const std::string path = scratch().path(kind.name);
        ASSERT_TRUE(convert(kind.arguments + path)) << kind.name;
        const Bytes texels = texelsOf(path);
        EXPECT_FALSE(texels.empty()) << kind.name;
        EXPECT_EQ(texels, texelsOf(kind.sameAs)) << kind.name;
    }

    // Segments the decoder skips: EXIF, an ICC profile, stray and fill bytes
    // between segments; and bytes after the end of either format.
    const Bytes plain = rendertest::readBytes(jpeg);
    const Bytes exif = {0xff, 0xe1, 0x00, 0x10, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8};
    const Bytes icc = {0xff, 0xe2, 0x00, 0x10, 'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, 1, 1};
    const Bytes stray = {0x00, 0x00, 0xff, 0xff};
    const Bytes after = {'t', 'r', 'a', 'i', 'l', 0xff, 0xd8, 0xff};
    const std::vector<std::pair<std::string, Bytes>> edited = {
        {"exif-icc.jpg", insertedAt(insertedAt(plain, 2, icc), 2, exif)},
        {"stray.jpg", insertedAt(plain, 4 + bigEndianLength(plain, 4), stray)},
        {"after.jpg", insertedAt(plain, plain.size(), after)},
    };
    for (const auto& file : edited) {
        writeAll(scratch().path(file.first), file.second);
        EXPECT_EQ(texelsOf(scratch().path(file.first)), texelsOf(jpeg)) << file.first;
    }
    const Bytes png = rendertest::readBytes(rgba);
    writeAll(scratch().path("after.png"), insertedAt(png, png.size(), after));
    EXPECT_EQ(texelsOf(scratch().path("after.png")), texelsOf(rgba));
}

TEST_F(TextureObjectTest, PicturesWithinTheLimitsLoadAndNoOthers)
{
    // At most 8192 pixels a side.
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

    // At most 4096 by 4096 pixels in all.
    const std::string largest = scratch().path("largest.png");
    writeAll(largest, greyPng(4096, 4096, 77));
    {
        const TextureObject texture(largest);
        EXPECT_TRUE(texture.isLoaded());
        EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), 4096);
    }
    const std::string tooMany = scratch().path("too-many.png");
    writeAll(tooMany, greyPng(4096, 4097, 77));
    EXPECT_TRUE(failsToLoad(tooMany));

    // At most 100 scans: the last scan of a progressive JPEG repeated.
    const std::string progressive = scratch().path("progressive.jpg");
    ASSERT_TRUE(convert("-size 64x64 gradient:red-blue -interlace JPEG " + progressive));
    const Bytes bytes = rendertest::readBytes(progressive);
    size_t lastScan = 0;
    int scans = 0;
    for (size_t i = 2; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xff && bytes[i + 1] == 0xda) {
            lastScan = i;
            ++scans;
        }
    }
    ASSERT_GT(scans, 1);
    const Bytes repeated(bytes.begin() + static_cast<std::ptrdiff_t>(lastScan), bytes.end() - 2);
    Bytes hundred = bytes;
    for (; scans < 100; ++scans) {
        hundred = insertedAt(hundred, hundred.size() - 2, repeated);
    }
    writeAll(scratch().path("hundred.jpg"), hundred);
    EXPECT_FALSE(texelsOf(scratch().path("hundred.jpg")).empty());
    writeAll(scratch().path("more.jpg"), insertedAt(hundred, hundred.size() - 2, repeated));
    EXPECT_TRUE(failsToLoad(scratch().path("more.jpg")));
}

TEST_F(TextureObjectTest, UploadLeavesTheUnpackAlignmentAsItFoundIt)
{
    for (GLint alignment : {2, 8}) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        const TextureObject texture(smallJpeg());
        EXPECT_TRUE(texture.isLoaded());
        GLint after = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &after);
        EXPECT_EQ(after, alignment);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}
