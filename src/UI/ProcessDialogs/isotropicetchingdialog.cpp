#include "UI/ProcessDialogs/isotropicetchingdialog.h"

#include "Core/Processes/isotropicetchingprocess.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

namespace {

const Core::Processes::IsotropicEtchingProcess &process()
{
    return Core::Processes::ProcessRegistry::get<Core::Processes::IsotropicEtchingProcess>();
}

} // namespace

IsotropicEtchingDialog::IsotropicEtchingDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("IsotropicEtchingForm"));
    setWindowTitle(QStringLiteral("Isotropic Film Etching"));
    auto *form = new QFormLayout(this);
    dblDepth = makeLengthSpinBox(this, QStringLiteral("dblDepth"));
    form->addRow(QStringLiteral("Etch Depth"), dblDepth);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, process().compatibleProcessId());
    form->addRow(QStringLiteral("Material"), cbxMaterial);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

double IsotropicEtchingDialog::depth() const { return dblDepth->value(); }

void IsotropicEtchingDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblDepth, height); }

uint32_t IsotropicEtchingDialog::material() const { return MaterialList::selected(cbxMaterial); }

void IsotropicEtchingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::Depth))
        dblDepth->setValue(parameters.value(Parameter::Depth).toDouble());
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
}

QVariantMap IsotropicEtchingDialog::parameters() const { return process().values({material(), depth()}); }

void IsotropicEtchingDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
