#include "dopingoptionsdialog.h"

#include "dialogmemory.h"
#include "lengthunits.h"
#include "materiallist.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

DopingOptionsDialog::DopingOptionsDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DopingOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Doping Options"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    cbxMaterial->setToolTip(QStringLiteral("This is the doped material. Not to be confused with the materials that "
                                           "will be doped. All materials in the list will be doped, plus Si."));
    MaterialList::fillForProcess(cbxMaterial, 13);
    form->addRow(QStringLiteral("Doped Material"), cbxMaterial);
    dblDepth = makeLengthSpinBox(this, QStringLiteral("dblDepth"));
    dblDepth->setDecimals(4);
    form->addRow(QStringLiteral("Doping Depth"), dblDepth);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

uint32_t DopingOptionsDialog::material() const { return MaterialList::selected(cbxMaterial); }

double DopingOptionsDialog::depth() const { return dblDepth->value(); }

void DopingOptionsDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblDepth, height); }

void DopingOptionsDialog::setParameters(const QVariantMap &parameters)
{
    if (parameters.contains(QStringLiteral("Doping Depth")))
        dblDepth->setValue(parameters.value(QStringLiteral("Doping Depth")).toDouble());
    if (parameters.contains(QStringLiteral("Doped Material_Id")))
        MaterialList::select(cbxMaterial, parameters.value(QStringLiteral("Doped Material_Id")).toUInt());
}

} // namespace Operations
} // namespace Ui
