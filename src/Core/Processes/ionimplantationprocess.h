#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct IonImplantationParameters {
    /// The material the implanted cells become.
    uint32_t material = 0;
    /// In cells below the top of each column.
    float depth = 0.0f;
    float spread = 0.0f;
    float annealingDistance = 0.0f;
};

/// "Ion Implantation": implants the doped material in a band at a depth below the top of every
/// column, then anneals it through the dopable cells. With no dopable material a list's step
/// changes nothing and says why; the window refuses it with the same words.
class IonImplantationProcess : public TypedProcessDescriptor<IonImplantationParameters> {
public:
    using Params = IonImplantationParameters;

    IonImplantationProcess();

    uint32_t compatibleProcessId() const override;
    QString canceledText() const override { return QStringLiteral("Operation Canceled!"); }

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    int prepare(Params &params, const ProcessStep &step, ProcessRun &run) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
