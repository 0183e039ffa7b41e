// Speed of the layer and mask processes on 256^3 volumes; prints milliseconds per case.
// Compare the Moore figures with bench/moore_reference.py (scipy's binary dilation and erosion).
#include "Core/Engines/Columns/photolithography.h"
#include "Core/Engines/Moore/mooreneighborhooddeposition.h"
#include "Core/Engines/Moore/mooreneighborhoodetching.h"
#include "Model/Volume/totalvolume.h"

#include <QElapsedTimer>
#include <QThreadPool>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t N = 256;

/// Lower half silicon, cut by eight trenches 16 cells wide and 64 deep running along y.
std::unique_ptr<Model::Automaton::TotalVolume> trenchVolume()
{
    std::vector<uint32_t> states(size_t(N) * N * N, 0);
    size_t i = 0;
    for (uint32_t x = 0; x < N; ++x)
        for (uint32_t y = 0; y < N; ++y)
            for (uint32_t z = 0; z < N; ++z) {
                const bool trench = (x % 32) >= 8 && (x % 32) < 24 && z >= 64;
                states[i++] = (z < N / 2 && !trench) ? 1u : 0u;
            }
    return std::make_unique<Model::Automaton::TotalVolume>(N, N, N, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

/// Silicon below, then 20 layers of positive resist, empty above.
std::unique_ptr<Model::Automaton::TotalVolume> resistVolume()
{
    std::vector<uint32_t> states(size_t(N) * N * N, 0);
    size_t i = 0;
    for (uint32_t x = 0; x < N; ++x)
        for (uint32_t y = 0; y < N; ++y)
            for (uint32_t z = 0; z < N; ++z)
                states[i++] = z < N / 2 ? 1u : (z < N / 2 + 20 ? 11u : 0u);
    return std::make_unique<Model::Automaton::TotalVolume>(N, N, N, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

void report(const char *name, qint64 ms) { std::printf("%-40s %6lld ms\n", name, static_cast<long long>(ms)); }

template <class Engine> qint64 timeMoore(uint32_t material)
{
    auto volume = trenchVolume();
    QElapsedTimer timer;
    timer.start();
    Engine(*volume, material, 8).run();
    return timer.elapsed();
}

} // namespace

int main()
{
    std::printf("threads: %d\n", QThreadPool::globalInstance()->maxThreadCount());
    report("Moore deposition n=8, 256^3 trenches", timeMoore<Core::Operations::MooreNeighborhoodDeposition>(2));
    report("Moore etching n=8, 256^3 trenches", timeMoore<Core::Operations::MooreNeighborhoodEtching>(1));

    // Lines 16 columns wide along y, alternately masked and open.
    QBitArray mask(int(N * N));
    for (uint32_t x = 0; x < N; ++x)
        for (uint32_t y = 0; y < N; ++y)
            mask.setBit(int(x * N + y), (x / 16) % 2 == 0);
    auto volume = resistVolume();
    QElapsedTimer timer;
    timer.start();
    Core::Operations::Photolithography(*volume, 11, QBitArray(), 0, 0, mask, N, N).run();
    report("Photolithography, 20 layers, 256^3", timer.elapsed());
    return 0;
}
