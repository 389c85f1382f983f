// Texture loads of files that only a Linux machine makes: pictures of every
// kind ImageMagick writes, FIFOs, devices, sockets and sparse files.

#include "TextureTestSupport.h"

#include "render/TextureObject.h"

#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace texturetest;

using rendertest::convert;

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

TEST_F(TextureObjectTest, ProgressiveJpegsOfAtMostAHundredScansLoad)
{
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
