#include "anisotropicdepositiondialog.h"

#include "dialogmemory.h"
#include "lengthunits.h"
#include "materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

AnisotropicDepositionDialog::AnisotropicDepositionDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AnisotropicDepositionBaseDialog"));
    setWindowTitle(QStringLiteral("PVD Options"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, 16);
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
    if (parameters.contains(QStringLiteral("Film Thickness")))
        dblThickness->setValue(parameters.value(QStringLiteral("Film Thickness")).toDouble());
    if (parameters.contains(QStringLiteral("Horizontal to Vertical Ratio")))
        dblRatio->setValue(parameters.value(QStringLiteral("Horizontal to Vertical Ratio")).toDouble());
    if (parameters.contains(QStringLiteral("Material_Id")))
        MaterialList::select(cbxMaterial, parameters.value(QStringLiteral("Material_Id")).toUInt());
}

} // namespace Operations
} // namespace Ui
