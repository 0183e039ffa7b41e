#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct SaveImageParameters {
    /// The image's name as the list gives it; the file it stands for once the step runs.
    QString fileName;
};

/// "Save Image": a list's step that renders the scene to an image file, in the images folder the
/// run writes to. It changes no volume and records nothing; the window has no command for it.
class SaveImageProcess : public TypedProcessDescriptor<SaveImageParameters> {
public:
    using Params = SaveImageParameters;

    SaveImageProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    /// Refuses a step without a name, a run without a view and a name outside the images folder
    /// (or of a file the run may not replace); otherwise claims the file.
    int prepare(Params &params, const ProcessStep &step, ProcessRun &run) const override;
    /// Renders the image; throws with the renderer's reason when it cannot be written.
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
