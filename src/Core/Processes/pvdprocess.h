#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

/// The surfaces a PVD film grows from. Lists store the number ("DepositOnValue").
enum class PvdSide : int { Top = 1, Bottom = 2, TopAndBottom = 3 };

struct PvdParameters {
    uint32_t material = 0;
    /// In cells; the engine takes it and the ratio as floats.
    double thickness = 0.0;
    /// The sideways thickness over the vertical one.
    double ratio = 0.0;
    /// A list's number may be none of the sides; `validate` refuses it.
    PvdSide side = PvdSide::Top;
};

/// "PVD": physical vapour deposition, a film that grows only from surfaces facing up, facing down
/// or both, with a horizontal-to-vertical ratio. The window's step reports and undoes itself under
/// the isotropic deposition's name.
class PvdProcess : public TypedProcessDescriptor<PvdParameters> {
public:
    using Params = PvdParameters;

    PvdProcess();

    uint32_t compatibleProcessId() const override { return 4; }
    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    QString validate(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    /// Also the "Deposit On" text of "DepositOn".
    void completeDerivedParameters(ProcessStep &step) const override;

    /// "On Top", "On Bottom", "On Top and Bottom"; empty for any other side.
    static QString sideText(int side);
};

} // namespace Processes
} // namespace Core
