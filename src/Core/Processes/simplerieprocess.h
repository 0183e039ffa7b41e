#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct SimpleRieParameters {
    uint32_t material = 0;
    /// In cells.
    uint32_t depth = 0;
    /// Bit 0 etches from the top, bit 1 from below.
    int direction = 1;
};

/// "Simple RIE": strictly vertical etching of one material from the top, from below or both. The
/// list shows the directions as a text ("Etch Direction") derived from their bits.
class SimpleRieProcess : public TypedProcessDescriptor<SimpleRieParameters> {
public:
    using Params = SimpleRieParameters;

    SimpleRieProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    QString validate(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    void completeDerivedParameters(ProcessStep &step) const override;

    /// "Top", "Bottom", "Bottom and Top", or empty for no direction.
    static QString directionText(int direction);
};

} // namespace Processes
} // namespace Core
