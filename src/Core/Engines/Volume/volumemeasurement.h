#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

/// What a measurement of a cell volume takes (virtual metrology of the simulated wafer).
enum class MeasurementKind { Thickness, Height, Depth, Width, SidewallAngle, Volume };

/// The list's name of a kind ("thickness", "sidewall-angle", ...).
QString measurementKindName(MeasurementKind kind);
/// Back from a name (exactly as listed); none for any other text.
std::optional<MeasurementKind> measurementKindNamed(const QString &name);
QStringList measurementKindNames();

/// The horizontal axis along which a width or a sidewall is measured.
enum class MeasurementAxis { X, Y };

/// One measurement, in cell coordinates. Which coordinates a kind reads is said at `VolumeMeasurement`.
struct MeasurementRequest {
    MeasurementKind kind = MeasurementKind::Thickness;
    /// The material identifier counted; 0 counts the empty cells.
    uint32_t material = 0;
    long long x = 0;
    long long y = 0;
    long long z = 0;
    MeasurementAxis axis = MeasurementAxis::X;
    long long z1 = 0;
    long long z2 = 0;
};

/// A measured value: in cells (cell counts; degrees for an angle) and in the volume's length unit
/// (counts times the cell sizes along the measured axes; cubed for a volume; degrees for an angle).
struct MeasuredValue {
    double cells = 0.0;
    double length = 0.0;
};

/// A named measurement taken after a step of a run.
struct Measurement {
    QString name;
    MeasurementKind kind = MeasurementKind::Thickness;
    MeasuredValue value;
    int step = 0; ///< 1-based position of the step in its list
};

/// Measures a cell volume without changing it:
/// - thickness: the cells of the material in the column (x, y);
/// - height: one more than the highest occupied z of the column (x, y), 0 for an empty column;
/// - depth: the highest column height of the volume minus the height at (x, y);
/// - width: along the axis, the length of the run of material cells through (x, y, z), 0 when that
///   cell is of another material;
/// - sidewall angle: along the axis through (x, y), the run of material cells containing the
///   column at heights z1 and z2; its end nearest to x at z1 (the lower end on a tie) is the wall,
///   and the angle is atan(|z2 - z1| / |edge(z2) - edge(z1)|) in degrees, 90 for a vertical wall;
/// - volume: the cells of the material in the whole volume.
/// A coordinate outside the volume, equal heights of an angle or a column without a run of the
/// material at z1 or z2 throw std::invalid_argument with a message for the user.
class VolumeMeasurement {
public:
    explicit VolumeMeasurement(Model::Automaton::TotalVolume &volume);

    MeasuredValue measure(const MeasurementRequest &request) const;

private:
    /// The heights of all columns, or of the one column (x, y).
    uint32_t columnHeight(long long x, long long y) const;
    uint32_t highestColumn() const;
    uint64_t countInColumn(long long x, long long y, uint32_t material) const;
    uint64_t countInVolume(uint32_t material) const;
    /// The first and last cell (along the axis) of the run of `material` through (x, y, z); false
    /// when that cell is of another material.
    bool run(const MeasurementRequest &request, long long z, long long &first, long long &last) const;
    void checkInside(const MeasurementRequest &request) const;

    Model::Automaton::TotalVolume &m_volume;
};

} // namespace Operations
} // namespace Core
