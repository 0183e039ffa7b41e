#include "anisotropicetchingdialog.h"

#include "dialogmemory.h"
#include "lengthunits.h"
#include "materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

AnisotropicEtchingDialog::AnisotropicEtchingDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AnisotropicEtchingBaseDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, 17);
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
    if (parameters.contains(QStringLiteral("Etch Depth")))
        dblDepth->setValue(parameters.value(QStringLiteral("Etch Depth")).toDouble());
    if (parameters.contains(QStringLiteral("Horizontal to Vertical Ratio")))
        dblRatio->setValue(parameters.value(QStringLiteral("Horizontal to Vertical Ratio")).toDouble());
    if (parameters.contains(QStringLiteral("Material_Id")))
        MaterialList::select(cbxMaterial, parameters.value(QStringLiteral("Material_Id")).toUInt());
}

} // namespace Operations
} // namespace Ui
