#include "ShipTables.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

namespace {

struct Vec {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Vec sub(const ShipPoint& a, const ShipPoint& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec cross(const Vec& a, const Vec& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double dot(const Vec& a, const Vec& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec normalised(const Vec& v)
{
    const double l = std::sqrt(dot(v, v));
    return l > 0.0 ? Vec{v.x / l, v.y / l, v.z / l} : v;
}

// Rounds to 4 decimals, half away from zero, so that mirrored values round
// to mirrored results; never yields -0.
long fixed4(double v)
{
    return std::lround(v * 10000.0);
}

double unfixed4(long f)
{
    return f / 10000.0;
}

// The smoothing group of a corner: corners of one position average their
// normals only within one group.
int groupOf(const ShipShape& shape, const ShipCorner& corner)
{
    const bool creased = shape.creased[corner.position];
    switch (corner.tag) {
    case HullUpperTag: return 0;
    case HullLowerTag: return creased ? 1 : 0;
    case HullFinSideTag: return creased ? 2 : 0;
    case HullCanopyTag: return creased ? 3 : 0;
    case PodConeTag: return 4;
    case PodBodyTag: return 5;
    case PodLipTag:
    case PodRecessTag: return 6;
    case PodCapTag: return 7;
    }
    return 0;
}

using Fixed3 = std::array<long, 3>;
using Fixed2 = std::array<long, 2>;

// Rounds a unit vector to 4 decimals and keeps it unit length within 1e-4
// after rounding (at worst sqrt(3) / 2 * 1e-4 off, so the loop rarely runs).
Fixed3 fixedUnit(const Vec& n)
{
    Fixed3 f{fixed4(n.x), fixed4(n.y), fixed4(n.z)};
    for (int tries = 0; tries < 3; ++tries) {
        const double l = std::sqrt(unfixed4(f[0]) * unfixed4(f[0]) + unfixed4(f[1]) * unfixed4(f[1]) +
                                   unfixed4(f[2]) * unfixed4(f[2]));
        if (std::fabs(l - 1.0) <= 0.9e-4) {
            break;
        }
        int largest = 0;
        for (int k = 1; k < 3; ++k) {
            if (std::labs(f[k]) > std::labs(f[largest])) {
                largest = k;
            }
        }
        f[largest] += (l > 1.0 ? -1 : 1) * (f[largest] > 0 ? 1 : -1);
    }
    return f;
}

template <typename Key>
int indexOf(std::map<Key, int>& index, const Key& key)
{
    const auto found = index.find(key);
    if (found != index.end()) {
        return found->second;
    }
    const int id = static_cast<int>(index.size());
    index.emplace(key, id);
    return id;
}

}

ShipTables makeShipTables(const ShipShape& shape)
{
    const size_t positionCount = shape.positions.size();

    // The mirror partner of every position, found by rounded coordinates.
    std::map<Fixed3, int> byValue;
    for (size_t p = 0; p < positionCount; ++p) {
        const ShipPoint& q = shape.positions[p];
        byValue[{fixed4(q.x), fixed4(q.y), fixed4(q.z)}] = static_cast<int>(p);
    }
    std::vector<int> mirrorOf(positionCount, -1);
    for (size_t p = 0; p < positionCount; ++p) {
        const ShipPoint& q = shape.positions[p];
        const auto found = byValue.find({-fixed4(q.x), fixed4(q.y), fixed4(q.z)});
        if (found != byValue.end()) {
            mirrorOf[p] = found->second;
        }
    }

    // Angle-weighted sums of face normals per (position, group).
    std::map<std::pair<int, int>, Vec> sums;
    for (const ShipTriangle& t : shape.triangles) {
        for (int k = 0; k < 3; ++k) {
            const ShipCorner& c = t.corner[k];
            const ShipPoint& p = shape.positions[c.position];
            const ShipPoint& q = shape.positions[t.corner[(k + 1) % 3].position];
            const ShipPoint& r = shape.positions[t.corner[(k + 2) % 3].position];
            const Vec e1 = sub(q, p);
            const Vec e2 = sub(r, p);
            const Vec face = normalised(cross(e1, e2));
            const double cosine = dot(normalised(e1), normalised(e2));
            const double angle = std::acos(std::fmax(-1.0, std::fmin(1.0, cosine)));
            Vec& sum = sums[{c.position, groupOf(shape, c)}];
            sum.x += face.x * angle;
            sum.y += face.y * angle;
            sum.z += face.z * angle;
        }
    }
    // Mirror images get exactly mirrored normals (the middle band's
    // triangulation is not symmetric, so the averages differ very slightly),
    // and normals on the middle plane lie in it.
    std::map<std::pair<int, int>, Vec> normals;
    for (const auto& entry : sums) {
        const int p = entry.first.first;
        Vec n = normalised(entry.second);
        const int m = mirrorOf[p];
        if (m == p) {
            n.x = 0.0;
            n = normalised(n);
        } else if (m >= 0 && shape.positions[p].x < 0.0) {
            n = normalised(sums.at({m, entry.first.second}));
            n.x = -n.x;
        }
        normals[entry.first] = n;
    }

    // Raw tables keyed by rounded value, then renumbered by first use.
    std::map<Fixed3, int> positionIds;
    std::map<Fixed3, int> normalIds;
    std::map<Fixed2, int> texCoordIds;
    std::vector<Fixed3> positionValues;
    std::vector<Fixed3> normalValues;
    std::vector<Fixed2> texCoordValues;
    std::vector<std::array<std::array<int, 3>, 3>> raw;
    for (const ShipTriangle& t : shape.triangles) {
        std::array<std::array<int, 3>, 3> triangle{};
        for (int k = 0; k < 3; ++k) {
            const ShipCorner& c = t.corner[k];
            const ShipPoint& p = shape.positions[c.position];
            const Fixed3 pf{fixed4(p.x), fixed4(p.y), fixed4(p.z)};
            const Fixed3 nf = fixedUnit(normals.at({c.position, groupOf(shape, c)}));
            double u = 0.0;
            double v = 0.0;
            mapCorner(shape, c, u, v);
            const Fixed2 tf{fixed4(u), fixed4(v)};
            const size_t before[3] = {positionIds.size(), texCoordIds.size(), normalIds.size()};
            triangle[k] = {indexOf(positionIds, pf), indexOf(texCoordIds, tf), indexOf(normalIds, nf)};
            if (positionIds.size() != before[0]) {
                positionValues.push_back(pf);
            }
            if (texCoordIds.size() != before[1]) {
                texCoordValues.push_back(tf);
            }
            if (normalIds.size() != before[2]) {
                normalValues.push_back(nf);
            }
        }
        raw.push_back(triangle);
    }

    // The ids above were handed out on first sight, in triangle order, so
    // they already are the first-use numbering.
    ShipTables tables;
    for (const Fixed3& f : positionValues) {
        tables.positions.push_back({unfixed4(f[0]), unfixed4(f[1]), unfixed4(f[2])});
    }
    for (const Fixed3& f : normalValues) {
        tables.normals.push_back({unfixed4(f[0]), unfixed4(f[1]), unfixed4(f[2])});
    }
    for (const Fixed2& f : texCoordValues) {
        tables.texCoords.push_back({unfixed4(f[0]), unfixed4(f[1])});
    }
    tables.triangles = raw;
    return tables;
}

int distinctCornerCount(const ShipTables& tables)
{
    std::set<std::array<int, 3>> corners;
    for (const auto& t : tables.triangles) {
        for (const auto& c : t) {
            corners.insert(c);
        }
    }
    return static_cast<int>(corners.size());
}

namespace {

std::string number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4ff", v);
    std::string s = text;
    if (s == "-0.0000f") {
        s = "0.0000f";
    }
    return s;
}

}

std::string formatShipData(const ShipTables& tables)
{
    std::string out;
    char line[160];
    out += "// The fighter's mesh, written by zarvy-shipgen (tools/shipgen) from its\n"
           "// parametric shape. Regenerate instead of editing by hand:\n"
           "//     zarvy-shipgen scene/ShipData.cpp\n"
           "//\n"
           "// Three closed surfaces, wound counter-clockwise seen from outside: the hull\n"
           "// and two engine pods that mirror each other across x = 0. Every table is\n"
           "// numbered in the order in which the triangles first use its entries.\n"
           "\n"
           "#include \"scene/ShipData.h\"\n"
           "\n";

    out += "const float shipPositions[shipPositionCount][3] = {\n";
    for (size_t i = 0; i < tables.positions.size(); ++i) {
        const auto& p = tables.positions[i];
        std::snprintf(line, sizeof line, "    {%s, %s, %s}, // %zu\n", number(p[0]).c_str(),
                      number(p[1]).c_str(), number(p[2]).c_str(), i);
        out += line;
    }
    out += "};\n\n";

    out += "const float shipNormals[shipNormalCount][3] = {\n";
    for (size_t i = 0; i < tables.normals.size(); ++i) {
        const auto& n = tables.normals[i];
        std::snprintf(line, sizeof line, "    {%s, %s, %s}, // %zu\n", number(n[0]).c_str(),
                      number(n[1]).c_str(), number(n[2]).c_str(), i);
        out += line;
    }
    out += "};\n\n";

    out += "const float shipTexCoords[shipTexCoordCount][2] = {\n";
    for (size_t i = 0; i < tables.texCoords.size(); ++i) {
        const auto& t = tables.texCoords[i];
        std::snprintf(line, sizeof line, "    {%s, %s}, // %zu\n", number(t[0]).c_str(),
                      number(t[1]).c_str(), i);
        out += line;
    }
    out += "};\n\n";

    out += "// Corners as {position, texture coordinate, normal}.\n";
    out += "const int shipTriangles[shipTriangleCount][3][3] = {\n";
    for (size_t i = 0; i < tables.triangles.size(); ++i) {
        const auto& t = tables.triangles[i];
        std::snprintf(line, sizeof line, "    {{%d, %d, %d}, {%d, %d, %d}, {%d, %d, %d}}, // %zu\n",
                      t[0][0], t[0][1], t[0][2], t[1][0], t[1][1], t[1][2], t[2][0], t[2][1],
                      t[2][2], i);
        out += line;
    }
    out += "};\n";
    return out;
}
