#pragma once

#include "Model/Volume/totalvolume.h"

#include <QTemporaryDir>
#include <QtGlobal>

#include <memory>
#include <random>

/// The benchmark scene: a 256^3 silicon block whose top is a rough height field
/// (every column 120 to 136 cells high), about one million exposed faces.
inline std::shared_ptr<Model::Automaton::TotalVolume> makeRoughBlock(uint32_t n = 256)
{
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(n, n, n, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 0u);
    std::mt19937 random(12345);
    Model::Automaton::CellLock lock(*volume);
    Model::Automaton::Cells cells = lock.cells();
    for (uint32_t x = 0; x < n; ++x) {
        for (uint32_t y = 0; y < n; ++y) {
            const uint32_t height = n * 120 / 256 + random() % (n * 17 / 256 + 1);
            for (uint32_t z = 0; z < height; ++z)
                cells.setState(volume->index(x, y, z), 1);
        }
    }
    return volume;
}

/// Keeps the catalogue files of a benchmark run away from the user's home folder.
class BenchHome {
public:
    BenchHome() { qputenv("HOME", m_dir.path().toLocal8Bit()); }

private:
    QTemporaryDir m_dir;
};
