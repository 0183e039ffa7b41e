#include "stepeditor.h"

#include "Core/BatchRun/processvocabulary.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"
#include "UI/Operations/anisotropicdepositiondialog.h"
#include "UI/Operations/anisotropicetchingdialog.h"
#include "UI/Operations/electrodepositiondialog.h"
#include "UI/Operations/isotropicetchingdialog.h"
#include "UI/Operations/materiallist.h"
#include "UI/Operations/mooreoptionsdialog.h"
#include "UI/Operations/pvdoptionsdialog.h"
#include "UI/ProcessDialogs/processdialogregistry.h"
#include "stepoptionsdialog.h"

#include <QComboBox>
#include <QSpinBox>

namespace Ui {

namespace {

using namespace Core::BatchRun;

void setUInt(ProcessData &step, const char *name, uint32_t value)
{
    step.setParameterValue(QLatin1String(name), QVariant::fromValue<uint>(value));
}

void setDouble(ProcessData &step, const char *name, double value)
{
    step.setParameterValue(QLatin1String(name), value);
}

void setInt(ProcessData &step, const char *name, int value) { step.setParameterValue(QLatin1String(name), value); }

// The values now come from the dialog's fields: the texts derived from them follow, and nothing
// is left over from a number of the file that did not convert.
void finishStep(ProcessData &step, bool adding)
{
    completeDerivedParameters(step);
    step.clearUnconverted();
    if (adding)
        applyDefaultVisibility(step);
}

// Runs a process's own option dialog filled from the step; on OK `store` writes its values.
template <class Dialog, class Store> bool editWith(Dialog &dialog, ProcessData &step, bool adding, Store store)
{
    dialog.setParameters(step.getParameters());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    store(dialog);
    finishStep(step, adding);
    return true;
}

// ---- distance-counting processes and PVD ----

bool editIsotropicEtching(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::IsotropicEtchingDialog dialog(parent);
    return editWith(dialog, step, adding, [&](const Operations::IsotropicEtchingDialog &d) {
        setUInt(step, "Material_Id", d.material());
        setDouble(step, "Depth", d.depth());
    });
}

bool editElectroplating(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::ElectrodepositionDialog dialog(parent);
    return editWith(dialog, step, adding, [&](const Operations::ElectrodepositionDialog &d) {
        setDouble(step, "Film Thickness", d.thickness());
        setUInt(step, "Deposited Material_Id", d.depositedMaterial());
        setUInt(step, "Conducting Material_Id", d.conductingMaterial());
    });
}

bool editAnisotropicDeposition(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::AnisotropicDepositionDialog dialog(parent);
    return editWith(dialog, step, adding, [&](const Operations::AnisotropicDepositionDialog &d) {
        setUInt(step, "Material_Id", d.material());
        setDouble(step, "Film Thickness", d.thickness());
        setDouble(step, "Horizontal to Vertical Ratio", d.ratio());
    });
}

bool editAnisotropicEtching(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::AnisotropicEtchingDialog dialog(parent);
    return editWith(dialog, step, adding, [&](const Operations::AnisotropicEtchingDialog &d) {
        setUInt(step, "Material_Id", d.material());
        setDouble(step, "Etch Depth", d.depth());
        setDouble(step, "Horizontal to Vertical Ratio", d.ratio());
    });
}

bool editPvd(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::PVDOptionsDialog dialog(parent);
    return editWith(dialog, step, adding, [&](const Operations::PVDOptionsDialog &d) {
        setUInt(step, "Material_Id", d.material());
        setDouble(step, "Thickness", d.thickness());
        setDouble(step, "Horizontal to Vertical Ratio", d.ratio());
        setInt(step, "DepositOn", static_cast<int>(d.side()));
    });
}

// ---- layer processes and the substrate ----

void selectMaterial(QComboBox *combo, const QVariant &id)
{
    if (id.isValid())
        Operations::MaterialList::select(combo, id.toUInt());
}

bool editMoore(QWidget *parent, ProcessData &step, bool adding)
{
    const bool deposition = step.getProcessType() == MooreDeposition;
    const char *key = deposition ? "Thickness" : "Depth";
    Operations::MooreOptionsDialog dialog(parent);
    dialog.setValueLabel(deposition ? QStringLiteral("Film Thickness") : QStringLiteral("Etch Depth"));
    selectMaterial(dialog.filmComboBox(), step.getParameters().value(QStringLiteral("Material_Id")));
    if (step.hasParameter(QLatin1String(key)))
        dialog.valueSpinBox()->setValue(static_cast<int>(step.getProcessParameter(QLatin1String(key)).toUInt()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    setUInt(step, "Material_Id", dialog.material());
    setUInt(step, key, dialog.value());
    finishStep(step, adding);
    return true;
}

// Steps without an option dialog of their own are edited in the generic form.
bool editWithForm(QWidget *parent, ProcessData &step, bool adding)
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
bool editWithProcessDialog(IProcessDialog &dialog, const Core::Processes::ProcessDescriptor &process, ProcessData &step,
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

bool editStep(QWidget *parent, ProcessData &step, bool adding, uint32_t columnsX, uint32_t columnsY,
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
    switch (step.getProcessType()) {
    case MooreDeposition:
    case MooreEtching:
        return editMoore(parent, step, adding);
    case IsotropicEtching:
        return editIsotropicEtching(parent, step, adding);
    case Electroplating:
        return editElectroplating(parent, step, adding);
    case Pvd:
        return editPvd(parent, step, adding);
    case AnisotropicDeposition:
        return editAnisotropicDeposition(parent, step, adding);
    case AnisotropicEtching:
        return editAnisotropicEtching(parent, step, adding);
    default:
        return editWithForm(parent, step, adding);
    }
}

} // namespace Ui
