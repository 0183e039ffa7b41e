#include "cuboiddecomposition.h"

#include "Util/paralleltasks.h"

#include <deque>
#include <mutex>
#include <unordered_map>

namespace Model {
namespace ModelExtraction {

using Model::Automaton::Cells;

namespace {

struct Box {
    uint32_t origin[3];
    uint32_t size[3];
    uint32_t material;
};

// A face as the map sees it: the axis it is normal to, the plane it lies in and the rectangle it
// covers on the two other axes. Two faces with the same key have the same four corners.
struct FaceKey {
    uint32_t axis;
    uint32_t plane;
    uint32_t low[2];
    uint32_t high[2];
    bool operator==(const FaceKey &o) const
    {
        return axis == o.axis && plane == o.plane && low[0] == o.low[0] && low[1] == o.low[1] && high[0] == o.high[0] &&
               high[1] == o.high[1];
    }
};

struct FaceKeyHash {
    size_t operator()(const FaceKey &k) const
    {
        uint64_t h = 0x9E3779B97F4A7C15ull * (k.axis + 1);
        for (uint32_t v : {k.plane, k.low[0], k.low[1], k.high[0], k.high[1]}) {
            h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
            h *= 0xBF58476D1CE4E5B9ull;
        }
        return static_cast<size_t>(h ^ (h >> 31));
    }
};

FaceKey faceKey(const RectangularCuboidEnvelope &e, unsigned face)
{
    const uint32_t origin[3] = {e.x0, e.y0, e.z0};
    const uint32_t size[3] = {e.sx, e.sy, e.sz};
    const unsigned axis = face / 2;
    const unsigned u = (axis + 1) % 3;
    const unsigned v = (axis + 2) % 3;
    FaceKey key;
    key.axis = axis;
    key.plane = origin[axis] + ((face & 1) ? size[axis] : 0);
    key.low[0] = origin[u];
    key.low[1] = origin[v];
    key.high[0] = origin[u] + size[u];
    key.high[1] = origin[v] + size[v];
    return key;
}

// The block boundaries of one axis: 0, the split planes, n.
std::vector<uint32_t> boundaries(const std::vector<uint32_t> &planes, uint32_t n)
{
    std::vector<uint32_t> b;
    b.reserve(planes.size() + 2);
    b.push_back(0);
    b.insert(b.end(), planes.begin(), planes.end());
    b.push_back(n);
    return b;
}

} // namespace

CuboidDecomposition::CuboidDecomposition(Model::Automaton::TotalVolume &volume)
    : m_volume(volume)
{
}

std::vector<EnvelopePtr> CuboidDecomposition::run()
{
    std::vector<EnvelopePtr> envelopes;
    {
        Model::Automaton::CellLock lock(m_volume);
        findSplitPlanes(lock.cells().states());
        envelopes = walkBlocks(lock.cells().states());
    }
    linkNeighbours(envelopes);
    return envelopes;
}

void CuboidDecomposition::findSplitPlanes(const Cells::State *states)
{
    const uint32_t nx = m_volume.sizeX();
    const uint32_t ny = m_volume.sizeY();
    const uint32_t nz = m_volume.sizeZ();
    // Every pair of neighbouring cells is compared, those of the last row and layer too, so that no
    // block holds two materials. Each task marks planes of its own and merges them at its end: the
    // union does not depend on how the slices were shared out.
    std::array<std::vector<uint8_t>, 3> marks{std::vector<uint8_t>(nx + 1, 0), std::vector<uint8_t>(ny + 1, 0),
                                              std::vector<uint8_t>(nz + 1, 0)};
    std::mutex merge;
    const size_t column = static_cast<size_t>(ny) * nz;
    Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
        std::array<std::vector<uint8_t>, 3> local{std::vector<uint8_t>(nx + 1, 0), std::vector<uint8_t>(ny + 1, 0),
                                                  std::vector<uint8_t>(nz + 1, 0)};
        for (size_t x = begin; x < end; ++x) {
            const bool lastX = x + 1 == nx;
            for (uint32_t y = 0; y < ny; ++y) {
                const Cells::State *row = states + x * column + static_cast<size_t>(y) * nz;
                const bool lastY = y + 1 == ny;
                for (uint32_t z = 0; z < nz; ++z) {
                    const uint32_t s = row[z];
                    if (z + 1 < nz && s != row[z + 1])
                        local[2][z + 1] = 1;
                    if (!lastY && s != row[z + nz])
                        local[1][y + 1] = 1;
                    if (!lastX && s != row[z + column])
                        local[0][x + 1] = 1;
                }
            }
        }
        std::lock_guard<std::mutex> guard(merge);
        for (unsigned a = 0; a < 3; ++a) {
            for (size_t k = 0; k < local[a].size(); ++k)
                marks[a][k] |= local[a][k];
        }
    });
    for (unsigned a = 0; a < 3; ++a) {
        m_planes[a].clear();
        for (uint32_t k = 1; k + 1 < marks[a].size(); ++k) {
            if (marks[a][k])
                m_planes[a].push_back(k);
        }
    }
}

std::vector<EnvelopePtr> CuboidDecomposition::walkBlocks(const Cells::State *states) const
{
    const uint32_t n[3] = {m_volume.sizeX(), m_volume.sizeY(), m_volume.sizeZ()};
    const std::array<std::vector<uint32_t>, 3> bounds{boundaries(m_planes[0], n[0]), boundaries(m_planes[1], n[1]),
                                                      boundaries(m_planes[2], n[2])};
    const size_t blocks[3] = {bounds[0].size() - 1, bounds[1].size() - 1, bounds[2].size() - 1};
    auto blockIndex = [&blocks](size_t i, size_t j, size_t k) { return (i * blocks[1] + j) * blocks[2] + k; };

    std::vector<uint8_t> seen(blocks[0] * blocks[1] * blocks[2], 0);
    std::deque<std::array<uint32_t, 3>> queue;
    queue.push_back({0, 0, 0});
    seen[0] = 1;
    std::vector<Box> boxes;
    while (!queue.empty()) {
        const std::array<uint32_t, 3> b = queue.front();
        queue.pop_front();
        Box box;
        for (unsigned a = 0; a < 3; ++a) {
            box.origin[a] = bounds[a][b[a]];
            box.size[a] = bounds[a][b[a] + 1] - box.origin[a];
        }
        box.material = states[m_volume.index(box.origin[0], box.origin[1], box.origin[2])];
        if (box.material != 0)
            boxes.push_back(box);
        for (unsigned a = 0; a < 3; ++a) {
            std::array<uint32_t, 3> next = b;
            if (++next[a] >= blocks[a])
                continue;
            uint8_t &mark = seen[blockIndex(next[0], next[1], next[2])];
            if (!mark) {
                mark = 1;
                queue.push_back(next);
            }
        }
    }

    // One allocation for all boxes; each pointer shares it.
    auto storage = std::make_shared<std::vector<RectangularCuboidEnvelope>>(boxes.size());
    std::vector<EnvelopePtr> envelopes;
    envelopes.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        RectangularCuboidEnvelope &e = (*storage)[i];
        const Box &box = boxes[i];
        e.x0 = box.origin[0];
        e.y0 = box.origin[1];
        e.z0 = box.origin[2];
        e.sx = box.size[0];
        e.sy = box.size[1];
        e.sz = box.size[2];
        e.material = box.material;
        envelopes.push_back(EnvelopePtr(storage, &e));
    }
    return envelopes;
}

void CuboidDecomposition::linkNeighbours(const std::vector<EnvelopePtr> &envelopes)
{
    struct Open {
        RectangularCuboidEnvelope *envelope;
        unsigned face;
    };
    std::unordered_map<FaceKey, Open, FaceKeyHash> open;
    open.reserve(envelopes.size() * 3);
    for (const auto &pointer : envelopes) {
        RectangularCuboidEnvelope *e = pointer.get();
        for (unsigned face = 0; face < 6; ++face) {
            const FaceKey key = faceKey(*e, face);
            auto it = open.find(key);
            if (it == open.end()) {
                open.emplace(key, Open{e, face});
                continue;
            }
            // Only a face from the other side, on another box whose face is still free, makes a link.
            Open &other = it->second;
            const unsigned opposite = RectangularCuboidEnvelope::oppositeFace(face);
            if (other.face == opposite && other.envelope != e && !other.envelope->neighbour(opposite) &&
                !e->neighbour(face)) {
                e->setNeighbour(face, other.envelope);
                other.envelope->setNeighbour(opposite, e);
                open.erase(it);
            }
        }
    }
}

} // namespace ModelExtraction
} // namespace Model
