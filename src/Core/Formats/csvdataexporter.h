#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdint>

class QIODevice;

namespace Model {
namespace Automaton {
class SurfaceFlux;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

/// Writes a particle-count field of a cell volume ("Random Walk Particle Count Type N" or "... P")
/// as text, one block per x: a line "X: " and x, then one line per y holding the cell counts
/// along z, each followed by " ; ", then two empty lines. A count is the sum of the cell's seven
/// counters, written in scientific notation with ten digits after the point (3.0000000000e+00),
/// the same whatever the user's locale. The line-of-sight flux ("Line-of-Sight Flux") is written as
/// a header "x,y,z,flux" and one row per surface cell in cell order, the flux in units of a flat
/// open surface's. The file is replaced only when all of it was written.
class CSVDataExporter {
public:
    explicit CSVDataExporter(const QString &fileName);

    /// 0 on success; -1 when the name is not a particle-count field, the value does not hold
    /// nx * ny * nz cells, or the file cannot be written (errorString() says which).
    int saveDataToFile(const QString &dataName, const QVariant &data, uint32_t nx, uint32_t ny, uint32_t nz);
    QString errorString() const { return m_error; }

    /// The layout above for seven counters per cell; false when the device refused a write.
    static bool saveParticleData(QIODevice &device, const uint32_t *counts, uint32_t nx, uint32_t ny, uint32_t nz);
    /// One value as the file writes it.
    static QByteArray formatCount(uint64_t count);
    /// The flux rows above; false when the device refused a write.
    static bool saveFlux(QIODevice &device, const Model::Automaton::SurfaceFlux &flux, uint32_t ny, uint32_t nz);
    /// Whether the export can write a field of that name.
    static bool isExportable(const QString &dataName);

private:
    int saveFluxToFile(const QString &dataName, const QVariant &data, uint32_t ny, uint32_t nz);

    QString m_fileName;
    QString m_error;
};

} // namespace Operations
} // namespace Core
