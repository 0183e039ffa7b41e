#include "UI/ProcessDialogs/pvddialog.h"

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

PvdDialog::PvdDialog(QWidget *parent)
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

uint32_t PvdDialog::material() const { return MaterialList::selected(cbxMaterial); }

double PvdDialog::thickness() const { return dblThickness->value(); }

void PvdDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblThickness, height); }

double PvdDialog::ratio() const { return dblRatio->value(); }

Core::Processes::PvdSide PvdDialog::side() const
{
    using Core::Processes::PvdSide;
    if (radBottom->isChecked())
        return PvdSide::Bottom;
    if (radBoth->isChecked())
        return PvdSide::TopAndBottom;
    return PvdSide::Top;
}

void PvdDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::Thickness))
        dblThickness->setValue(parameters.value(Parameter::Thickness).toDouble());
    if (parameters.contains(Parameter::HorizontalToVerticalRatio))
        dblRatio->setValue(parameters.value(Parameter::HorizontalToVerticalRatio).toDouble());
    if (parameters.contains(Parameter::DepositOnValue)) {
        const auto side = PvdSide(parameters.value(Parameter::DepositOnValue).toInt());
        (side == PvdSide::Bottom ? radBottom : side == PvdSide::TopAndBottom ? radBoth : radTop)->setChecked(true);
    }
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
}

QVariantMap PvdDialog::parameters() const { return process().values({material(), thickness(), ratio(), side()}); }

void PvdDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
