#include "electrodepositiondialog.h"

#include "dialogmemory.h"
#include "lengthunits.h"
#include "materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

ElectrodepositionDialog::ElectrodepositionDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ElectrodepositionForm"));
    setWindowTitle(QStringLiteral("Electroplating Options"));
    auto *form = new QFormLayout(this);
    dblThickness = makeLengthSpinBox(this, QStringLiteral("dblThickness"));
    form->addRow(QStringLiteral("Film thickness"), dblThickness);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillWithAll(cbxMaterial);
    form->addRow(QStringLiteral("Material"), cbxMaterial);
    cbxConductingMaterial = new QComboBox(this);
    cbxConductingMaterial->setObjectName(QStringLiteral("cbxConductingMaterial"));
    MaterialList::fillWithAll(cbxConductingMaterial);
    form->addRow(QStringLiteral("Conducting Material"), cbxConductingMaterial);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

double ElectrodepositionDialog::thickness() const { return dblThickness->value(); }

void ElectrodepositionDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblThickness, height); }

uint32_t ElectrodepositionDialog::depositedMaterial() const { return MaterialList::selected(cbxMaterial); }

uint32_t ElectrodepositionDialog::conductingMaterial() const { return MaterialList::selected(cbxConductingMaterial); }

void ElectrodepositionDialog::setParameters(const QVariantMap &parameters)
{
    if (parameters.contains(QStringLiteral("Film Thickness")))
        dblThickness->setValue(parameters.value(QStringLiteral("Film Thickness")).toDouble());
    if (parameters.contains(QStringLiteral("Deposited Material_Id")))
        MaterialList::select(cbxMaterial, parameters.value(QStringLiteral("Deposited Material_Id")).toUInt());
    if (parameters.contains(QStringLiteral("Conducting Material_Id")))
        MaterialList::select(cbxConductingMaterial,
                             parameters.value(QStringLiteral("Conducting Material_Id")).toUInt());
}

} // namespace Operations
} // namespace Ui
