// The marching-cubes tables checked case by case against the corners each case separates, not
// taken on trust.
#include "Model/Automaton/marchingcubetables.h"

#include <QtTest>

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <vector>

namespace mct = Model::Automaton::MarchingCubeTables;

namespace {

using Point = std::array<double, 3>;
using Segment = std::pair<int, int>; // two edge numbers

Point corner(int c) { return {double(mct::corners[c][0]), double(mct::corners[c][1]), double(mct::corners[c][2])}; }

Point midpoint(int edge)
{
    const Point a = corner(mct::edgeCorners[edge][0]);
    const Point b = corner(mct::edgeCorners[edge][1]);
    return {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
}

Point minus(const Point &a, const Point &b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Point cross(const Point &a, const Point &b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Point &a, const Point &b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool inside(int index, int c) { return (index >> c) & 1; }

std::vector<std::array<int, 3>> trianglesOf(int index)
{
    std::vector<std::array<int, 3>> triangles;
    const int8_t *row = mct::triangleTable[index];
    for (int i = 0; i + 2 < 16 && row[i] >= 0; i += 3)
        triangles.push_back({row[i], row[i + 1], row[i + 2]});
    return triangles;
}

// The faces of the cube: (axis, side), as the set of the four corners on it.
std::vector<std::set<int>> cubeFaces()
{
    std::vector<std::set<int>> faces;
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            std::set<int> corners;
            for (int c = 0; c < 8; ++c) {
                if (mct::corners[c][axis] == side)
                    corners.insert(c);
            }
            faces.push_back(corners);
        }
    }
    return faces;
}

bool edgeOnFace(int edge, const std::set<int> &face)
{
    return face.count(mct::edgeCorners[edge][0]) && face.count(mct::edgeCorners[edge][1]);
}

// Whether segment p-q crosses the triangle (p and q in general position).
bool crosses(const Point &p, const Point &q, const std::array<Point, 3> &t)
{
    const Point d = minus(q, p);
    const Point e1 = minus(t[1], t[0]);
    const Point e2 = minus(t[2], t[0]);
    const Point h = cross(d, e2);
    const double det = dot(e1, h);
    if (std::fabs(det) < 1e-12)
        return false;
    const Point s = minus(p, t[0]);
    const double u = dot(s, h) / det;
    if (u < 0 || u > 1)
        return false;
    const Point r = cross(s, e1);
    const double v = dot(d, r) / det;
    if (v < 0 || u + v > 1)
        return false;
    const double along = dot(e2, r) / det;
    return along > 0 && along < 1;
}

// A point near corner c, off every plane the triangles could share with it.
Point nearCorner(int c, unsigned &seed)
{
    const Point p = corner(c);
    Point out;
    for (int i = 0; i < 3; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double jitter = (double((seed >> 8) % 1000) / 1000.0 - 0.5) * 0.04;
        out[i] = p[i] + (0.5 - p[i]) * 0.05 + jitter;
    }
    return out;
}

} // namespace

class tst_MarchingCubeTables : public QObject {
    Q_OBJECT
private slots:
    void edgeTableHoldsTheEdgesBetweenInsideAndOutside()
    {
        for (int index = 0; index < 256; ++index) {
            unsigned expected = 0;
            for (int e = 0; e < 12; ++e) {
                if (inside(index, mct::edgeCorners[e][0]) != inside(index, mct::edgeCorners[e][1]))
                    expected |= 1u << e;
            }
            QCOMPARE(unsigned(mct::edgeTable[index]), expected);
        }
    }

    void edgesJoinNeighbouringCorners()
    {
        for (int e = 0; e < 12; ++e) {
            const Point d = minus(corner(mct::edgeCorners[e][0]), corner(mct::edgeCorners[e][1]));
            QCOMPARE(dot(d, d), 1.0);
        }
    }

    void rowsUseExactlyTheCrossedEdges()
    {
        for (int index = 0; index < 256; ++index) {
            const int8_t *row = mct::triangleTable[index];
            int length = 0;
            while (length < 16 && row[length] >= 0)
                ++length;
            QVERIFY2(length % 3 == 0 && length <= 15, qPrintable(QString::number(index)));
            for (int i = length; i < 16; ++i)
                QCOMPARE(int(row[i]), -1);
            std::set<int> used;
            for (const auto &t : trianglesOf(index)) {
                QVERIFY(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
                used.insert(t.begin(), t.end());
            }
            std::set<int> crossed;
            for (int e = 0; e < 12; ++e) {
                if (mct::edgeTable[index] & (1u << e))
                    crossed.insert(e);
            }
            QVERIFY2(used == crossed, qPrintable(QString::number(index)));
        }
    }

    void eachCaseIsAnOrientedSurfaceEndingOnTheCubeFaces()
    {
        const auto faces = cubeFaces();
        for (int index = 0; index < 256; ++index) {
            std::map<Segment, int> directed;
            for (const auto &t : trianglesOf(index)) {
                for (int i = 0; i < 3; ++i)
                    ++directed[{t[i], t[(i + 1) % 3]}];
            }
            std::vector<std::map<int, int>> ends(faces.size());
            for (const auto &entry : directed) {
                const Segment s = entry.first;
                const auto back = directed.find({s.second, s.first});
                const int reverse = back == directed.end() ? 0 : back->second;
                QVERIFY2(entry.second == 1, qPrintable(QString::number(index)));
                if (reverse == 1)
                    continue; // an inner segment, walked once each way
                // A segment used once lies on a cube face, where the neighbour's surface goes on.
                bool onFace = false;
                for (size_t f = 0; f < faces.size(); ++f) {
                    if (edgeOnFace(s.first, faces[f]) && edgeOnFace(s.second, faces[f])) {
                        onFace = true;
                        ++ends[f][s.first];
                        ++ends[f][s.second];
                    }
                }
                QVERIFY2(onFace, qPrintable(QStringLiteral("case %1: a loose edge inside the cube").arg(index)));
            }
            // On every face, each crossed edge of that face ends exactly one boundary segment.
            for (size_t f = 0; f < faces.size(); ++f) {
                for (int e = 0; e < 12; ++e) {
                    if (!edgeOnFace(e, faces[f]))
                        continue;
                    const bool crossed = mct::edgeTable[index] & (1u << e);
                    QVERIFY2(ends[f][e] == (crossed ? 1 : 0),
                             qPrintable(QStringLiteral("case %1, face %2, edge %3").arg(index).arg(f).arg(e)));
                }
            }
        }
    }

    void eachCaseSeparatesInsideFromOutsideCorners()
    {
        unsigned seed = 7;
        for (int index = 0; index < 256; ++index) {
            std::vector<std::array<Point, 3>> triangles;
            for (const auto &t : trianglesOf(index))
                triangles.push_back({midpoint(t[0]), midpoint(t[1]), midpoint(t[2])});
            auto crossings = [&](const Point &p, const Point &q) {
                int n = 0;
                for (const auto &t : triangles)
                    n += crosses(p, q, t);
                return n;
            };
            // A path between two corners crosses the surface an odd number of times exactly when
            // one of them is inside.
            for (int a = 0; a < 8; ++a) {
                for (int b = a + 1; b < 8; ++b) {
                    const int n = crossings(nearCorner(a, seed), nearCorner(b, seed));
                    QVERIFY2(n % 2 == int(inside(index, a) != inside(index, b)),
                             qPrintable(QStringLiteral("case %1, corners %2 and %3").arg(index).arg(a).arg(b)));
                }
            }
            // Normals point out of the material: just in front of a triangle lies the outside.
            for (const auto &t : triangles) {
                Point n = cross(minus(t[1], t[0]), minus(t[2], t[0]));
                const double length = std::sqrt(dot(n, n));
                const Point centre = {(t[0][0] + t[1][0] + t[2][0]) / 3 + 1e-3 * n[0] / length + 3e-5,
                                      (t[0][1] + t[1][1] + t[2][1]) / 3 + 1e-3 * n[1] / length - 2e-5,
                                      (t[0][2] + t[1][2] + t[2][2]) / 3 + 1e-3 * n[2] / length + 1e-5};
                const bool frontInside = (crossings(centre, nearCorner(0, seed)) % 2 == 1) != inside(index, 0);
                QVERIFY2(!frontInside, qPrintable(QStringLiteral("case %1 faces inwards").arg(index)));
            }
        }
    }

    void neighbouringCubesSplitAFaceAlike()
    {
        // What a case draws on a face must follow from that face's four corners alone: the cube on
        // the other side sees the same four corners and has to meet the same segments.
        const auto faces = cubeFaces();
        for (size_t f = 0; f < faces.size(); ++f) {
            std::map<int, std::set<Segment>> byPattern;
            std::map<int, bool> seen;
            for (int index = 0; index < 256; ++index) {
                int pattern = 0;
                for (int c : faces[f])
                    pattern = pattern * 2 + int(inside(index, c));
                std::set<Segment> onFace;
                std::map<Segment, int> count;
                for (const auto &t : trianglesOf(index)) {
                    for (int i = 0; i < 3; ++i) {
                        const int a = std::min(t[i], t[(i + 1) % 3]);
                        const int b = std::max(t[i], t[(i + 1) % 3]);
                        ++count[{a, b}];
                    }
                }
                for (const auto &entry : count) {
                    if (entry.second == 1 && edgeOnFace(entry.first.first, faces[f]) &&
                        edgeOnFace(entry.first.second, faces[f]))
                        onFace.insert(entry.first);
                }
                if (!seen[pattern]) {
                    seen[pattern] = true;
                    byPattern[pattern] = onFace;
                } else {
                    QVERIFY2(byPattern[pattern] == onFace,
                             qPrintable(QStringLiteral("face %1 of case %2").arg(f).arg(index)));
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(tst_MarchingCubeTables)
#include "tst_marchingcubetables.moc"
