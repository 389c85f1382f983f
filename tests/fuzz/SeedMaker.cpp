// Writes the seed corpus of the image fuzzers into the folder it is given:
// small PNGs and JPEGs of every kind the game's loader meets or refuses,
// made with libpng and libjpeg, and copies of them edited the way the
// loader tests edit files (segments the decoder skips, stray and fill
// bytes, bytes after the end). Every run writes the same bytes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;

std::string folder;

void save(const std::string& name, const Bytes& bytes)
{
    const std::string path = folder + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "fuzz seeds: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// A sample of a smooth pattern that differs in every pixel and channel.
unsigned sample(unsigned x, unsigned y, unsigned channel, unsigned most)
{
    return (x * 37u + y * 101u + channel * 59u) % (most + 1u);
}

Bytes insertedAt(Bytes bytes, size_t at, const Bytes& inserted)
{
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(), inserted.end());
    return bytes;
}

// --- PNG

struct PngKind {
    const char* name;
    unsigned width;
    unsigned height;
    int colourType;
    int bitDepth;
    bool interlaced;
    // A tRNS chunk, text and gamma chunks, image data split into small
    // IDAT chunks.
    bool transparency;
    bool ancillary;
    bool smallChunks;
};

void appendToBytes(png_structp png, png_bytep data, png_size_t length)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

int pngChannels(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

Bytes makePng(const PngKind& kind)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "fuzz seeds: libpng refused %s\n", kind.name);
        std::exit(1);
    }
    png_set_write_fn(png, &out, appendToBytes, flushNothing);
    if (kind.smallChunks) {
        png_set_compression_buffer_size(png, 64);
    }
    png_set_IHDR(png, info, kind.width, kind.height, kind.bitDepth, kind.colourType,
                 kind.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const unsigned most = (1u << kind.bitDepth) - 1u;
    if (kind.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[16];
        png_byte alpha[16];
        for (unsigned i = 0; i < 16; ++i) {
            palette[i].red = static_cast<png_byte>(i * 16);
            palette[i].green = static_cast<png_byte>(255 - i * 16);
            palette[i].blue = static_cast<png_byte>(i * 61);
            alpha[i] = static_cast<png_byte>(255 - i * 8);
        }
        const int entries = kind.bitDepth >= 4 ? 16 : 1 << kind.bitDepth;
        png_set_PLTE(png, info, palette, entries);
        if (kind.transparency) {
            png_set_tRNS(png, info, alpha, entries / 2, nullptr);
        }
    } else if (kind.transparency) {
        png_color_16 colour = {};
        colour.gray = static_cast<png_uint_16>(sample(1, 1, 0, most));
        colour.red = static_cast<png_uint_16>(sample(1, 1, 0, most));
        colour.green = static_cast<png_uint_16>(sample(1, 1, 1, most));
        colour.blue = static_cast<png_uint_16>(sample(1, 1, 2, most));
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    if (kind.ancillary) {
        png_set_gAMA(png, info, 0.45455);
        png_set_pHYs(png, info, 2835, 2835, PNG_RESOLUTION_METER);
        png_text text = {};
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = const_cast<char*>("Comment");
        text.text = const_cast<char*>("Zarvy fuzz seed");
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);

    // Rows packed at the file's bit depth, 16-bit samples big-endian.
    const unsigned channels = static_cast<unsigned>(pngChannels(kind.colourType));
    const unsigned bitsPerPixel = channels * static_cast<unsigned>(kind.bitDepth);
    const size_t rowBytes = (static_cast<size_t>(kind.width) * bitsPerPixel + 7) / 8;
    std::vector<Bytes> rows(kind.height, Bytes(rowBytes, 0));
    const unsigned paletteMost = kind.colourType == PNG_COLOR_TYPE_PALETTE && kind.bitDepth > 4 ? 15 : most;
    for (unsigned y = 0; y < kind.height; ++y) {
        for (unsigned x = 0; x < kind.width; ++x) {
            for (unsigned c = 0; c < channels; ++c) {
                const unsigned value = sample(x, y, c, paletteMost);
                const size_t bit = (static_cast<size_t>(x) * channels + c) * static_cast<unsigned>(kind.bitDepth);
                if (kind.bitDepth == 16) {
                    rows[y][bit / 8] = static_cast<unsigned char>(value >> 8);
                    rows[y][bit / 8 + 1] = static_cast<unsigned char>(value);
                } else {
                    const unsigned shift = 8u - static_cast<unsigned>(kind.bitDepth) - bit % 8;
                    rows[y][bit / 8] = static_cast<unsigned char>(rows[y][bit / 8] | (value << shift));
                }
            }
        }
    }
    std::vector<png_bytep> rowPointers;
    for (Bytes& row : rows) {
        rowPointers.push_back(row.data());
    }
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// --- JPEG

struct JpegKind {
    const char* name;
    unsigned width;
    unsigned height;
    int channels;
    // Sampling of the first channel, the others 1 by 1.
    int horizontal;
    int vertical;
    bool progressive;
    // Sequential, one scan per channel.
    bool scanPerChannel;
    bool restarts;
    bool arithmetic;
    // APP1 EXIF, APP2 ICC and a comment.
    bool markers;
};

Bytes makeJpeg(const JpegKind& kind)
{
    jpeg_compress_struct cinfo = {};
    jpeg_error_mgr errors = {};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&cinfo, &buffer, &length);
    cinfo.image_width = kind.width;
    cinfo.image_height = kind.height;
    cinfo.input_components = kind.channels;
    cinfo.in_color_space = kind.channels == 1 ? JCS_GRAYSCALE : kind.channels == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    cinfo.comp_info[0].h_samp_factor = kind.horizontal;
    cinfo.comp_info[0].v_samp_factor = kind.vertical;
    for (int c = 1; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    if (kind.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_scan_info scans[4] = {};
    if (kind.scanPerChannel) {
        for (int c = 0; c < kind.channels; ++c) {
            scans[c].comps_in_scan = 1;
            scans[c].component_index[0] = c;
            scans[c].Ss = 0;
            scans[c].Se = 63;
        }
        cinfo.scan_info = scans;
        cinfo.num_scans = kind.channels;
    }
    if (kind.restarts) {
        cinfo.restart_interval = 1;
    }
    cinfo.arith_code = kind.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    if (kind.markers) {
        const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0};
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif, sizeof(exif));
        const unsigned char icc[] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, 1, 1, 0, 0};
        jpeg_write_marker(&cinfo, JPEG_APP0 + 2, icc, sizeof(icc));
        const char comment[] = "Zarvy fuzz seed";
        jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment), sizeof(comment) - 1);
    }
    Bytes row(static_cast<size_t>(kind.width) * static_cast<unsigned>(kind.channels));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (unsigned x = 0; x < kind.width; ++x) {
            for (int c = 0; c < kind.channels; ++c) {
                row[x * static_cast<unsigned>(kind.channels) + static_cast<unsigned>(c)] =
                    static_cast<unsigned char>(sample(x, cinfo.next_scanline, static_cast<unsigned>(c), 255));
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + length);
    std::free(buffer);
    return out;
}

size_t segmentLength(const Bytes& jpeg, size_t at)
{
    return (static_cast<size_t>(jpeg[at]) << 8) | jpeg[at + 1];
}
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    folder = argv[1];

    const PngKind pngs[] = {
        {"rgba.png", 8, 8, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, false, false},
        {"rgb-odd.png", 9, 7, PNG_COLOR_TYPE_RGB, 8, false, false, false, false},
        {"grey.png", 8, 8, PNG_COLOR_TYPE_GRAY, 8, false, false, false, false},
        {"grey1.png", 13, 5, PNG_COLOR_TYPE_GRAY, 1, false, false, false, false},
        {"grey2.png", 7, 6, PNG_COLOR_TYPE_GRAY, 2, false, false, false, false},
        {"grey4.png", 5, 5, PNG_COLOR_TYPE_GRAY, 4, false, true, false, false},
        {"grey-alpha.png", 8, 8, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false, false, false},
        {"palette.png", 8, 8, PNG_COLOR_TYPE_PALETTE, 8, false, false, false, false},
        {"palette-trns.png", 8, 8, PNG_COLOR_TYPE_PALETTE, 4, false, true, false, false},
        {"palette2-interlaced.png", 11, 9, PNG_COLOR_TYPE_PALETTE, 2, true, false, false, false},
        {"grey16.png", 8, 8, PNG_COLOR_TYPE_GRAY, 16, false, false, false, false},
        {"rgb16-trns.png", 8, 8, PNG_COLOR_TYPE_RGB, 16, false, true, false, false},
        {"rgba16.png", 8, 8, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, false, false},
        {"rgb-trns.png", 8, 8, PNG_COLOR_TYPE_RGB, 8, false, true, false, false},
        {"interlaced.png", 11, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false, false, false},
        {"ancillary.png", 8, 8, PNG_COLOR_TYPE_RGB, 8, false, false, true, false},
        {"split-idat.png", 32, 32, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, false, true},
        {"one-pixel.png", 1, 1, PNG_COLOR_TYPE_GRAY, 8, false, false, false, false},
    };
    for (const PngKind& kind : pngs) {
        save(kind.name, makePng(kind));
    }
    const Bytes after = {'t', 'r', 'a', 'i', 'l', 0xff, 0xd8, 0xff};
    const Bytes rgba = makePng(pngs[0]);
    save("after.png", insertedAt(rgba, rgba.size(), after));

    const JpegKind jpegs[] = {
        {"baseline.jpg", 8, 8, 3, 1, 1, false, false, false, false, false},
        {"subsampled-odd.jpg", 17, 9, 3, 2, 2, false, false, false, false, false},
        {"subsampled-422.jpg", 16, 8, 3, 2, 1, false, false, false, false, false},
        {"grey.jpg", 8, 8, 1, 1, 1, false, false, false, false, false},
        {"progressive.jpg", 16, 16, 3, 2, 2, true, false, false, false, false},
        {"progressive-grey.jpg", 9, 9, 1, 1, 1, true, false, false, false, false},
        {"scan-per-channel.jpg", 16, 16, 3, 1, 1, false, true, false, false, false},
        {"restarts.jpg", 24, 16, 3, 2, 2, false, false, true, false, false},
        {"arithmetic.jpg", 8, 8, 3, 1, 1, false, false, false, true, false},
        {"cmyk.jpg", 8, 8, 4, 1, 1, false, false, false, false, false},
        {"exif-icc.jpg", 8, 8, 3, 1, 1, false, false, false, false, true},
        {"one-pixel.jpg", 1, 1, 3, 1, 1, false, false, false, false, false},
    };
    for (const JpegKind& kind : jpegs) {
        save(kind.name, makeJpeg(kind));
    }
    // Stray and fill bytes after the first segment, bytes after the end.
    const Bytes plain = makeJpeg(jpegs[0]);
    const Bytes stray = {0x00, 0x00, 0xff, 0xff};
    save("stray.jpg", insertedAt(plain, 4 + segmentLength(plain, 4), stray));
    save("after.jpg", insertedAt(plain, plain.size(), after));
    return 0;
}
