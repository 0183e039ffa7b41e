#include "isotropicetchingdialog.h"

#include "dialogmemory.h"
#include "lengthunits.h"
#include "materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

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
    MaterialList::fillForProcess(cbxMaterial, 10);
    form->addRow(QStringLiteral("Material"), cbxMaterial);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

double IsotropicEtchingDialog::depth() const { return dblDepth->value(); }

void IsotropicEtchingDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblDepth, height); }

uint32_t IsotropicEtchingDialog::material() const { return MaterialList::selected(cbxMaterial); }

void IsotropicEtchingDialog::setParameters(const QVariantMap &parameters)
{
    if (parameters.contains(QStringLiteral("Depth")))
        dblDepth->setValue(parameters.value(QStringLiteral("Depth")).toDouble());
    if (parameters.contains(QStringLiteral("Material_Id")))
        MaterialList::select(cbxMaterial, parameters.value(QStringLiteral("Material_Id")).toUInt());
}

} // namespace Operations
} // namespace Ui
