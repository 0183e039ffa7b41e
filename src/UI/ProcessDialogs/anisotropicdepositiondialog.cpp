#include "UI/ProcessDialogs/anisotropicdepositiondialog.h"

#include "Core/Processes/anisotropicdepositionprocess.h"
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

const Core::Processes::AnisotropicDepositionProcess &process()
{
    return Core::Processes::ProcessRegistry::get<Core::Processes::AnisotropicDepositionProcess>();
}

} // namespace

AnisotropicDepositionDialog::AnisotropicDepositionDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AnisotropicDepositionBaseDialog"));
    setWindowTitle(QStringLiteral("PVD Options"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, process().compatibleProcessId());
    form->addRow(QStringLiteral("Material"), cbxMaterial);
    dblThickness = makeLengthSpinBox(this, QStringLiteral("dblThickness"));
    form->addRow(QStringLiteral("Film thickness"), dblThickness);
    dblRatio = makeRatioSpinBox(this, QStringLiteral("dblRatio"), 3, 0.0);
    form->addRow(QStringLiteral("Horizontal ratio"), dblRatio);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

uint32_t AnisotropicDepositionDialog::material() const { return MaterialList::selected(cbxMaterial); }

double AnisotropicDepositionDialog::thickness() const { return dblThickness->value(); }

double AnisotropicDepositionDialog::ratio() const { return dblRatio->value(); }

void AnisotropicDepositionDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblThickness, height); }

void AnisotropicDepositionDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::FilmThickness))
        dblThickness->setValue(parameters.value(Parameter::FilmThickness).toDouble());
    if (parameters.contains(Parameter::HorizontalToVerticalRatio))
        dblRatio->setValue(parameters.value(Parameter::HorizontalToVerticalRatio).toDouble());
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
}

QVariantMap AnisotropicDepositionDialog::parameters() const
{
    return process().values({material(), thickness(), ratio()});
}

void AnisotropicDepositionDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
