#pragma once

#include "Model/Volume/totalvolume.h"

#include <QString>
#include <QStringList>

namespace Core {
namespace Operations {

/// Writes a cell volume as a VTK XML image data file (.vti) for ParaView and other VTK readers:
/// one image cell per cell, spacing from the cell sizes and origin at the volume's position; cell
/// data "material" (the state, UInt32) and, for every particle-count field of the volume, the sum
/// of a cell's seven counters (Float64) under the field's name. The arrays are appended as raw
/// binary compressed with zlib in blocks, so that a large volume stays small and writes quickly.
class CellVolumeVtiWriter {
public:
    /// Uncompressed bytes per compressed block (VTK's own default).
    static constexpr int blockBytes = 32768;

    explicit CellVolumeVtiWriter(Model::Automaton::TotalVolume &volume);

    /// Writes the file through a SafeFile; false with `error` (an earlier file left as it was) when
    /// it cannot be written or memory runs out.
    bool write(const QString &fileName, QString *error = nullptr);

    /// The fields of the volume written beside "material": particle-count fields of the right size.
    QStringList particleFields() const;

    /// The counter array of a particle-count field (7 counters per cell), or null when the value
    /// is not one of the forms a field takes (the ParticleCounts that random-walk doping attaches,
    /// QByteArray, QVector<quint32>, std::vector<uint32_t>) or has not 7 counters for each of
    /// `cells` cells.
    static const uint32_t *particleCounters(const QVariant &value, size_t cells);

private:
    Model::Automaton::TotalVolume &m_volume;
};

} // namespace Operations
} // namespace Core
