#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct IsotropicDepositionParameters {
    uint32_t material = 0;
    /// In cells; the engine takes it as a float.
    double thickness = 0.0;
};

/// "Isotropic Deposition": a conformal film of equal thickness everywhere on the free surface.
class IsotropicDepositionProcess : public TypedProcessDescriptor<IsotropicDepositionParameters> {
public:
    using Params = IsotropicDepositionParameters;

    IsotropicDepositionProcess();

    /// The name of the thickness: "Film Thickness" ("Thickness" for CVD).
    const QString &thicknessName() const { return m_thicknessName; }
    uint32_t compatibleProcessId() const override { return m_compatibleProcess; }

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;

protected:
    /// The same process under another list type and name (CVD).
    IsotropicDepositionProcess(ProcessType type, const QString &name, const QString &thicknessName,
                               uint32_t compatibleProcess, const ProcessCommand &command);

private:
    QString m_thicknessName;
    uint32_t m_compatibleProcess;
};

} // namespace Processes
} // namespace Core
