#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct PlanarizationParameters {
    /// In cells along z: cells at or above it are removed.
    uint32_t maximumHeight = 0;
    /// In cells along z: cells below it are removed.
    uint32_t minimumHeight = 0;
};

/// "Planarization": polishes the volume down to a slab, emptying every cell at or above the
/// maximum height and below the minimum height.
class PlanarizationProcess : public TypedProcessDescriptor<PlanarizationParameters> {
public:
    using Params = PlanarizationParameters;

    PlanarizationProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    QString canceledText() const override { return QStringLiteral("Operation canceled!"); }
};

} // namespace Processes
} // namespace Core
