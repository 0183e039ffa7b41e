#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

/// Reads back the mesh files the program writes, independently of its writer: binary STL and
/// binary little-endian PLY with float vertices and faces of three indices plus a colour.
namespace MeshReader {

using Point = std::array<float, 3>;

struct StlTriangle {
    Point normal;
    std::array<Point, 3> corners;
};

struct Stl {
    bool ok = false;
    QByteArray header;
    std::vector<StlTriangle> triangles;
};

struct Ply {
    bool ok = false;
    QList<QByteArray> headerLines;
    std::vector<Point> vertices;
    std::vector<std::array<int, 3>> faces;
    std::vector<std::array<uint8_t, 3>> colors;
};

inline float floatAt(const char *p)
{
    const uint32_t bits = qFromLittleEndian<uint32_t>(p);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

inline Stl readStl(const QString &fileName)
{
    Stl stl;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return stl;
    const QByteArray data = file.readAll();
    if (data.size() < 84)
        return stl;
    stl.header = data.left(80);
    const uint32_t count = qFromLittleEndian<uint32_t>(data.constData() + 80);
    if (data.size() != 84 + qint64(count) * 50)
        return stl;
    const char *p = data.constData() + 84;
    for (uint32_t t = 0; t < count; ++t, p += 50) {
        StlTriangle triangle;
        for (int i = 0; i < 3; ++i)
            triangle.normal[i] = floatAt(p + 4 * i);
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 3; ++i)
                triangle.corners[v][i] = floatAt(p + 12 + 12 * v + 4 * i);
        if (qFromLittleEndian<uint16_t>(p + 48) != 0)
            return stl;
        stl.triangles.push_back(triangle);
    }
    stl.ok = true;
    return stl;
}

inline Ply readPly(const QString &fileName)
{
    Ply ply;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return ply;
    const QByteArray data = file.readAll();
    const int end = data.indexOf("end_header\n");
    if (!data.startsWith("ply\n") || end < 0)
        return ply;
    ply.headerLines = data.left(end).split('\n');
    ply.headerLines.removeAll(QByteArray());
    int vertices = -1;
    int faces = -1;
    for (const QByteArray &line : ply.headerLines) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 3 && words[0] == "element" && words[1] == "vertex")
            vertices = words[2].toInt();
        if (words.size() == 3 && words[0] == "element" && words[1] == "face")
            faces = words[2].toInt();
    }
    if (vertices < 0 || faces < 0)
        return ply;
    const char *p = data.constData() + end + int(sizeof("end_header\n")) - 1;
    const char *stop = data.constData() + data.size();
    for (int i = 0; i < vertices; ++i, p += 12) {
        if (p + 12 > stop)
            return ply;
        ply.vertices.push_back({floatAt(p), floatAt(p + 4), floatAt(p + 8)});
    }
    for (int i = 0; i < faces; ++i) {
        if (p + 16 > stop || uint8_t(*p) != 3)
            return ply;
        std::array<int, 3> face;
        for (int v = 0; v < 3; ++v)
            face[v] = qFromLittleEndian<int32_t>(p + 1 + 4 * v);
        ply.faces.push_back(face);
        ply.colors.push_back({uint8_t(p[13]), uint8_t(p[14]), uint8_t(p[15])});
        p += 16;
    }
    ply.ok = p == stop;
    return ply;
}

/// The triangles of an STL file with their corners on the half-cell lattice of a volume.
template <class Tri>
std::vector<Tri> onLattice(const Stl &stl, const std::array<double, 3> &origin, const std::array<double, 3> &cellSize)
{
    std::vector<Tri> out;
    for (const StlTriangle &t : stl.triangles) {
        Tri tri;
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 3; ++i)
                tri[v][i] = std::lround(2.0 * (t.corners[v][i] - origin[i]) / cellSize[i]);
        out.push_back(tri);
    }
    return out;
}

} // namespace MeshReader

/// The volume the triangles of an STL file enclose (positive when their normals point out).
inline double enclosedVolume(const MeshReader::Stl &stl)
{
    double sum = 0;
    for (const MeshReader::StlTriangle &t : stl.triangles) {
        const std::array<double, 3> a{t.corners[0][0], t.corners[0][1], t.corners[0][2]};
        const std::array<double, 3> b{t.corners[1][0], t.corners[1][1], t.corners[1][2]};
        const std::array<double, 3> c{t.corners[2][0], t.corners[2][1], t.corners[2][2]};
        sum += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
               a[2] * (b[0] * c[1] - b[1] * c[0]);
    }
    return sum / 6.0;
}
