#include "stepeditor.h"

#include "Core/BatchRun/imagefolder.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/Operations/dopingoptionsdialog.h"
#include "UI/Operations/ionimplantationoptionsdialog.h"
#include "UI/Operations/materiallist.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "UI/Operations/simpleoxidationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "UI/ProcessDialogs/processdialogregistry.h"
#include "Util/vector3d.h"
#include "stepoptionsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
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

void setFloat(ProcessData &step, const char *name, double value)
{
    step.setParameterValue(QLatin1String(name), static_cast<float>(value));
}

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

// ---- doping and oxidation ----

bool editDoping(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::DopingOptionsDialog dialog(parent);
    return editWith(dialog, step, adding, [&](const Operations::DopingOptionsDialog &d) {
        setFloat(step, "Doping Depth", d.depth());
        setUInt(step, "Doped Material_Id", d.material());
    });
}

bool editIonImplantation(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::IonImplantationOptionsDialog dialog(parent);
    return editWith(dialog, step, adding, [&](const Operations::IonImplantationOptionsDialog &d) {
        setFloat(step, "Annealing Distance", d.annealingDistance());
        setFloat(step, "Implantation Depth", d.depth());
        setFloat(step, "Vertical Spread", d.spread());
        setUInt(step, "Doped Material_Id", d.material());
    });
}

// Both modes' values are kept, so switching the mode back later finds them again; the flags say
// which one runs and which fields the list shows.
bool editSiOxidation(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::SimpleOxidationOptionsDialog dialog(parent);
    const bool wasByTime = step.getParameters().value(QStringLiteral("OxidationTimeSet")).toBool();
    if (!editWith(dialog, step, adding, [&](const Operations::SimpleOxidationOptionsDialog &d) {
            setDouble(step, "Micron Conversion", d.conversion());
            setDouble(step, "Oxidation Thickness", d.thickness());
            setDouble(step, "Oxidation Time", d.time());
            setDouble(step, "Oxidation Temperature", d.temperature());
            setDouble(step, "Oxidation Pressure", d.pressure());
            step.setParameterValue(QStringLiteral("OxidationTimeSet"), d.byTime());
            step.setParameterValue(QStringLiteral("OxidationThicknessSet"), !d.byTime());
        }))
        return false;
    if (!adding && wasByTime != dialog.byTime())
        applyDefaultVisibility(step);
    return true;
}

// ---- images ----

// The file chooser of the window's "Save Image", for the image that the step saves. In the images
// folder, the step keeps the file's name there.
bool editSaveImage(QWidget *parent, ProcessData &step, bool adding, const QString &imagesFolder)
{
    QFileDialog dialog(parent, QStringLiteral("Save Screen Image"), imagesFolder,
                       QStringLiteral("Images (*.png *.xpm *.jpg)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    // The image is written when the list runs, maybe many times; choosing it replaces nothing yet.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString current = step.getParameters().value(QStringLiteral("Filename")).toString();
    if (!current.isEmpty())
        dialog.selectFile(imagesFolder.isEmpty() ? current : QDir(imagesFolder).absoluteFilePath(current));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    QString name = dialog.selectedFiles().first();
    if (!imagesFolder.isEmpty()) {
        const QFileInfo chosen(name);
        const QString folder = QFileInfo(chosen.absolutePath()).canonicalFilePath();
        name = QDir(QFileInfo(imagesFolder).canonicalFilePath())
                   .relativeFilePath(QDir(folder).filePath(chosen.fileName()));
        QString reason;
        if (folder.isEmpty() || Core::BatchRun::ImageFolder(imagesFolder).resolve(name, &reason).isEmpty()) {
            QMessageBox::warning(parent, QStringLiteral("Save Image"),
                                 QStringLiteral("A list saves its images in the images folder \"%1\": choose a file "
                                                "there.")
                                     .arg(imagesFolder));
            return false;
        }
    }
    step.setParameterValue(QStringLiteral("Filename"), name);
    finishStep(step, adding);
    return true;
}

// ---- layer processes and the substrate ----

bool editPlanarization(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::PlanarizationOptionsDialog dialog(parent);
    return editWith(dialog, step, adding, [&](const Operations::PlanarizationOptionsDialog &d) {
        setUInt(step, "Maximum Height", d.maximumHeight());
        setUInt(step, "Minimum Height", d.minimumHeight());
    });
}

void selectMaterial(QComboBox *combo, const QVariant &id)
{
    if (id.isValid())
        Operations::MaterialList::select(combo, id.toUInt());
}

bool editSpinCoating(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::SpinCoatingOptionsDialog dialog(parent);
    selectMaterial(dialog.materialComboBox(), step.getParameters().value(QStringLiteral("Material_Id")));
    if (step.hasParameter(QStringLiteral("Maximum Height")))
        dialog.heightSpinBox()->setValue(
            static_cast<int>(step.getProcessParameter(QStringLiteral("Maximum Height")).toUInt()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    setUInt(step, "Material_Id", dialog.material());
    setUInt(step, "Maximum Height", dialog.depositionHeight());
    finishStep(step, adding);
    return true;
}

bool editCreateSubstrate(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::CreateSubstrateDialog dialog(parent);
    dialog.setMaterials(Model::Materials::MaterialFactory::instance()->getMaterials());
    const auto parameters = step.getParameters();
    auto fill = [&](const char *widget, const char *key) {
        if (parameters.contains(QLatin1String(key)))
            if (auto *box = dialog.findChild<QSpinBox *>(QLatin1String(widget)))
                box->setValue(static_cast<int>(parameters.value(QLatin1String(key)).toUInt()));
    };
    // Volume sizes first: they reset the substrate limits.
    fill("sbxTotalWidth", "Volume Size X");
    fill("sbxTotalLength", "Volume Size Y");
    fill("sbxTotalHeight", "Volume Size Z");
    fill("sbxSubsWidth", "Substrate Size X");
    fill("sbxSubsLength", "Substrate Size Y");
    fill("sbxSubsHeight", "Substrate Size Z");
    fill("sbxSubsX", "Substrate Delta X");
    fill("sbxSubsY", "Substrate Delta Y");
    fill("sbxSubsZ", "Substrate Delta Z");
    fill("sbxSubsCenterX", "Substrate Center X");
    fill("sbxSubsCenterY", "Substrate Center Y");
    fill("sbxSubsCenterZ", "Substrate Center Z");
    fill("sbxSubsRadius", "Substrate Radius");
    if (auto *sphere = dialog.findChild<QCheckBox *>(QStringLiteral("cbxSubsSphere")))
        sphere->setChecked(parameters.value(QStringLiteral("SphericalSubstrate")).toBool());
    if (auto *film = dialog.findChild<QComboBox *>(QStringLiteral("cbxFilm")))
        selectMaterial(film, parameters.value(QStringLiteral("Material_Id")));
    const auto corner = Util::Vector3D::fromVariant(parameters.value(QStringLiteral("Lower Left Front Corner")));
    const char *axes[] = {"dblVolumeX", "dblVolumeY", "dblVolumeZ"};
    const double values[] = {corner.x, corner.y, corner.z};
    for (int i = 0; i < 3; ++i)
        if (auto *box = dialog.findChild<QDoubleSpinBox *>(QLatin1String(axes[i])))
            box->setValue(values[i]);

    if (dialog.exec() != QDialog::Accepted)
        return false;
    setUInt(step, "Material_Id", dialog.material());
    step.setParameterValue(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(dialog.position()));
    setUInt(step, "Volume Size X", dialog.totalWidth());
    setUInt(step, "Volume Size Y", dialog.totalLength());
    setUInt(step, "Volume Size Z", dialog.totalHeight());
    step.setParameterValue(QStringLiteral("SphericalSubstrate"), dialog.isSpherical());
    setUInt(step, "Substrate Size X", dialog.substrateWidth());
    setUInt(step, "Substrate Size Y", dialog.substrateLength());
    setUInt(step, "Substrate Size Z", dialog.substrateHeight());
    setUInt(step, "Substrate Delta X", dialog.offsetX());
    setUInt(step, "Substrate Delta Y", dialog.offsetY());
    setUInt(step, "Substrate Delta Z", dialog.offsetZ());
    setUInt(step, "Substrate Center X", dialog.centreX());
    setUInt(step, "Substrate Center Y", dialog.centreY());
    setUInt(step, "Substrate Center Z", dialog.centreZ());
    setUInt(step, "Substrate Radius", dialog.radius());
    finishStep(step, adding);
    return true;
}

// The step keeps the dialog's values in the dialog's units; the runner converts them as the
// interactive operation does. A list carries no seed (cellforge-batch --seed gives one).
bool editRandomWalkDoping(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::RandomWalkDopingDialog dialog(parent);
    dialog.setSeedShown(false);
    return editWith(dialog, step, adding, [&](const Operations::RandomWalkDopingDialog &d) {
        const auto in = d.input();
        setDouble(step, "Doping Time", in.dopingTimeMinutes);
        setUInt(step, "Material_Id", in.material);
        setDouble(step, "Diffusion Coefficient", in.diffusionCoefficientCm2PerS);
        setDouble(step, "Cell Size", in.cellSizeMicrometres);
        setDouble(step, "Time Step Duration", in.timeStepSeconds);
        setDouble(step, "Surface Concentration", in.surfaceConcentrationPerCm3);
        setDouble(step, "Doping Threshold", in.thresholdPercent);
    });
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
            return editWithProcessDialog(*dialog, *process, step, adding, context);
        }
    }
    switch (step.getProcessType()) {
    case Planarization:
        return editPlanarization(parent, step, adding);
    case SpinCoating:
        return editSpinCoating(parent, step, adding);
    case SaveImage:
        return editSaveImage(parent, step, adding, imagesFolder);
    case CreateSubstrate:
        return editCreateSubstrate(parent, step, adding);
    case Doping:
        return editDoping(parent, step, adding);
    case IonImplantation:
        return editIonImplantation(parent, step, adding);
    case SiOxidation:
        return editSiOxidation(parent, step, adding);
    case RandomWalkDoping:
        return editRandomWalkDoping(parent, step, adding);
    default:
        return editWithForm(parent, step, adding);
    }
}

} // namespace Ui
