#pragma once

#include "Core/Formats/layoutmask.h"
#include "Core/Formats/maskimage.h"
#include "Core/Processes/typedprocessdescriptor.h"

#include <optional>

namespace Core {
namespace Processes {

/// A mask of a photolithography step and the file it was read from (shown in the list).
struct StepMask {
    Operations::MaskBits bits;
    QString file;
};

struct PhotolithographyParameters {
    /// The resist film developed.
    uint32_t material = 0;
    StepMask top;
    StepMask bottom;
    /// The top mask is read from a layout the step names (see LayoutMaskStep) when the step runs.
    bool topFromLayout = false;
};

/// "Photolithography": develops a resist film through a top and a bottom mask. The window shows the
/// masks on the volume while the dialog is open and takes them off once the step has run; a list's
/// top mask may name a layout, read again at every run.
class PhotolithographyProcess : public TypedProcessDescriptor<PhotolithographyParameters> {
public:
    using Params = PhotolithographyParameters;

    PhotolithographyProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    int prepare(Params &params, const ProcessStep &step, ProcessRun &run) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    void afterRun(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    bool preview(Model::Automaton::TotalVolume &volume, const QVariantMap &values) const override;
    QString canceledText() const override { return QStringLiteral("Operation Canceled!"); }
    /// Values that name a layout replace every parameter of the layout the step named before.
    void applyValues(ProcessStep &step, const QVariantMap &values) const override;

    /// The four parameters of a mask under a side's names ("Top Mask", "Top Mask Width", ...).
    static QVariantMap maskValues(const QString &side, const StepMask &mask);
    /// The parameters that name the layout of a top mask applied from `file` with `placement`, so
    /// that each run of the list reads it again (see LayoutMaskStep). Only a layout inside the
    /// list's folder (or below it) is named; otherwise, and for an image, every such parameter is
    /// given as an invalid value: the step no longer names a layout.
    static QVariantMap layoutValues(const QString &listFolder, const QString &file,
                                    const std::optional<Operations::LayoutPlacement> &placement);
};

} // namespace Processes
} // namespace Core
