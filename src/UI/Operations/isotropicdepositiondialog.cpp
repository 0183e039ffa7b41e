#include "isotropicdepositiondialog.h"

#include "dialogmemory.h"
#include "lengthunits.h"
#include "materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

IsotropicDepositionDialog::IsotropicDepositionDialog(uint32_t processId, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("IsotropicDepositionForm"));
    setWindowTitle(QStringLiteral("Isotropic Film Deposition"));
    auto *form = new QFormLayout(this);
    dblThickness = makeLengthSpinBox(this, QStringLiteral("dblThickness"));
    form->addRow(QStringLiteral("Film thickness"), dblThickness);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, processId);
    form->addRow(QStringLiteral("Material"), cbxMaterial);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

double IsotropicDepositionDialog::thickness() const { return dblThickness->value(); }

void IsotropicDepositionDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblThickness, height); }

uint32_t IsotropicDepositionDialog::material() const { return MaterialList::selected(cbxMaterial); }

void IsotropicDepositionDialog::setParameters(const QVariantMap &parameters)
{
    if (parameters.contains(QStringLiteral("Film Thickness")))
        dblThickness->setValue(parameters.value(QStringLiteral("Film Thickness")).toDouble());
    else if (parameters.contains(QStringLiteral("Thickness")))
        dblThickness->setValue(parameters.value(QStringLiteral("Thickness")).toDouble());
    if (parameters.contains(QStringLiteral("Material_Id")))
        MaterialList::select(cbxMaterial, parameters.value(QStringLiteral("Material_Id")).toUInt());
}

} // namespace Operations
} // namespace Ui
