#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct MooreParameters {
    uint32_t material = 0;
    /// Whole cell layers.
    uint32_t layers = 0;
};

/// "Moore deposition" and "Moore etching": a film of whole cells with square corners grown around
/// everything occupied, or one material etched layer by layer from wherever it touches empty space.
/// The two differ only in their engine, list type, count's name ("Thickness" or "Depth") and
/// command; both report and undo themselves under one name. See MooreDepositionProcess and
/// MooreEtchingProcess.
class MooreProcess : public TypedProcessDescriptor<MooreParameters> {
public:
    using Params = MooreParameters;

    enum class Kind { Deposition, Etching };

    Kind kind() const { return m_kind; }
    /// The name of the layer count: "Thickness" or "Depth".
    const QString &layersName() const { return m_layersName; }

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;

protected:
    explicit MooreProcess(Kind kind);

private:
    Kind m_kind;
    QString m_layersName;
};

} // namespace Processes
} // namespace Core
