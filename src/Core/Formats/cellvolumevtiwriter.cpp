#include "Core/Formats/cellvolumevtiwriter.h"

#include "Model/Volume/particlecounts.h"
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

// A cell value for every cell in VTK's order (x fastest, then y, then z); the volume keeps z
// fastest. Tiles of 32 x by 32 z keep both the reads and the writes within the cache.
template <class T, class Value> std::vector<T> imageOrder(const Model::Automaton::TotalVolume &volume, Value value)
{
    const size_t nx = volume.sizeX(), ny = volume.sizeY(), nz = volume.sizeZ();
    constexpr size_t tile = 32;
    std::vector<T> image(volume.cellCount());
    Util::runParallelRange(ny, 1, [&](size_t begin, size_t end) {
        for (size_t y = begin; y < end; ++y)
            for (size_t x0 = 0; x0 < nx; x0 += tile)
                for (size_t z0 = 0; z0 < nz; z0 += tile) {
                    const size_t x1 = std::min(nx, x0 + tile), z1 = std::min(nz, z0 + tile);
                    for (size_t x = x0; x < x1; ++x)
                        for (size_t z = z0; z < z1; ++z)
                            image[(z * ny + y) * nx + x] = value((x * ny + y) * nz + z);
                }
    });
    return image;
}

// The source of `compress` for values already in image order.
template <class T> ValueSource valuesOf(const std::vector<T> &image)
{
    return [&image](size_t first, size_t count, char *out, double &low, double &high) {
        T least = std::numeric_limits<T>::max(), most = std::numeric_limits<T>::lowest();
        for (size_t i = 0; i < count; ++i) {
            const T value = image[first + i];
            least = std::min(least, value);
            most = std::max(most, value);
            qToLittleEndian(value, out + i * sizeof(T));
        }
        low = double(least);
        high = double(most);
    };
}

} // namespace

CellVolumeVtiWriter::CellVolumeVtiWriter(Model::Automaton::TotalVolume &volume)
    : m_volume(volume)
{
}

const uint32_t *CellVolumeVtiWriter::particleCounters(const QVariant &value, size_t cells)
{
    const size_t wanted = cells * 7;
    // Random-walk doping keeps its counters in this form.
    if (value.userType() == qMetaTypeId<Model::Automaton::ParticleCountsPtr>()) {
        const auto *counts = static_cast<const Model::Automaton::ParticleCountsPtr *>(value.constData());
        return *counts && (*counts)->cellCount() == cells ? (*counts)->data() : nullptr;
    }
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
        const Model::Automaton::Cells::State *cellStates = lock.cells().states();
        {
            const auto states =
                imageOrder<uint32_t>(volume, [cellStates](size_t i) { return uint32_t(cellStates[i]); });
            arrays.push_back(compress(QStringLiteral("material"), QStringLiteral("UInt32"), sizeof(uint32_t), cells,
                                      valuesOf(states)));
        }
        for (const QString &name : particleFields()) {
            const QVariant field = volume.field(name); // keeps the counters alive while they are read
            const uint32_t *counters = particleCounters(field, cells);
            const auto sums = imageOrder<double>(volume, [counters](size_t i) {
                const uint32_t *c = counters + i * 7;
                return double(c[0]) + c[1] + c[2] + c[3] + c[4] + c[5] + c[6];
            });
            arrays.push_back(compress(name, QStringLiteral("Float64"), sizeof(double), cells, valuesOf(sums)));
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
    auto written = [out](const QByteArray &bytes) { return out->write(bytes) == bytes.size(); };
    bool complete = written(xml.toUtf8());
    for (size_t a = 0; complete && a < arrays.size(); ++a) {
        complete = written(arrays[a].header);
        for (size_t b = 0; complete && b < arrays[a].blocks.size(); ++b)
            complete = written(arrays[a].blocks[b]);
    }
    if (!complete || !written("\n  </AppendedData>\n</VTKFile>\n"))
        return fail(file.cancel(QStringLiteral("the image data could not be written.")));
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace Operations
} // namespace Core
