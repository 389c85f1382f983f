// zarvy-shipgen: builds the fighter's mesh from its parametric shape and
// writes it as the constant tables of scene/ShipData.cpp. The output is the
// same on every run, so the committed file can always be rebuilt and checked.

#include "ShipShape.h"
#include "ShipTables.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

namespace {

// The table sizes the game's vertex buffer and its header are built for.
const size_t expectedPositions = 284;
const size_t expectedNormals = 296;
const size_t expectedTexCoords = 574;
const size_t expectedTriangles = 556;

void printUsage(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: zarvy-shipgen [OUTPUT]\n"
                 "       zarvy-shipgen --stats\n"
                 "       zarvy-shipgen --help\n"
                 "\n"
                 "Builds the fighter's mesh and writes it as C++ source to OUTPUT, or to\n"
                 "standard output without one. To refresh the game's data, run it from the\n"
                 "repository root: zarvy-shipgen scene/ShipData.cpp\n"
                 "--stats prints the table sizes and ranges instead.\n");
}

// Directed edges not matched by exactly one edge the other way: 0 when every
// surface is closed and wound consistently.
int unpairedEdgeCount(const ShipShape& shape)
{
    std::map<std::pair<int, int>, int> directed;
    for (const ShipTriangle& t : shape.triangles) {
        for (int k = 0; k < 3; ++k) {
            ++directed[{t.corner[k].position, t.corner[(k + 1) % 3].position}];
        }
    }
    int unpaired = 0;
    for (const auto& edge : directed) {
        const auto back = directed.find({edge.first.second, edge.first.first});
        if (edge.second != 1 || back == directed.end() || back->second != 1) {
            ++unpaired;
        }
    }
    return unpaired;
}

void printStats(const ShipShape& shape, const ShipTables& tables)
{
    std::printf("positions %zu, normals %zu, texture coordinates %zu, triangles %zu\n",
                tables.positions.size(), tables.normals.size(), tables.texCoords.size(),
                tables.triangles.size());
    std::printf("distinct corners %d\n", distinctCornerCount(tables));
    const char* names[3] = {"hull", "right pod", "left pod"};
    for (int s = 0; s < 3; ++s) {
        size_t points = 0;
        size_t triangles = 0;
        for (ShipSurface surface : shape.surfaceOf) {
            points += surface == s ? 1 : 0;
        }
        for (const ShipTriangle& t : shape.triangles) {
            triangles += shape.surfaceOf[t.corner[0].position] == s ? 1 : 0;
        }
        std::printf("%s: %zu positions, %zu triangles\n", names[s], points, triangles);
    }
    double lo[3] = {1e9, 1e9, 1e9};
    double hi[3] = {-1e9, -1e9, -1e9};
    for (const auto& p : tables.positions) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    }
    std::printf("x %.4f..%.4f  y %.4f..%.4f  z %.4f..%.4f\n", lo[0], hi[0], lo[1], hi[1], lo[2],
                hi[2]);
    double ulo = 1e9, uhi = -1e9, vlo = 1e9, vhi = -1e9;
    for (const auto& t : tables.texCoords) {
        ulo = std::min(ulo, t[0]);
        uhi = std::max(uhi, t[0]);
        vlo = std::min(vlo, t[1]);
        vhi = std::max(vhi, t[1]);
    }
    std::printf("u %.4f..%.4f  v %.4f..%.4f\n", ulo, uhi, vlo, vhi);
}

}

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        return 0;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-' && std::strcmp(argv[1], "--stats") != 0)) {
        printUsage(stderr);
        return 2;
    }

    const ShipShape shape = buildShipShape();
    const int unpaired = unpairedEdgeCount(shape);
    if (unpaired != 0) {
        std::fprintf(stderr, "zarvy-shipgen: the shape is not closed: %d edges are not used once "
                             "in each direction\n", unpaired);
        return 1;
    }
    const ShipTables tables = makeShipTables(shape);
    if (argc == 2 && std::strcmp(argv[1], "--stats") == 0) {
        printStats(shape, tables);
        return 0;
    }
    if (tables.positions.size() != expectedPositions || tables.normals.size() != expectedNormals ||
        tables.texCoords.size() != expectedTexCoords ||
        tables.triangles.size() != expectedTriangles) {
        std::fprintf(stderr,
                     "zarvy-shipgen: the shape gives %zu positions, %zu normals, %zu texture "
                     "coordinates and %zu triangles; the game needs %zu, %zu, %zu and %zu\n",
                     tables.positions.size(), tables.normals.size(), tables.texCoords.size(),
                     tables.triangles.size(), expectedPositions, expectedNormals,
                     expectedTexCoords, expectedTriangles);
        return 1;
    }

    const std::string source = formatShipData(tables);
    if (argc == 1) {
        std::fwrite(source.data(), 1, source.size(), stdout);
        return 0;
    }
    std::ofstream file(argv[1], std::ios::binary);
    file << source;
    file.close();
    if (!file) {
        std::fprintf(stderr, "zarvy-shipgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
