#include "UI/ProcessDialogs/pvdoptionsdialog.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/pvdprocess.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QRadioButton>

namespace Ui {
namespace Operations {

namespace {

const Core::Processes::PvdProcess &process()
{
    return Core::Processes::ProcessRegistry::get<Core::Processes::PvdProcess>();
}

} // namespace

PVDOptionsDialog::PVDOptionsDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PVDOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, process().compatibleProcessId());
    form->addRow(QStringLiteral("Material"), cbxMaterial);
    dblThickness = makeLengthSpinBox(this, QStringLiteral("dblThickness"));
    form->addRow(QStringLiteral("Film thickness"), dblThickness);
    dblRatio = makeRatioSpinBox(this, QStringLiteral("dblRatio"), 2, 0.01);
    form->addRow(QStringLiteral("Horizontal ratio"), dblRatio);
    radTop = new QRadioButton(QStringLiteral("Deposit on top"), this);
    radTop->setObjectName(QStringLiteral("radTop"));
    radTop->setChecked(true);
    radBoth = new QRadioButton(QStringLiteral("Deposit on both sides"), this);
    radBoth->setObjectName(QStringLiteral("radBoth"));
    radBottom = new QRadioButton(QStringLiteral("Deposit on bottom"), this);
    radBottom->setObjectName(QStringLiteral("radBottom"));
    form->addRow(radTop);
    form->addRow(radBoth);
    form->addRow(radBottom);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

uint32_t PVDOptionsDialog::material() const { return MaterialList::selected(cbxMaterial); }

double PVDOptionsDialog::thickness() const { return dblThickness->value(); }

void PVDOptionsDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblThickness, height); }

double PVDOptionsDialog::ratio() const { return dblRatio->value(); }

uint32_t PVDOptionsDialog::side() const
{
    if (radBottom->isChecked())
        return 2;
    if (radBoth->isChecked())
        return 3;
    return 1;
}

void PVDOptionsDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::Thickness))
        dblThickness->setValue(parameters.value(Parameter::Thickness).toDouble());
    if (parameters.contains(Parameter::HorizontalToVerticalRatio))
        dblRatio->setValue(parameters.value(Parameter::HorizontalToVerticalRatio).toDouble());
    if (parameters.contains(Parameter::DepositOnValue)) {
        const int side = parameters.value(Parameter::DepositOnValue).toInt();
        (side == 2 ? radBottom : side == 3 ? radBoth : radTop)->setChecked(true);
    }
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
}

QVariantMap PVDOptionsDialog::parameters() const
{
    return process().values({material(), thickness(), ratio(), static_cast<int>(side())});
}

void PVDOptionsDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
