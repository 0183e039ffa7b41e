#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct DopingParameters {
    /// The material the doped cells become.
    uint32_t material = 0;
    /// In cells, measured from the surface through the dopable cells.
    float depth = 0.0f;
};

/// "Doping": every dopable cell (the compatible materials of the catalogue's "Simple Doping")
/// within the doping depth of the surface becomes the doped material. With no dopable material a
/// list's step changes nothing and says why; the window refuses it with the same words.
class DopingProcess : public TypedProcessDescriptor<DopingParameters> {
public:
    using Params = DopingParameters;

    DopingProcess();

    uint32_t compatibleProcessId() const override;

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    int prepare(Params &params, const ProcessStep &step, ProcessRun &run) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
