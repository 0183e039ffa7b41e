#pragma once

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <vector>

/// Checks on triangle soups whose corners lie on the half-cell lattice (positions in cells).
namespace MeshChecks {

using Corner = std::array<long, 3>;
using Tri = std::array<Corner, 3>;

/// A position in cells onto the lattice of half cells.
inline Corner halfCells(const float p[3], const float cellSize[3])
{
    return {std::lround(2.0 * p[0] / cellSize[0]), std::lround(2.0 * p[1] / cellSize[1]),
            std::lround(2.0 * p[2] / cellSize[2])};
}

/// Directed edge counts: an oriented closed surface has every edge once each way, or (where
/// pieces touch along an edge) equally often each way.
inline bool closedAndOriented(const std::vector<Tri> &triangles)
{
    std::map<std::pair<Corner, Corner>, int> directed;
    for (const Tri &t : triangles) {
        for (int i = 0; i < 3; ++i)
            ++directed[{t[i], t[(i + 1) % 3]}];
    }
    for (const auto &entry : directed) {
        const auto back = directed.find({entry.first.second, entry.first.first});
        if (back == directed.end() || back->second != entry.second)
            return false;
    }
    return true;
}

/// Every undirected edge is shared by an even number of triangles (two, or four along an edge
/// where two bodies touch).
inline bool watertight(const std::vector<Tri> &triangles)
{
    std::map<std::pair<Corner, Corner>, int> edges;
    for (const Tri &t : triangles) {
        for (int i = 0; i < 3; ++i) {
            Corner a = t[i];
            Corner b = t[(i + 1) % 3];
            if (b < a)
                std::swap(a, b);
            ++edges[{a, b}];
        }
    }
    for (const auto &entry : edges) {
        if (entry.second % 2 != 0)
            return false;
    }
    return !triangles.empty();
}

/// The volume enclosed by an oriented closed surface (positive when normals point out), in the
/// units of the corners given.
inline double enclosedVolume(const std::vector<std::array<std::array<double, 3>, 3>> &triangles)
{
    double sum = 0;
    for (const auto &t : triangles) {
        const auto &a = t[0];
        const auto &b = t[1];
        const auto &c = t[2];
        sum += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
               a[2] * (b[0] * c[1] - b[1] * c[0]);
    }
    return sum / 6.0;
}

} // namespace MeshChecks
