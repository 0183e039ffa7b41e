#include "UI/BatchRun/stepeditor.h"

#include "Core/BatchRun/processvocabulary.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"
#include "Model/Volume/totalvolume.h"
#include "UI/BatchRun/stepoptionsdialog.h"
#include "UI/ProcessDialogs/processdialogregistry.h"

namespace Ui {

using Core::Processes::ProcessStep;

namespace {

using namespace Core::BatchRun;

// The values now come from the dialog's fields: the texts derived from them follow, and nothing
// is left over from a number of the file that did not convert.
void finishStep(ProcessStep &step, bool adding)
{
    completeDerivedParameters(step);
    step.clearUnconverted();
    if (adding)
        applyDefaultVisibility(step);
}

// Steps without an option dialog of their own are edited in the generic form.
bool editWithForm(QWidget *parent, ProcessStep &step, bool adding)
{
    StepOptionsDialog dialog(step, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const auto values = dialog.values();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        step.setParameterValue(it.key(), it.value());
    finishStep(step, adding);
    return true;
}

// A process's own dialog, through its descriptor: filled from the step, its values put back on OK.
bool editWithProcessDialog(IProcessDialog &dialog, const Core::Processes::ProcessDescriptor &process, ProcessStep &step,
                           bool adding, const ProcessDialogContext &context)
{
    dialog.setContext(context);
    dialog.setParameters(step.getParameters());
    if (dialog.dialog().exec() != QDialog::Accepted)
        return false;
    process.applyValues(step, dialog.parameters());
    finishStep(step, adding);
    return true;
}

} // namespace

bool editStep(QWidget *parent, ProcessStep &step, bool adding, uint32_t columnsX, uint32_t columnsY,
              const QString &imagesFolder, const QString &listFolder)
{
    if (const auto *process = Core::Processes::ProcessRegistry::descriptor(step.getProcessType())) {
        if (const auto dialog = ProcessDialogRegistry::make(*process, parent)) {
            ProcessDialogContext context;
            context.columnsX = columnsX;
            context.columnsY = columnsY;
            context.listStep = true;
            context.listFolder = listFolder;
            context.imagesFolder = imagesFolder;
            return editWithProcessDialog(*dialog, *process, step, adding, context);
        }
    }
    return editWithForm(parent, step, adding);
}

std::pair<uint32_t, uint32_t> listColumns(const Model::Automaton::TotalVolume *target, const QList<ProcessStep> &steps)
{
    uint32_t columnsX = Core::Operations::anyColumns;
    uint32_t columnsY = Core::Operations::anyColumns;
    if (target)
        return {target->sizeX(), target->sizeY()};
    for (const ProcessStep &other : steps) {
        if (other.getProcessType() != int(Core::Processes::ProcessType::CreateSubstrate))
            continue;
        columnsX = other.getParameters().value(QStringLiteral("Volume Size X"), columnsX).toUInt();
        columnsY = other.getParameters().value(QStringLiteral("Volume Size Y"), columnsY).toUInt();
        break;
    }
    return {columnsX, columnsY};
}

} // namespace Ui
