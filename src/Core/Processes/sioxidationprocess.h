#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct SiOxidationParameters {
    /// Grown for a time at a temperature and pressure (Deal-Grove) rather than to a thickness.
    bool byTime = false;
    /// Cell units per micron.
    double conversion = 100.0;
    /// Microns.
    double thickness = 0.0;
    /// Hours, kelvin and atmospheres.
    double time = 0.0;
    double temperature = 1273.0;
    double pressure = 1.0;
    /// A value of the step's mode that does not convert: the step runs nothing and says so.
    QString unreadable;
};

/// "Si Oxidation": thermal oxide grown on the oxidizable materials (the catalogue's "Simple Si
/// Oxidation") to a thickness, or for a time at a temperature and pressure. The list shows only
/// the fields of the chosen mode and keeps the other's. The window tells the thickness grown in
/// its console; a list's step that grows none is not recorded and says why.
class SiOxidationProcess : public TypedProcessDescriptor<SiOxidationParameters> {
public:
    using Params = SiOxidationParameters;

    SiOxidationProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    int prepare(Params &params, const ProcessStep &step, ProcessRun &run) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    /// A changed mode shows the fields of the new one, as a new step does.
    void applyValues(ProcessStep &step, const QVariantMap &values) const override;
};

} // namespace Processes
} // namespace Core
