#include "Core/Processes/saveimageprocess.h"

#include "Core/BatchRun/imagefolder.h"
#include "Core/Processes/parameternames.h"

#include <stdexcept>

namespace Core {
namespace Processes {

SaveImageProcess::SaveImageProcess()
    : TypedProcessDescriptor(ProcessType::SaveImage, QStringLiteral("Save Image"), QStringLiteral("Save Image"),
                             {{Parameter::Filename, ParameterKind::String, Shown::Always}}, {})
{
}

SaveImageParameters SaveImageProcess::read(ParameterReader &reader) const
{
    // A missing name is refused in `prepare`, without naming it, as it always was.
    return {reader.step().getParameters().value(Parameter::Filename).toString()};
}

QVariantMap SaveImageProcess::values(const Params &params) const { return {{Parameter::Filename, params.fileName}}; }

int SaveImageProcess::prepare(Params &params, const ProcessStep &step, ProcessRun &run) const
{
    if (!step.hasParameter(Parameter::Filename))
        return MissingParameter;
    if (!run.saveImage) {
        run.detail = QStringLiteral("No view is available to render the image.");
        return InvalidValue;
    }
    // The list names a file in the images folder; anything else is refused before drawing.
    if (run.images) {
        QString error;
        params.fileName = run.images->claim(params.fileName, &error);
        if (params.fileName.isEmpty()) {
            run.detail = error;
            return InvalidValue;
        }
    }
    return Success;
}

void SaveImageProcess::runEngine(Model::Automaton::TotalVolume &, const Params &params, ProcessRun &run) const
{
    QString error;
    if (!run.saveImage(params.fileName, &error))
        throw std::runtime_error(error.toLocal8Bit().toStdString());
}

} // namespace Processes
} // namespace Core
