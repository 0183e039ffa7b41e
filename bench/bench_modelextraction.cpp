// Measures model extraction on a 256 x 256 x 128 volume: a silicon frame around a through opening,
// its top and bottom roughened in patches of 4 x 4 columns with heights drawn from 0 to 15 cells, and 16
// poly-silicon beams sticking out of the frame's inner sides into the opening. Every plane of the
// roughness cuts the whole volume, so the boxes are many. Prints the box count and the times of
// preprocessing (split planes, walk, links) and feature detection, and checks that the 16 beams
// are found.
//
//   bench_modelextraction [--threads N] [--pairwise]
//
// --pairwise also times linking the boxes by comparing every pair (what a plain reading of the
// algorithm does), for comparison with the map of face corners.
//
// Target: preprocessing and detection together under 1 s.

#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/cuboiddecomposition.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "Util/paralleltasks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Model::ModelExtraction;
using Model::Automaton::TotalVolume;

namespace {

constexpr uint32_t nx = 256, ny = 256, nz = 128;
constexpr uint32_t frameTop = 60;   // the frame's flat top, before the roughness
constexpr uint32_t opening = 48;    // the frame's width; the opening spans [48, 208) on x and y
constexpr uint32_t patch = 4;       // roughness patches, and the beams' width
constexpr uint32_t beamLength = 32; // cells out of the frame
constexpr uint32_t beamBottom = 38, beamTop = 44;

uint32_t roughness(uint32_t px, uint32_t py)
{
    uint32_t h = px * 73856093u ^ py * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h % 16;
}

uint32_t state(uint32_t x, uint32_t y, uint32_t z)
{
    const bool inOpening = x >= opening && x < nx - opening && y >= opening && y < ny - opening;
    if (!inOpening)
        return z >= roughness(y / patch, x / patch) && z < frameTop + roughness(x / patch, y / patch) ? 1u : 0u;
    if (z < beamBottom || z >= beamTop)
        return 0;
    // Four beams from each side, each one patch wide, at the same places along every side.
    for (uint32_t at : {96u, 112u, 136u, 152u}) {
        const bool acrossY = y >= at && y < at + patch;
        const bool acrossX = x >= at && x < at + patch;
        if (acrossY && (x < opening + beamLength || x >= nx - opening - beamLength))
            return 16;
        if (acrossX && (y < opening + beamLength || y >= ny - opening - beamLength))
            return 16;
    }
    return 0;
}

void linkPairwise(const std::vector<EnvelopePtr> &boxes)
{
    auto corners = [](const RectangularCuboidEnvelope &e, unsigned face, uint32_t c[6]) {
        const uint32_t o[3] = {e.x0, e.y0, e.z0};
        const uint32_t s[3] = {e.sx, e.sy, e.sz};
        const unsigned a = face / 2, u = (a + 1) % 3, v = (a + 2) % 3;
        c[0] = a;
        c[1] = o[a] + ((face & 1) ? s[a] : 0);
        c[2] = o[u];
        c[3] = o[v];
        c[4] = o[u] + s[u];
        c[5] = o[v] + s[v];
    };
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            for (unsigned f = 0; f < 6; ++f) {
                uint32_t a[6], b[6];
                corners(*boxes[i], f, a);
                corners(*boxes[j], f ^ 1u, b);
                if (std::equal(a, a + 6, b)) {
                    boxes[i]->setNeighbour(f, boxes[j].get());
                    boxes[j]->setNeighbour(f ^ 1u, boxes[i].get());
                    break;
                }
            }
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int threadsAt = args.indexOf(QStringLiteral("--threads"));
    if (threadsAt > 0 && threadsAt + 1 < args.size())
        QThreadPool::globalInstance()->setMaxThreadCount(args.at(threadsAt + 1).toInt());
    const bool pairwise = args.contains(QStringLiteral("--pairwise"));

    std::vector<uint32_t> states(size_t(nx) * ny * nz);
    size_t i = 0;
    for (uint32_t x = 0; x < nx; ++x)
        for (uint32_t y = 0; y < ny; ++y)
            for (uint32_t z = 0; z < nz; ++z)
                states[i++] = state(x, y, z);
    TotalVolume volume(nx, ny, nz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
    states.clear();
    states.shrink_to_fit();

    std::printf("volume %u x %u x %u, %u pool threads (machine: %d cores)\n", nx, ny, nz, Util::poolThreadCount(),
                QThread::idealThreadCount());
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        CuboidDecomposition decomposition(volume);
        const std::vector<EnvelopePtr> boxes = decomposition.run();
        const qint64 preprocessing = timer.elapsed();
        const ExtractedModel model(boxes);
        timer.restart();
        CantileverModelRule rule;
        auto structure = std::dynamic_pointer_cast<CantileverStructure>(rule.apply(model));
        const qint64 detection = timer.elapsed();
        const size_t beams = structure ? structure->beams().size() : 0;
        std::printf("run %d: %zu boxes (planes %zu, %zu, %zu); preprocessing %lld ms, detection %lld ms, "
                    "total %lld ms; %zu beams%s\n",
                    run + 1, boxes.size(), decomposition.splitPlanes()[0].size(), decomposition.splitPlanes()[1].size(),
                    decomposition.splitPlanes()[2].size(), static_cast<long long>(preprocessing),
                    static_cast<long long>(detection), static_cast<long long>(preprocessing + detection), beams,
                    beams == 16 ? "" : "  (16 expected!)");
        if (pairwise && run == 0) {
            for (const auto &e : boxes)
                for (unsigned f = 0; f < 6; ++f)
                    e->setNeighbour(f, nullptr);
            timer.restart();
            linkPairwise(boxes);
            std::printf("linking every pair of the %zu boxes instead: %lld ms\n", boxes.size(),
                        static_cast<long long>(timer.elapsed()));
        }
    }
    return 0;
}
