#include "ImageTestSupport.h"

#include "image/ImageFileCheck.h"
#include "image/imagelib/DecodedImage.h"
#include "image/imagelib/ImageDecoder.h"

#include <IL/il.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// The game's own decoder against DevIL, the library it stands in for: the
// same files must give the same layout and the same RGBA bytes, and the
// same files must be refused.

using imagetest::Bytes;
using imagetest::scratch;

namespace {
// What a decoder made of a file: the layout it loaded, then the RGBA bytes
// of the picture converted as TextureObject converts it.
struct Outcome {
    bool loaded = false;
    bool hung = false;
    int width = 0;
    int height = 0;
    int format = 0;
    int type = 0;
    int bytesPerPixel = 0;
    int origin = 0;
    Bytes rgba;
};

std::string describe(const Outcome& outcome)
{
    if (!outcome.loaded) {
        return outcome.hung ? "hung" : "refused";
    }
    char text[160];
    std::snprintf(text, sizeof(text), "%dx%d format %#x type %#x bpp %d origin %#x, %zu RGBA bytes",
                  outcome.width, outcome.height, outcome.format, outcome.type, outcome.bytesPerPixel,
                  outcome.origin, outcome.rgba.size());
    return text;
}

bool sameOutcome(const Outcome& a, const Outcome& b)
{
    return a.loaded == b.loaded && a.width == b.width && a.height == b.height && a.format == b.format &&
           a.type == b.type && a.bytesPerPixel == b.bytesPerPixel && a.origin == b.origin && a.rgba == b.rgba;
}

Outcome devilDecodeHere(const Bytes& file, ILenum loader)
{
    static bool initialised = false;
    if (!initialised) {
        ilInit();
        initialised = true;
    }
    Outcome outcome;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    outcome.loaded = ilLoadL(loader, file.data(), static_cast<ILuint>(file.size())) == IL_TRUE;
    if (outcome.loaded) {
        outcome.width = ilGetInteger(IL_IMAGE_WIDTH);
        outcome.height = ilGetInteger(IL_IMAGE_HEIGHT);
        outcome.format = ilGetInteger(IL_IMAGE_FORMAT);
        outcome.type = ilGetInteger(IL_IMAGE_TYPE);
        outcome.bytesPerPixel = ilGetInteger(IL_IMAGE_BPP);
        outcome.origin = ilGetInteger(IL_IMAGE_ORIGIN);
        if (ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) == IL_TRUE) {
            const ILubyte* data = ilGetData();
            outcome.rgba.assign(data, data + static_cast<size_t>(outcome.width) * outcome.height * 4);
        }
    }
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return outcome;
}

bool readAll(int from, void* to, size_t count, std::chrono::steady_clock::time_point deadline)
{
    unsigned char* out = static_cast<unsigned char*>(to);
    while (count > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd wanted = {from, POLLIN, 0};
        if (left.count() <= 0 || poll(&wanted, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        const ssize_t got = read(from, out, count);
        if (got <= 0) {
            return false;
        }
        out += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

// DevIL's outcome, found in a child process: DevIL hangs on some broken
// files, and a load that has not returned within 1 s counts as hung (a good one
// of these sizes takes milliseconds).
Outcome devilDecode(const Bytes& file, ILenum loader)
{
    int channel[2] = {-1, -1};
    if (pipe(channel) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const Outcome outcome = devilDecodeHere(file, loader);
        const int fields[] = {outcome.loaded, outcome.width, outcome.height, outcome.format,
                              outcome.type, outcome.bytesPerPixel, outcome.origin,
                              static_cast<int>(outcome.rgba.size())};
        bool ok = write(channel[1], fields, sizeof(fields)) == static_cast<ssize_t>(sizeof(fields));
        for (size_t at = 0; ok && at < outcome.rgba.size();) {
            const ssize_t put = write(channel[1], outcome.rgba.data() + at, outcome.rgba.size() - at);
            ok = put > 0;
            at += ok ? static_cast<size_t>(put) : 0;
        }
        _exit(ok ? 0 : 1);
    }
    close(channel[1]);
    Outcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    int fields[8] = {};
    bool complete = child > 0 && readAll(channel[0], fields, sizeof(fields), deadline);
    if (complete) {
        outcome.loaded = fields[0] != 0;
        outcome.width = fields[1];
        outcome.height = fields[2];
        outcome.format = fields[3];
        outcome.type = fields[4];
        outcome.bytesPerPixel = fields[5];
        outcome.origin = fields[6];
        outcome.rgba.resize(static_cast<size_t>(fields[7]));
        complete = readAll(channel[0], outcome.rgba.data(), outcome.rgba.size(), deadline);
    }
    close(channel[0]);
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    if (!complete) {
        outcome = Outcome();
        outcome.hung = true;
    }
    return outcome;
}

Outcome ownDecode(const Bytes& file, ILenum loader)
{
    Outcome outcome;
    DecodedImage image;
    const imagetest::HangGuard guard("the game's decoder", 20);
    outcome.loaded = loader == IL_PNG ? ImageDecoder::decodePng(file.data(), file.size(), image)
                                      : ImageDecoder::decodeJpeg(file.data(), file.size(), image);
    if (outcome.loaded) {
        outcome.width = static_cast<int>(image.width);
        outcome.height = static_cast<int>(image.height);
        outcome.format = static_cast<int>(image.format);
        outcome.type = static_cast<int>(image.type);
        outcome.bytesPerPixel = static_cast<int>(image.bytesPerPixel);
        outcome.origin = static_cast<int>(image.origin);
        if (image.convert(DecodedImage::rgba)) {
            outcome.rgba = image.pixels;
        }
    }
    return outcome;
}

// Both decoders on `file`; a file DevIL hangs on must be refused.
testing::AssertionResult decodeAlike(const Bytes& file, ILenum loader)
{
    const Outcome devil = devilDecode(file, loader);
    const Outcome own = ownDecode(file, loader);
    if (devil.hung && !own.loaded) {
        return testing::AssertionSuccess();
    }
    // A file that is not whole never reaches a decoder in the game: the
    // structure check refuses it first. On such a file the game's decoder
    // may refuse what DevIL decodes anyway: DevIL takes some JPEGs whose
    // end marker is broken, and some not, depending on their coded data.
    if (devil.loaded && !own.loaded &&
        ImageFileCheck(file.data(), file.size()).getFormat() == ImageFileCheck::Format::none) {
        return testing::AssertionSuccess();
    }
    if (devil.loaded && devil.rgba.empty()) {
        return testing::AssertionFailure() << "DevIL did not convert it";
    }
    if (!sameOutcome(devil, own)) {
        size_t first = 0;
        while (first < devil.rgba.size() && first < own.rgba.size() && devil.rgba[first] == own.rgba[first]) {
            ++first;
        }
        return testing::AssertionFailure() << "DevIL: " << describe(devil) << "; ours: " << describe(own)
                                           << "; first different RGBA byte " << first;
    }
    return testing::AssertionSuccess();
}

ILenum loaderOf(const std::string& path)
{
    return path.substr(path.size() - 4) == ".png" ? IL_PNG : IL_JPG;
}

// Deterministic bytes that look like noise.
Bytes noise(size_t count, uint32_t seed)
{
    Bytes bytes(count);
    for (unsigned char& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<unsigned char>(seed >> 24);
    }
    return bytes;
}

// Filtered rows of a picture for a PNG: each row its filter byte (cycling
// through the five filters) and noise. With `keep` other than 0xff every
// row is unfiltered and every byte masked with it, so the indices of a
// palette picture stay within its palette.
Bytes rowsOf(uint32_t width, uint32_t height, int bitsPerPixel, uint32_t seed, unsigned char keep = 0xff)
{
    Bytes rows;
    const size_t rowBytes = (static_cast<size_t>(width) * bitsPerPixel + 7) / 8;
    for (uint32_t row = 0; row < height; ++row) {
        rows.push_back(static_cast<unsigned char>(keep == 0xff ? row % 5 : 0));
        for (unsigned char byte : noise(rowBytes, seed + row)) {
            rows.push_back(byte & keep);
        }
    }
    return rows;
}

// The rows of every Adam7 pass of a width x height picture.
Bytes interlacedRowsOf(uint32_t width, uint32_t height, int bitsPerPixel, uint32_t seed, unsigned char keep)
{
    const uint32_t startX[] = {0, 4, 0, 2, 0, 1, 0};
    const uint32_t startY[] = {0, 0, 4, 0, 2, 0, 1};
    const uint32_t stepX[] = {8, 8, 4, 4, 2, 2, 1};
    const uint32_t stepY[] = {8, 8, 8, 4, 4, 2, 2};
    Bytes rows;
    for (int pass = 0; pass < 7; ++pass) {
        const uint32_t passWidth = width > startX[pass] ? (width - startX[pass] + stepX[pass] - 1) / stepX[pass] : 0;
        const uint32_t passHeight = height > startY[pass] ? (height - startY[pass] + stepY[pass] - 1) / stepY[pass] : 0;
        if (passWidth > 0 && passHeight > 0) {
            const Bytes passRows = rowsOf(passWidth, passHeight, bitsPerPixel, seed + 100 * pass, keep);
            rows.insert(rows.end(), passRows.begin(), passRows.end());
        }
    }
    return rows;
}

Bytes chunk(const char* type, const Bytes& data)
{
    Bytes out;
    imagetest::appendPngChunk(out, type, data);
    return out;
}

Bytes paletteChunk(int entries)
{
    return chunk("PLTE", noise(static_cast<size_t>(entries) * 3, 77));
}

Bytes fileBytes(const std::string& path)
{
    return imagetest::readBytes(path);
}

// A small JPEG made by ImageMagick from a picture with detail.
Bytes jpegMadeBy(const std::string& name, const std::string& arguments)
{
    const std::string path = scratch().path(name);
    EXPECT_TRUE(imagetest::convert(arguments + " " + path)) << name;
    return fileBytes(path);
}

const std::string detail = "-seed 5 -size 19x13 plasma:red-blue";
}

TEST(ImageDecoderComparison, CommittedImagesDecodeAlike)
{
    int count = 0;
    for (const char* folder : {"Textures", "tests/golden"}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string path = entry.path().string();
            if (path.size() < 4 || (path.substr(path.size() - 4) != ".png" && path.substr(path.size() - 4) != ".jpg")) {
                continue;
            }
            const Bytes file = fileBytes(path);
            EXPECT_TRUE(ownDecode(file, loaderOf(path)).loaded) << path;
            EXPECT_TRUE(decodeAlike(file, loaderOf(path))) << path;
            ++count;
        }
    }
    EXPECT_GE(count, 13);
}

TEST(ImageDecoderComparison, EveryPngLayoutDecodesAlike)
{
    struct Layout {
        unsigned char colourType;
        unsigned char bitDepth;
        int channels;
    };
    const std::vector<Layout> layouts = {
        {0, 1, 1}, {0, 2, 1}, {0, 4, 1}, {0, 8, 1}, {0, 16, 1}, {2, 8, 3}, {2, 16, 3}, {3, 1, 1},
        {3, 2, 1}, {3, 4, 1}, {3, 8, 1}, {4, 8, 2}, {4, 16, 2}, {6, 8, 4}, {6, 16, 4},
    };
    const std::vector<std::pair<uint32_t, uint32_t>> sizes = {{1, 1}, {3, 5}, {17, 9}};
    for (const Layout& layout : layouts) {
        const int bitsPerPixel = layout.bitDepth * layout.channels;
        const bool palette = layout.colourType == 3;
        const int entries = palette ? (layout.bitDepth == 8 ? 200 : 1 << layout.bitDepth) : 0;
        for (const auto& size : sizes) {
            for (unsigned char interlace : {0, 1}) {
                const unsigned char keep = palette && layout.bitDepth == 8 ? 0x7f : 0xff;
                const Bytes rows = interlace ? interlacedRowsOf(size.first, size.second, bitsPerPixel, 11, keep)
                                             : rowsOf(size.first, size.second, bitsPerPixel, 11, keep);
                // The chunks before the image data: a palette, and a variant
                // with transparency (for an 8-bit palette shorter than it,
                // for grey and RGB a colour key matching some samples).
                std::vector<std::pair<std::string, Bytes>> extras = {{"", palette ? paletteChunk(entries) : Bytes()}};
                if (palette) {
                    Bytes withAlpha = paletteChunk(entries);
                    const Bytes alphas = chunk("tRNS", noise(static_cast<size_t>(entries / 2 + 1), 5));
                    withAlpha.insert(withAlpha.end(), alphas.begin(), alphas.end());
                    extras.push_back({" with tRNS", withAlpha});
                } else if (layout.colourType == 0 || layout.colourType == 2) {
                    const Bytes key = layout.colourType == 0 ? Bytes{0, 1} : Bytes{0, 1, 0, 2, 0, 3};
                    extras.push_back({" with tRNS", chunk("tRNS", key)});
                }
                for (const auto& extra : extras) {
                    const Bytes file = imagetest::pngFile(size.first, size.second, layout.bitDepth,
                                                           layout.colourType, rows, extra.second, interlace);
                    EXPECT_TRUE(ownDecode(file, IL_PNG).loaded);
                    EXPECT_TRUE(decodeAlike(file, IL_PNG))
                        << "colour type " << int(layout.colourType) << " depth " << int(layout.bitDepth) << " "
                        << size.first << "x" << size.second << (interlace ? " interlaced" : "")
                        << extra.first;
                }
            }
        }
    }
}

TEST(ImageDecoderComparison, PaletteIndexPastThePaletteIsOpaqueBlack)
{
    // DevIL reads past its palette for such an index; the game's decoder
    // gives a colour that is the same on every run instead.
    const Bytes file = imagetest::pngFile(3, 1, 8, 3, {0, 0, 1, 2}, paletteChunk(2));
    DecodedImage image;
    ASSERT_TRUE(ImageDecoder::decodePng(file.data(), file.size(), image));
    ASSERT_TRUE(image.convert(DecodedImage::rgba));
    EXPECT_EQ(Bytes(image.pixels.begin() + 8, image.pixels.end()), (Bytes{0, 0, 0, 255}));
    EXPECT_EQ(image.pixels[7], 255);
}

TEST(ImageDecoderComparison, ColourChunksChangeNoPngSample)
{
    const Bytes rows = rowsOf(17, 9, 24, 3);
    Bytes profile = imagetest::storedZlib(noise(200, 9));
    Bytes iccp = {'i', 'c', 'c', 0, 0};
    iccp.insert(iccp.end(), profile.begin(), profile.end());
    const std::vector<Bytes> chunks = {
        chunk("gAMA", {0, 0, 0x27, 0x10}),
        chunk("gAMA", {0, 1, 0x86, 0xa0}),
        chunk("gAMA", {0, 0, 0xb1, 0x8f}),
        chunk("sRGB", {0}),
        chunk("cHRM", noise(32, 4)),
        chunk("iCCP", iccp),
    };
    const Bytes plain = imagetest::pngFile(17, 9, 8, 2, rows);
    for (size_t i = 0; i < chunks.size(); ++i) {
        const Bytes file = imagetest::pngFile(17, 9, 8, 2, rows, chunks[i]);
        EXPECT_TRUE(decodeAlike(file, IL_PNG)) << "chunk " << i;
        EXPECT_EQ(ownDecode(file, IL_PNG).rgba, ownDecode(plain, IL_PNG).rgba) << "chunk " << i;
    }
}

TEST(ImageDecoderComparison, PngsImageMagickWritesDecodeAlike)
{
    const std::string source = scratch().path("magick-source.png");
    ASSERT_TRUE(imagetest::convert(detail + " PNG24:" + source));
    for (const std::string& arguments : {std::string("-type Grayscale PNG8:"), std::string("PNG8:"),
                                         std::string("PNG64:"), std::string("-interlace PNG PNG32:"),
                                         std::string("-type GrayscaleAlpha PNG:"), std::string("-depth 16 -type Grayscale PNG:")}) {
        const std::string path = scratch().path("magick.png");
        ASSERT_TRUE(imagetest::convert(source + " " + arguments + path)) << arguments;
        EXPECT_TRUE(decodeAlike(fileBytes(path), IL_PNG)) << arguments;
    }
}

TEST(ImageDecoderComparison, EveryKindOfJpegDecodesAlike)
{
    const Bytes plain = jpegMadeBy("plain.jpg", detail + " -quality 90");
    const Bytes exif = {0xff, 0xe1, 0x00, 0x10, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8};
    const Bytes icc = {0xff, 0xe2, 0x00, 0x10, 'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, 1, 1};
    const size_t afterFirst = 4 + imagetest::bigEndianLength(plain, 4);
    const std::vector<std::pair<std::string, Bytes>> kinds = {
        {"baseline", plain},
        {"grey", jpegMadeBy("grey.jpg", detail + " -colorspace Gray -quality 80")},
        {"progressive", jpegMadeBy("progressive.jpg", detail + " -quality 90 -interlace JPEG")},
        {"4:4:4", jpegMadeBy("444.jpg", detail + " -sampling-factor 1x1 -quality 95")},
        {"4:2:2", jpegMadeBy("422.jpg", detail + " -sampling-factor 2x1 -quality 75")},
        {"restarts", jpegMadeBy("restart.jpg", detail + " -define jpeg:restart-interval=1")},
        {"1x1", jpegMadeBy("one.jpg", "-size 1x1 xc:'rgb(200,100,50)'")},
        {"3x5", jpegMadeBy("three.jpg", "-size 3x5 gradient:red-blue")},
        {"grey 17x9", jpegMadeBy("grey17.jpg", "-size 17x9 gradient:white-black -colorspace Gray")},
        {"cmyk", jpegMadeBy("cmyk.jpg", detail + " -colorspace CMYK")},
        {"exif and icc", imagetest::insertedAt(imagetest::insertedAt(plain, 2, icc), 2, exif)},
        {"stray bytes", imagetest::insertedAt(plain, afterFirst, {0x00, 0x00, 0x12})},
        {"fill bytes", imagetest::insertedAt(plain, afterFirst, {0xff, 0xff, 0xff})},
        {"after the end", imagetest::insertedAt(plain, plain.size(), {'t', 'r', 'a', 'i', 'l', 0xff, 0xd8})},
    };
    for (const auto& kind : kinds) {
        EXPECT_TRUE(ownDecode(kind.second, IL_JPG).loaded) << kind.first;
        EXPECT_TRUE(decodeAlike(kind.second, IL_JPG)) << kind.first;
    }
}

TEST(ImageDecoderComparison, CutFilesAreRefusedAlike)
{
    // DevIL hangs on most cuts of a PNG's image data, so the PNG is small.
    const Bytes png = imagetest::pngFile(3, 2, 8, 6, rowsOf(3, 2, 32, 8));
    const std::vector<std::pair<Bytes, ILenum>> files = {
        {png, IL_PNG},
        {jpegMadeBy("cut.jpg", detail), IL_JPG},
        {jpegMadeBy("cut-progressive.jpg", detail + " -interlace JPEG"), IL_JPG},
    };
    for (const auto& file : files) {
        for (size_t length = 0; length < file.first.size(); ++length) {
            const Bytes cut(file.first.begin(), file.first.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_TRUE(decodeAlike(cut, file.second)) << "cut to " << length << " of " << file.first.size();
        }
    }
}

TEST(ImageDecoderComparison, DamagedFilesAreRefusedAlike)
{
    // Every byte of a small PNG and a small JPEG inverted in turn: bad CRCs,
    // broken headers, corrupt image data, markers turned into others.
    const Bytes png = imagetest::pngFile(4, 3, 8, 2, rowsOf(4, 3, 24, 2), chunk("gAMA", {0, 0, 0xb1, 0x8f}));
    const Bytes jpeg = jpegMadeBy("damaged.jpg", "-seed 2 -size 9x7 plasma:red-blue -quality 70");
    for (const auto& file : {std::make_pair(png, ILenum(IL_PNG)), std::make_pair(jpeg, ILenum(IL_JPG))}) {
        for (size_t at = 0; at < file.first.size(); ++at) {
            Bytes damaged = file.first;
            damaged[at] ^= 0xff;
            EXPECT_TRUE(decodeAlike(damaged, file.second)) << "byte " << at << " of " << file.first.size();
        }
    }
    // Bad CRCs on their own, in each chunk.
    for (size_t end : {size_t(33), png.size() - 12 - 12, png.size() - 12, png.size()}) {
        Bytes damaged = png;
        damaged[end - 1] ^= 0x01;
        EXPECT_TRUE(decodeAlike(damaged, IL_PNG)) << "CRC ending at " << end;
    }
    const Bytes words = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    EXPECT_TRUE(decodeAlike(words, IL_PNG));
    EXPECT_TRUE(decodeAlike(words, IL_JPG));
    EXPECT_TRUE(decodeAlike(png, IL_JPG));
    EXPECT_TRUE(decodeAlike(jpeg, IL_PNG));
}
