// Loads of the costliest images a texture accepts and of hostile files it
// refuses: the time of one load and how far it raises the process's peak
// resident memory (Mesa's copy of the texture included). The files are made
// once in a temporary folder with ImageMagick's convert.

#include "BenchContext.h"

#include "render/TextureObject.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;

class ImageFolder {
public:
    ImageFolder()
    {
        char name[] = "/tmp/zarvy-bench-images-XXXXXX";
        if (mkdtemp(name) != nullptr) {
            folder = name;
        }
    }
    ~ImageFolder()
    {
        if (!folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
    std::string path(const std::string& name) const { return folder + "/" + name; }

private:
    std::string folder;
};

const ImageFolder& images()
{
    static const ImageFolder folder;
    return folder;
}

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Makes `name` with convert unless it exists; `format` (such as "PNG32:")
// goes before the output path. Returns the path.
std::string made(const std::string& name, const std::string& arguments, const std::string& format = "")
{
    const std::string path = images().path(name);
    struct stat status = {};
    if (stat(path.c_str(), &status) != 0 &&
        std::system(("convert " + arguments + " " + format + path).c_str()) != 0) {
        std::fprintf(stderr, "convert failed for %s\n", name.c_str());
    }
    return path;
}

// A copy of a progressive JPEG with its smallest scan repeated until it has
// `scans` scans: the decoder takes every copy as one more pass over the
// picture.
std::string withScans(const std::string& source, const std::string& name, int scans)
{
    const std::string path = images().path(name);
    const Bytes bytes = readBytes(source);
    // Each scan runs from its marker to the next marker that is not a
    // stuffed byte or a restart.
    size_t smallest = 0;
    size_t smallestEnd = 0;
    size_t scan = 0;
    int count = 0;
    for (size_t i = 2; i + 1 < bytes.size(); ++i) {
        const unsigned char marker = bytes[i + 1];
        if (bytes[i] != 0xff || marker == 0x00 || marker == 0xff || (marker >= 0xd0 && marker <= 0xd7)) {
            continue;
        }
        if (scan != 0 && (smallest == 0 || i - scan < smallestEnd - smallest)) {
            smallest = scan;
            smallestEnd = i;
        }
        scan = 0;
        if (marker == 0xda) {
            scan = i;
            ++count;
        }
    }
    if (smallest == 0) {
        std::fprintf(stderr, "no scan in %s\n", source.c_str());
        return path;
    }
    Bytes out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(smallestEnd));
    for (; count < scans; ++count) {
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(smallest),
                   bytes.begin() + static_cast<std::ptrdiff_t>(smallestEnd));
    }
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(smallestEnd), bytes.end());
    writeBytes(path, out);
    return path;
}

// The value of a "Vm...:" line of /proc/self/status, in kB.
long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            return std::atol(line.c_str() + prefix.size());
        }
    }
    return 0;
}

// Loads `path` once per iteration; reports whether it loaded and the most
// the peak resident memory rose above the resident memory before a load.
void loadImage(benchmark::State& state, const std::string& path)
{
    openContext();
    long mostGrowthKb = 0;
    bool loaded = false;
    for (auto _ : state) {
        state.PauseTiming();
        // Freed memory the allocator still holds would hide a load's rise;
        // writing 5 resets the peak to the present resident size.
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = statusKb("VmRSS");
        // The "not loaded" lines would break into the results table.
        std::fflush(stdout);
        const int console = dup(STDOUT_FILENO);
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, STDOUT_FILENO);
        state.ResumeTiming();
        {
            const TextureObject texture(path);
            loaded = texture.isLoaded();
        }
        state.PauseTiming();
        std::fflush(stdout);
        dup2(console, STDOUT_FILENO);
        close(nowhere);
        close(console);
        const long growth = statusKb("VmHWM") - before;
        mostGrowthKb = growth > mostGrowthKb ? growth : mostGrowthKb;
        state.ResumeTiming();
    }
    state.counters["loaded"] = loaded ? 1.0 : 0.0;
    state.counters["peak_rise_MB"] = static_cast<double>(mostGrowthKb) / 1024.0;
}

// A 4096 by 4096 picture of detail, the source of the JPEGs.
std::string detail()
{
    return made("detail.ppm", "-seed 7 -size 4096x4096 plasma:");
}

// Accepted at the limits: the largest pixel count, 8-bit RGBA.
void BM_LoadPngRgba4096(benchmark::State& state)
{
    loadImage(state, made("rgba-4096.png", "-size 4096x4096 gradient:red-blue -alpha set -channel A "
                                           "-evaluate set 50% +channel -depth 8", "PNG32:"));
}

// Accepted at the limits: 16-bit RGBA, 8 bytes a pixel, just under 64 MB decoded.
void BM_LoadPng16BitRgba2896(benchmark::State& state)
{
    loadImage(state, made("rgba16-2896.png", "-size 2896x2896 gradient:red-blue -alpha set -channel A "
                                             "-evaluate set 50% +channel", "PNG64:"));
}

// Accepted at the limits: the largest baseline JPEG.
void BM_LoadJpeg4096(benchmark::State& state)
{
    loadImage(state, made("baseline-4096.jpg", detail() + " -quality 92 -sampling-factor 1x1"));
}

// Accepted at the limits: the largest progressive JPEG without subsampling
// (9 bytes a pixel while decoded), with the most scans allowed.
void BM_LoadProgressiveJpeg2730With100Scans(benchmark::State& state)
{
    const std::string source =
        made("progressive-2730.jpg", detail() + " -crop 2730x2730+0+0 -quality 92 -sampling-factor 1x1 "
                                                "-interlace JPEG");
    loadImage(state, withScans(source, "progressive-100.jpg", 100));
}

// A baseline JPEG without subsampling, one scan per channel, as cjpeg
// writes it from a crop of detail(). Returns the path.
std::string multiScan(const std::string& name, int side)
{
    const std::string path = images().path(name);
    struct stat status = {};
    if (stat(path.c_str(), &status) == 0) {
        return path;
    }
    const std::string crop = made("detail-" + std::to_string(side) + ".ppm",
                                  detail() + " -crop " + std::to_string(side) + "x" + std::to_string(side) + "+0+0");
    const std::string script = images().path("one-channel-scans.txt");
    std::ofstream(script) << "0;\n1;\n2;\n";
    if (std::system(("cjpeg -quality 92 -sample 1x1,1x1,1x1 -scans " + script + " -outfile " + path + " " + crop)
                        .c_str()) != 0) {
        std::fprintf(stderr, "cjpeg failed for %s\n", name.c_str());
    }
    return path;
}

// Accepted at the limits: the largest RGB baseline JPEG of several scans,
// whose coefficients the decoder keeps as it does a progressive file's.
void BM_LoadMultiScanJpeg2730(benchmark::State& state)
{
    loadImage(state, multiScan("multiscan-2730.jpg", 2730));
}

// Refused: the same kind at 4096 by 4096, 144 MB while decoded.
void BM_RefuseMultiScanJpeg4096(benchmark::State& state)
{
    loadImage(state, multiScan("multiscan-4096.jpg", 4096));
}

// Refused: the same file with one scan more than allowed, and with 10,000.
void BM_RefuseProgressiveJpegWith101Scans(benchmark::State& state)
{
    loadImage(state, withScans(images().path("progressive-2730.jpg"), "progressive-101.jpg", 101));
}

void BM_RefuseProgressiveJpegWith10000Scans(benchmark::State& state)
{
    const std::string source = made("progressive-512.jpg", detail() + " -crop 512x512+0+0 -interlace JPEG");
    loadImage(state, withScans(source, "progressive-10000.jpg", 10000));
}

// Refused: a FIFO, a link to an endless device, a sparse 1.5 GB file.
void BM_RefuseFifo(benchmark::State& state)
{
    const std::string path = images().path("fifo.png");
    mkfifo(path.c_str(), 0600);
    loadImage(state, path);
}

void BM_RefuseLinkToUrandom(benchmark::State& state)
{
    const std::string path = images().path("urandom.jpg");
    if (symlink("/dev/urandom", path.c_str()) != 0) {
        state.SkipWithError("cannot make the link to /dev/urandom");
        return;
    }
    loadImage(state, path);
}

void BM_RefuseSparse1500MB(benchmark::State& state)
{
    const std::string path = images().path("sparse.png");
    std::ofstream(path).put('x');
    if (truncate(path.c_str(), off_t(1500) << 20) != 0) {
        state.SkipWithError("cannot make the sparse file");
        return;
    }
    loadImage(state, path);
}

// Refused: a 16 by 16 JPEG whose header claims 4096 by 4096.
void BM_RefuseJpegClaimingMoreThanItsData(benchmark::State& state)
{
    const std::string small = made("small.jpg", "-size 16x16 xc:orange");
    Bytes bytes = readBytes(small);
    for (size_t i = 2; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xff && bytes[i + 1] == 0xc0) {
            bytes[i + 5] = 0x10;
            bytes[i + 6] = 0x00;
            bytes[i + 7] = 0x10;
            bytes[i + 8] = 0x00;
            break;
        }
    }
    writeBytes(images().path("claims.jpg"), bytes);
    loadImage(state, images().path("claims.jpg"));
}
}

BENCHMARK(BM_LoadPngRgba4096)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadPng16BitRgba2896)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadJpeg4096)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadProgressiveJpeg2730With100Scans)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadMultiScanJpeg2730)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RefuseMultiScanJpeg4096)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RefuseProgressiveJpegWith101Scans)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RefuseProgressiveJpegWith10000Scans)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RefuseFifo)->Unit(benchmark::kMicrosecond)->Iterations(10);
BENCHMARK(BM_RefuseLinkToUrandom)->Unit(benchmark::kMicrosecond)->Iterations(10);
BENCHMARK(BM_RefuseSparse1500MB)->Unit(benchmark::kMicrosecond)->Iterations(10);
BENCHMARK(BM_RefuseJpegClaimingMoreThanItsData)->Unit(benchmark::kMicrosecond)->Iterations(10);
