#include "Core/Formats/csvdataexporter.h"

#include "Model/Volume/particlecounts.h"
#include "Model/Volume/surfaceflux.h"
#include "Util/safefile.h"

#include <QDebug>
#include <QIODevice>

#include <cstdio>

namespace Core {
namespace Operations {

using Model::Automaton::ParticleCounts;

CSVDataExporter::CSVDataExporter(const QString &fileName)
    : m_fileName(fileName)
{
    qDebug() << "Opening file";
}

bool CSVDataExporter::isExportable(const QString &dataName)
{
    return dataName == ParticleCounts::pTypeName() || dataName == ParticleCounts::nTypeName() ||
           dataName == Model::Automaton::SurfaceFlux::name();
}

bool CSVDataExporter::saveFlux(QIODevice &device, const Model::Automaton::SurfaceFlux &flux, uint32_t ny, uint32_t nz)
{
    QByteArray block("x,y,z,flux\n");
    char line[96];
    for (const auto &site : flux.sites()) {
        const size_t column = site.first / nz;
        const int length = std::snprintf(line, sizeof line, "%zu,%zu,%zu,%.6e\n", column / ny, column % ny,
                                         site.first % nz, site.second);
        block.append(line, length);
        if (block.size() >= (1 << 20)) {
            if (device.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return device.write(block) == block.size();
}

QByteArray CSVDataExporter::formatCount(uint64_t count)
{
    // Seven 32-bit counters sum to at most 11 digits, which the mantissa holds exactly: the
    // digits are written as they are, without going through a locale or a floating number.
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(count));
    if (length > 11) {
        char text[40];
        std::snprintf(text, sizeof text, "%.10e", double(count));
        return QByteArray(text);
    }
    QByteArray text(16, '0');
    text[0] = digits[0];
    text[1] = '.';
    for (int i = 1; i < length; ++i)
        text[1 + i] = digits[i];
    const int exponent = count == 0 ? 0 : length - 1;
    text[12] = 'e';
    text[13] = '+';
    text[14] = char('0' + exponent / 10);
    text[15] = char('0' + exponent % 10);
    return text;
}

bool CSVDataExporter::saveParticleData(QIODevice &device, const uint32_t *counts, uint32_t nx, uint32_t ny, uint32_t nz)
{
    qDebug() << "Writing to stream";
    const unsigned perCell = ParticleCounts::slotsPerCell;
    QByteArray block;
    for (uint32_t x = 0; x < nx; ++x) {
        block.clear();
        block += "X: ";
        block += QByteArray::number(x);
        block += '\n';
        for (uint32_t y = 0; y < ny; ++y) {
            const uint32_t *cell = counts + (size_t(x) * ny + y) * nz * perCell;
            for (uint32_t z = 0; z < nz; ++z, cell += perCell) {
                uint64_t sum = 0;
                for (unsigned k = 0; k < perCell; ++k)
                    sum += cell[k];
                block += formatCount(sum);
                block += " ; ";
            }
            block += '\n';
        }
        block += "\n\n";
        if (device.write(block) != block.size())
            return false;
    }
    qDebug() << "Done writing to stream.";
    return true;
}

int CSVDataExporter::saveDataToFile(const QString &dataName, const QVariant &data, uint32_t nx, uint32_t ny,
                                    uint32_t nz)
{
    m_error.clear();
    if (!isExportable(dataName)) {
        qDebug() << "Unexpected data type";
        m_error = QStringLiteral("\"%1\" is not a particle-count field.").arg(dataName);
        return -1;
    }
    if (dataName == Model::Automaton::SurfaceFlux::name())
        return saveFluxToFile(dataName, data, ny, nz);
    const auto counts = data.userType() == qMetaTypeId<Model::Automaton::ParticleCountsPtr>()
                            ? data.value<Model::Automaton::ParticleCountsPtr>()
                            : nullptr;
    if (!counts || counts->cellCount() != size_t(nx) * ny * nz) {
        m_error = QStringLiteral("the cell volume holds no field \"%1\".").arg(dataName);
        return -1;
    }
    Util::SafeFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qDebug() << "Done";
        m_error = file.errorString();
        return -1;
    }
    qDebug() << "File is open";
    qDebug() << "Data type is one of the expected values";
    if (!saveParticleData(*file.device(), counts->data(), nx, ny, nz)) {
        m_error = file.cancel(QStringLiteral("the counts could not be written."));
        qDebug() << "Done";
        return -1;
    }
    if (!file.commit()) {
        m_error = file.errorString();
        qDebug() << "Done";
        return -1;
    }
    qDebug() << "Done";
    return 0;
}

int CSVDataExporter::saveFluxToFile(const QString &dataName, const QVariant &data, uint32_t ny, uint32_t nz)
{
    const auto flux = data.userType() == qMetaTypeId<Model::Automaton::SurfaceFluxPtr>()
                          ? data.value<Model::Automaton::SurfaceFluxPtr>()
                          : nullptr;
    if (!flux) {
        m_error = QStringLiteral("the cell volume holds no field \"%1\".").arg(dataName);
        return -1;
    }
    Util::SafeFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        m_error = file.errorString();
        return -1;
    }
    if (!saveFlux(*file.device(), *flux, ny, nz)) {
        m_error = file.cancel(QStringLiteral("the flux could not be written."));
        return -1;
    }
    if (!file.commit()) {
        m_error = file.errorString();
        return -1;
    }
    return 0;
}

} // namespace Operations
} // namespace Core
