#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct SpinCoatingParameters {
    /// In cells along z: every empty cell below it is filled.
    uint32_t height = 0;
    uint32_t material = 0;
};

/// "Spin Coating" ("Pour Material" in the list editor's choice): fills every empty cell below a
/// height with one material; occupied cells stay as they are.
class SpinCoatingProcess : public TypedProcessDescriptor<SpinCoatingParameters> {
public:
    using Params = SpinCoatingParameters;

    SpinCoatingProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
