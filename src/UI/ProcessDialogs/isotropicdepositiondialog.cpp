#include "UI/ProcessDialogs/isotropicdepositiondialog.h"

#include "Core/Processes/isotropicdepositionprocess.h"
#include "Core/Processes/parameternames.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

IsotropicDepositionDialog::IsotropicDepositionDialog(const Core::Processes::IsotropicDepositionProcess &process,
                                                     QWidget *parent)
    : QDialog(parent)
    , m_process(process)
{
    setObjectName(QStringLiteral("IsotropicDepositionForm"));
    setWindowTitle(QStringLiteral("Isotropic Film Deposition"));
    auto *form = new QFormLayout(this);
    dblThickness = makeLengthSpinBox(this, QStringLiteral("dblThickness"));
    form->addRow(QStringLiteral("Film thickness"), dblThickness);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, process.compatibleProcessId());
    form->addRow(QStringLiteral("Material"), cbxMaterial);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

double IsotropicDepositionDialog::thickness() const { return dblThickness->value(); }

void IsotropicDepositionDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblThickness, height); }

uint32_t IsotropicDepositionDialog::material() const { return MaterialList::selected(cbxMaterial); }

void IsotropicDepositionDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(m_process.thicknessName()))
        dblThickness->setValue(parameters.value(m_process.thicknessName()).toDouble());
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
}

QVariantMap IsotropicDepositionDialog::parameters() const { return m_process.values({material(), thickness()}); }

void IsotropicDepositionDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
