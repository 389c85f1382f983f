#include "TextureTestSupport.h"

#include "render/TextureObject.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using namespace texturetest;

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
}

TEST_F(TextureObjectTest, PngWithADamagedChunkFails)
{
    // An ancillary text chunk after the header: the decoder would skip it
    // with a wrong CRC; a wrong CRC of the image data makes it stop halfway.
    Bytes text;
    appendPngChunk(text, "tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'});
    const Bytes png = insertedAt(rendertest::readBytes(smallPng()), 8 + 25, text);
    writeAll(scratch().path("text.png"), png);
    ASSERT_EQ(texelsOf(scratch().path("text.png")), texelsOf(smallPng()));

    const size_t data = chunkAt(png, "IDAT");
    ASSERT_NE(data, 0u);
    for (const size_t at : {size_t(8 + 25 + text.size() - 1), data + 8}) {
        Bytes damaged = png;
        damaged[at] ^= 0x01;
        writeAll(scratch().path("damaged.png"), damaged);
        EXPECT_TRUE(failsToLoad(scratch().path("damaged.png"))) << "byte " << at;
    }
}

TEST_F(TextureObjectTest, JpegOfSeveralScansCountsItsCoefficients)
{
    // One scan per channel: 9 bytes a pixel while decoded, so 2730 by 2730
    // fits in 64 MB and 2731 by 2731 does not.
    writeAll(scratch().path("scans-16.jpg"), multiScanJpeg(16));
    const Bytes texels = texelsOf(scratch().path("scans-16.jpg"));
    ASSERT_EQ(texels.size(), 16u * 16u * 4u);
    for (size_t i = 0; i < texels.size(); i += 4) {
        ASSERT_EQ(Bytes(texels.begin() + i, texels.begin() + i + 4), (Bytes{128, 128, 128, 255})) << "texel " << i / 4;
    }

    writeAll(scratch().path("scans-2730.jpg"), multiScanJpeg(2730));
    {
        const TextureObject texture(scratch().path("scans-2730.jpg"));
        EXPECT_TRUE(texture.isLoaded());
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 2730);
    }
    writeAll(scratch().path("scans-2731.jpg"), multiScanJpeg(2731));
    EXPECT_TRUE(failsToLoad(scratch().path("scans-2731.jpg")));
}

TEST_F(TextureObjectTest, FilesOverThirtyTwoMegabytesAreNotRead)
{
    // A sparse file far over the size limit is refused without being read.
    const std::string sparse = scratch().path("sparse.png");
    writeAll(sparse, rendertest::readBytes(smallPng()));
    std::filesystem::resize_file(sparse, std::uintmax_t(1500) << 20);
    EXPECT_TRUE(failsToLoad(sparse));

    // Bytes after the end of a picture are not looked at, up to 32 MB in all.
    std::filesystem::resize_file(sparse, std::uintmax_t(32) << 20);
    EXPECT_EQ(texelsOf(sparse), texelsOf(smallPng()));
    std::filesystem::resize_file(sparse, (std::uintmax_t(32) << 20) + 1);
    EXPECT_TRUE(failsToLoad(sparse));
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
