#include "Core/Engines/Volume/volumemeasurement.h"

#include "Model/Volume/totalvolume.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Core {
namespace Operations {

namespace {

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

struct KindName {
    MeasurementKind kind;
    const char *name;
};

constexpr KindName kindNames[] = {{MeasurementKind::Thickness, "thickness"},
                                  {MeasurementKind::Height, "height"},
                                  {MeasurementKind::Depth, "depth"},
                                  {MeasurementKind::Width, "width"},
                                  {MeasurementKind::SidewallAngle, "sidewall-angle"},
                                  {MeasurementKind::Volume, "volume"}};

/// The state of cell `i` as the cell lock hands the cells out.
uint32_t stateOf(const CellLock &lock, size_t i) { return lock.cells().state(i); }

[[noreturn]] void refuse(const QString &message) { throw std::invalid_argument(message.toStdString()); }

constexpr double degreesPerRadian = 180.0 / 3.14159265358979323846;

} // namespace

QString measurementKindName(MeasurementKind kind)
{
    for (const KindName &entry : kindNames) {
        if (entry.kind == kind)
            return QLatin1String(entry.name);
    }
    return QString();
}

std::optional<MeasurementKind> measurementKindNamed(const QString &name)
{
    for (const KindName &entry : kindNames) {
        if (name == QLatin1String(entry.name))
            return entry.kind;
    }
    return std::nullopt;
}

QStringList measurementKindNames()
{
    QStringList names;
    for (const KindName &entry : kindNames)
        names << QLatin1String(entry.name);
    return names;
}

VolumeMeasurement::VolumeMeasurement(TotalVolume &volume)
    : m_volume(volume)
{
}

void VolumeMeasurement::checkInside(const MeasurementRequest &request) const
{
    const auto outside = [this](const QString &what) {
        refuse(QStringLiteral("%1 lies outside the cell volume of %2 x %3 x %4 cells")
                   .arg(what)
                   .arg(m_volume.sizeX())
                   .arg(m_volume.sizeY())
                   .arg(m_volume.sizeZ()));
    };
    if (request.kind == MeasurementKind::Volume)
        return;
    if (!m_volume.contains(request.x, request.y, 0))
        outside(QStringLiteral("(X, Y) = (%1, %2)").arg(request.x).arg(request.y));
    if (request.kind == MeasurementKind::Width && !m_volume.contains(request.x, request.y, request.z))
        outside(QStringLiteral("Z = %1").arg(request.z));
    if (request.kind == MeasurementKind::SidewallAngle) {
        for (const long long z : {request.z1, request.z2}) {
            if (!m_volume.contains(request.x, request.y, z))
                outside(QStringLiteral("%1 = %2").arg(QLatin1String(z == request.z1 ? "Z1" : "Z2")).arg(z));
        }
        if (request.z1 == request.z2)
            refuse(QStringLiteral("a sidewall angle needs two different heights, but Z1 = Z2 = %1").arg(request.z1));
    }
}

uint32_t VolumeMeasurement::columnHeight(long long x, long long y) const
{
    CellLock lock(m_volume);
    const size_t bottom = m_volume.index(uint32_t(x), uint32_t(y), 0);
    for (uint32_t z = m_volume.sizeZ(); z > 0; --z) {
        if (stateOf(lock, bottom + z - 1) != 0)
            return z;
    }
    return 0;
}

uint32_t VolumeMeasurement::highestColumn() const
{
    CellLock lock(m_volume);
    const uint32_t nz = m_volume.sizeZ();
    uint32_t highest = 0;
    for (size_t bottom = 0; bottom < m_volume.cellCount() && highest < nz; bottom += nz) {
        for (uint32_t z = nz; z > highest; --z) {
            if (stateOf(lock, bottom + z - 1) != 0) {
                highest = z;
                break;
            }
        }
    }
    return highest;
}

uint64_t VolumeMeasurement::countInColumn(long long x, long long y, uint32_t material) const
{
    CellLock lock(m_volume);
    const size_t bottom = m_volume.index(uint32_t(x), uint32_t(y), 0);
    uint64_t count = 0;
    for (uint32_t z = 0; z < m_volume.sizeZ(); ++z)
        count += stateOf(lock, bottom + z) == material ? 1 : 0;
    return count;
}

uint64_t VolumeMeasurement::countInVolume(uint32_t material) const
{
    CellLock lock(m_volume);
    uint64_t count = 0;
    for (size_t i = 0; i < m_volume.cellCount(); ++i)
        count += stateOf(lock, i) == material ? 1 : 0;
    return count;
}

bool VolumeMeasurement::run(const MeasurementRequest &request, long long z, long long &first, long long &last) const
{
    const bool alongX = request.axis == MeasurementAxis::X;
    const long long start = alongX ? request.x : request.y;
    const long long size = alongX ? m_volume.sizeX() : m_volume.sizeY();
    CellLock lock(m_volume);
    const auto matches = [&](long long at) {
        const size_t i = alongX ? m_volume.index(uint32_t(at), uint32_t(request.y), uint32_t(z))
                                : m_volume.index(uint32_t(request.x), uint32_t(at), uint32_t(z));
        return stateOf(lock, i) == request.material;
    };
    if (!matches(start))
        return false;
    first = start;
    while (first > 0 && matches(first - 1))
        --first;
    last = start;
    while (last + 1 < size && matches(last + 1))
        ++last;
    return true;
}

MeasuredValue VolumeMeasurement::measure(const MeasurementRequest &request) const
{
    checkInside(request);
    const double cx = m_volume.cellSizeX();
    const double cy = m_volume.cellSizeY();
    const double cz = m_volume.cellSizeZ();
    const double along = request.axis == MeasurementAxis::X ? cx : cy;
    MeasuredValue value;
    switch (request.kind) {
    case MeasurementKind::Thickness:
        value.cells = double(countInColumn(request.x, request.y, request.material));
        value.length = value.cells * cz;
        break;
    case MeasurementKind::Height:
        value.cells = columnHeight(request.x, request.y);
        value.length = value.cells * cz;
        break;
    case MeasurementKind::Depth:
        value.cells = double(highestColumn()) - double(columnHeight(request.x, request.y));
        value.length = value.cells * cz;
        break;
    case MeasurementKind::Width: {
        long long first = 0;
        long long last = -1;
        run(request, request.z, first, last);
        value.cells = double(last - first + 1);
        value.length = value.cells * along;
        break;
    }
    case MeasurementKind::SidewallAngle: {
        long long first1 = 0, last1 = 0, first2 = 0, last2 = 0;
        for (const long long z : {request.z1, request.z2}) {
            if (!run(request, z, z == request.z1 ? first1 : first2, z == request.z1 ? last1 : last2))
                refuse(QStringLiteral("the column (%1, %2) holds no cell of the material at height %3")
                           .arg(request.x)
                           .arg(request.y)
                           .arg(z));
        }
        const long long at = request.axis == MeasurementAxis::X ? request.x : request.y;
        // The wall is chosen at Z1 and followed to Z2, so a tie at one height cannot switch sides.
        const bool lowerWall = at - first1 <= last1 - at;
        const double shift = double(std::llabs(lowerWall ? first2 - first1 : last2 - last1));
        const double rise = double(std::llabs(request.z2 - request.z1));
        value.cells = std::atan2(rise, shift) * degreesPerRadian;
        value.length = std::atan2(rise * cz, shift * along) * degreesPerRadian;
        break;
    }
    case MeasurementKind::Volume:
        value.cells = double(countInVolume(request.material));
        value.length = value.cells * cx * cy * cz;
        break;
    }
    return value;
}

} // namespace Operations
} // namespace Core
