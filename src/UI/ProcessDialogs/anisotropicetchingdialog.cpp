#include "UI/ProcessDialogs/anisotropicetchingdialog.h"

#include "Core/Processes/anisotropicetchingprocess.h"
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

const Core::Processes::AnisotropicEtchingProcess &process()
{
    return Core::Processes::ProcessRegistry::get<Core::Processes::AnisotropicEtchingProcess>();
}

} // namespace

AnisotropicEtchingDialog::AnisotropicEtchingDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AnisotropicEtchingBaseDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, process().compatibleProcessId());
    form->addRow(QStringLiteral("Material"), cbxMaterial);
    dblRatio = makeRatioSpinBox(this, QStringLiteral("dblRatio"), 3, 0.0);
    form->addRow(QStringLiteral("Horizontal ratio"), dblRatio);
    dblDepth = makeLengthSpinBox(this, QStringLiteral("dblDepth"));
    form->addRow(QStringLiteral("Etch Depth"), dblDepth);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

uint32_t AnisotropicEtchingDialog::material() const { return MaterialList::selected(cbxMaterial); }

double AnisotropicEtchingDialog::ratio() const { return dblRatio->value(); }

double AnisotropicEtchingDialog::depth() const { return dblDepth->value(); }

void AnisotropicEtchingDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblDepth, height); }

void AnisotropicEtchingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::EtchDepth))
        dblDepth->setValue(parameters.value(Parameter::EtchDepth).toDouble());
    if (parameters.contains(Parameter::HorizontalToVerticalRatio))
        dblRatio->setValue(parameters.value(Parameter::HorizontalToVerticalRatio).toDouble());
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
}

QVariantMap AnisotropicEtchingDialog::parameters() const { return process().values({material(), depth(), ratio()}); }

void AnisotropicEtchingDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
