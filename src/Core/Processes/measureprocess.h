#pragma once

#include "Core/Engines/Volume/volumemeasurement.h"
#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct MeasureParameters {
    QString name;
    QString kind;
    /// The material's name; empty for the empty cells.
    QString material;
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t z = 0;
    QString axis;
    uint32_t z1 = 0;
    uint32_t z2 = 0;
};

/// "Measure": a list's step that measures the volume (a thickness, a height, a depth, a width, a
/// sidewall angle or the volume of a material; Operations::VolumeMeasurement) and hands the value
/// to the run's results. It changes no cell and records nothing: no last operation, no lattice
/// mark. A step reads only the parameters its kind uses: "Material" for all but height and depth,
/// "X" and "Y" for all but volume, "Z" and "Axis" for a width, "Axis", "Z1" and "Z2" for an angle.
class MeasureProcess : public TypedProcessDescriptor<MeasureParameters> {
public:
    using Params = MeasureParameters;

    MeasureProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    /// An empty name, an unknown kind, axis or material.
    QString validate(const Params &params) const override;
    /// Measures (throws std::invalid_argument for a place outside the volume) and keeps the value in `run`.
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    uint32_t recordedTypeCode(const Params &) const override { return 0; }
    bool marksLatticeOutOfDate(const Params &, const ProcessRun &) const override { return false; }

    /// What is wrong with a step's parameters before it runs (a missing or unknown one), as the
    /// step's failure would say it; empty when nothing is.
    static QString problem(const ProcessStep &step);
    /// The request of valid parameters (the window's measurements take them too).
    static Operations::MeasurementRequest request(const Params &params);
};

} // namespace Processes
} // namespace Core
