#include "cellvolumevtiwriter.h"

#include "Util/failuretext.h"
#include "Util/paralleltasks.h"
#include "Util/safefile.h"

#include <QLocale>
#include <QTextStream>
#include <QVector>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include <zlib.h>

namespace Core {
namespace Operations {

namespace {

// One cell-data array, compressed: VTK's block header (block count, block size, size of a partial
// last block, compressed size of each block) followed by the blocks.
struct CompressedArray {
    QString name;
    QString type;
    double rangeMin = 0.0;
    double rangeMax = 0.0;
    QByteArray header;
    std::vector<QByteArray> blocks;

    qint64 size() const
    {
        qint64 total = header.size();
        for (const QByteArray &block : blocks)
            total += block.size();
        return total;
    }
};

void appendUInt64(QByteArray &bytes, quint64 value)
{
    const quint64 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
}

// The shortest text that reads back as the same single-precision number.
QString floatText(float value)
{
    for (int digits = 6; digits < 9; ++digits) {
        const QString text = QString::number(double(value), 'g', digits);
        if (text.toFloat() == value)
            return text;
    }
    return QString::number(double(value), 'g', 9);
}

QString doubleText(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }

/// Fills `out` with `count` values of the array, starting at image cell `first` (x fastest).
using ValueSource = std::function<void(size_t first, size_t count, char *out, double &low, double &high)>;

CompressedArray compress(const QString &name, const QString &type, size_t valueBytes, size_t cells,
                         const ValueSource &source)
{
    CompressedArray array;
    array.name = name;
    array.type = type;
    const size_t total = cells * valueBytes;
    const size_t blockBytes = CellVolumeVtiWriter::blockBytes;
    const size_t blockCount = (total + blockBytes - 1) / blockBytes;
    array.blocks.resize(blockCount);
    std::vector<double> lows(blockCount), highs(blockCount);
    // Blocks are compressed independently, so the file is the same whatever the thread count.
    Util::runParallelRange(blockCount, 1, [&](size_t begin, size_t end) {
        std::vector<char> buffer(blockBytes);
        for (size_t b = begin; b < end; ++b) {
            const size_t first = b * blockBytes / valueBytes;
            const size_t count = std::min(blockBytes, total - b * blockBytes) / valueBytes;
            double low = std::numeric_limits<double>::max();
            double high = std::numeric_limits<double>::lowest();
            source(first, count, buffer.data(), low, high);
            lows[b] = low;
            highs[b] = high;
            const uLong sourceBytes = static_cast<uLong>(count * valueBytes);
            uLongf packedBytes = compressBound(sourceBytes);
            QByteArray packed(static_cast<int>(packedBytes), Qt::Uninitialized);
            const int result = compress2(reinterpret_cast<Bytef *>(packed.data()), &packedBytes,
                                         reinterpret_cast<const Bytef *>(buffer.data()), sourceBytes, 1);
            if (result == Z_MEM_ERROR)
                throw std::bad_alloc();
            if (result != Z_OK)
                throw std::runtime_error("the data could not be compressed");
            packed.truncate(static_cast<int>(packedBytes));
            array.blocks[b] = packed;
        }
    });
    array.rangeMin = *std::min_element(lows.begin(), lows.end());
    array.rangeMax = *std::max_element(highs.begin(), highs.end());
    appendUInt64(array.header, blockCount);
    appendUInt64(array.header, blockBytes);
    appendUInt64(array.header, total % blockBytes);
    for (const QByteArray &block : array.blocks)
        appendUInt64(array.header, static_cast<quint64>(block.size()));
    return array;
}

// Walks image cells in VTK's order (x fastest, then y, then z) from `first`.
struct ImageCursor {
    ImageCursor(const Model::Automaton::TotalVolume &volume, size_t first)
        : nx(volume.sizeX())
        , ny(volume.sizeY())
        , nz(volume.sizeZ())
    {
        x = static_cast<uint32_t>(first % nx);
        y = static_cast<uint32_t>(first / nx % ny);
        z = static_cast<uint32_t>(first / (size_t(nx) * ny));
    }
    size_t cellIndex() const { return (size_t(x) * ny + y) * nz + z; }
    void next()
    {
        if (++x < nx)
            return;
        x = 0;
        if (++y < ny)
            return;
        y = 0;
        ++z;
    }
    uint32_t nx, ny, nz, x, y, z;
};

} // namespace

CellVolumeVtiWriter::CellVolumeVtiWriter(Model::Automaton::TotalVolume &volume)
    : m_volume(volume)
{
}

const uint32_t *CellVolumeVtiWriter::particleCounters(const QVariant &value, size_t cells)
{
    const size_t wanted = cells * 7;
    if (value.userType() == QMetaType::QByteArray) {
        const auto *bytes = static_cast<const QByteArray *>(value.constData());
        return size_t(bytes->size()) == wanted * sizeof(uint32_t)
                   ? reinterpret_cast<const uint32_t *>(bytes->constData())
                   : nullptr;
    }
    if (value.userType() == qMetaTypeId<QVector<quint32>>()) {
        const auto *counters = static_cast<const QVector<quint32> *>(value.constData());
        return size_t(counters->size()) == wanted ? counters->constData() : nullptr;
    }
    if (value.userType() == qMetaTypeId<std::vector<uint32_t>>()) {
        const auto *counters = static_cast<const std::vector<uint32_t> *>(value.constData());
        return counters->size() == wanted ? counters->data() : nullptr;
    }
    return nullptr;
}

QStringList CellVolumeVtiWriter::particleFields() const
{
    QStringList names;
    for (const QString &name : m_volume.fieldNames()) {
        if (name.startsWith(QLatin1String("Random Walk Particle Count")) &&
            particleCounters(m_volume.field(name), m_volume.cellCount()))
            names.append(name);
    }
    return names;
}

bool CellVolumeVtiWriter::write(const QString &fileName, QString *error)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("The cell volume could not be exported to \"%1\": %2\nAny earlier file of that "
                                    "name is unchanged.")
                         .arg(fileName, reason);
        return false;
    };
    const QString refusal = Util::SafeFile::refusal(fileName);
    if (!refusal.isEmpty())
        return fail(refusal);

    const Model::Automaton::TotalVolume &volume = m_volume;
    const size_t cells = volume.cellCount();
    std::vector<CompressedArray> arrays;
    try {
        Model::Automaton::CellLock lock(m_volume);
        const Model::Automaton::Voxel *voxels = lock.cells();
        arrays.push_back(compress(QStringLiteral("material"), QStringLiteral("UInt32"), sizeof(uint32_t), cells,
                                  [&](size_t first, size_t count, char *out, double &low, double &high) {
                                      ImageCursor cursor(volume, first);
                                      uint32_t least = std::numeric_limits<uint32_t>::max(), most = 0;
                                      for (size_t i = 0; i < count; ++i, cursor.next()) {
                                          const uint32_t state = voxels[cursor.cellIndex()].state();
                                          least = std::min(least, state);
                                          most = std::max(most, state);
                                          qToLittleEndian(state, out + i * sizeof state);
                                      }
                                      low = least;
                                      high = most;
                                  }));
        for (const QString &name : particleFields()) {
            const QVariant field = volume.field(name); // keeps the counters alive while they are read
            const uint32_t *counters = particleCounters(field, cells);
            arrays.push_back(compress(name, QStringLiteral("Float64"), sizeof(double), cells,
                                      [&](size_t first, size_t count, char *out, double &low, double &high) {
                                          ImageCursor cursor(volume, first);
                                          for (size_t i = 0; i < count; ++i, cursor.next()) {
                                              const uint32_t *c = counters + cursor.cellIndex() * 7;
                                              double sum = 0.0;
                                              for (int k = 0; k < 7; ++k)
                                                  sum += c[k];
                                              low = std::min(low, sum);
                                              high = std::max(high, sum);
                                              qToLittleEndian(sum, out + i * sizeof sum);
                                          }
                                      }));
        }
    } catch (const std::exception &e) {
        return fail(Util::failureText(e, QStringLiteral("export the cell volume")));
    }

    const QString extent = QStringLiteral("0 %1 0 %2 0 %3").arg(volume.sizeX()).arg(volume.sizeY()).arg(volume.sizeZ());
    const Util::Vector3D origin = volume.position();
    QString xml;
    QTextStream text(&xml);
    text << "<?xml version=\"1.0\"?>\n"
         << "<VTKFile type=\"ImageData\" version=\"1.0\" byte_order=\"LittleEndian\" header_type=\"UInt64\" "
            "compressor=\"vtkZLibDataCompressor\">\n"
         << "  <ImageData WholeExtent=\"" << extent << "\" Origin=\"" << doubleText(origin.x) << ' '
         << doubleText(origin.y) << ' ' << doubleText(origin.z) << "\" Spacing=\"" << floatText(volume.cellSizeX())
         << ' ' << floatText(volume.cellSizeY()) << ' ' << floatText(volume.cellSizeZ()) << "\">\n"
         << "    <Piece Extent=\"" << extent << "\">\n"
         << "      <PointData>\n      </PointData>\n"
         << "      <CellData Scalars=\"material\">\n";
    qint64 offset = 0;
    for (const CompressedArray &array : arrays) {
        text << "        <DataArray type=\"" << array.type << "\" Name=\"" << array.name.toHtmlEscaped()
             << "\" format=\"appended\" RangeMin=\"" << doubleText(array.rangeMin) << "\" RangeMax=\""
             << doubleText(array.rangeMax) << "\" offset=\"" << offset << "\"/>\n";
        offset += array.size();
    }
    text << "      </CellData>\n    </Piece>\n  </ImageData>\n  <AppendedData encoding=\"raw\">\n   _";
    text.flush();

    Util::SafeFile file(fileName);
    if (!file.open())
        return fail(file.errorString());
    QIODevice *out = file.device();
    out->write(xml.toUtf8());
    for (const CompressedArray &array : arrays) {
        out->write(array.header);
        for (const QByteArray &block : array.blocks)
            out->write(block);
    }
    out->write("\n  </AppendedData>\n</VTKFile>\n");
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace Operations
} // namespace Core
