#include "simpleriedialog.h"

#include "dialogmemory.h"
#include "lengthunits.h"
#include "materiallist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace Ui {
namespace Operations {

SimpleRIEDialog::SimpleRIEDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SimpleRIEForm"));
    setWindowTitle(QStringLiteral("Simple RIE Options"));
    setFixedSize(400, 280);
    auto *form = new QFormLayout(this);
    sbxDepth = new QSpinBox(this);
    sbxDepth->setObjectName(QStringLiteral("sbxDepth"));
    sbxDepth->setRange(1, 999999999);
    sbxDepth->setValue(1);
    sbxDepth->setSuffix(LengthUnits::cells());
    form->addRow(QStringLiteral("Etch Depth"), sbxDepth);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillWithAll(cbxMaterial);
    form->addRow(QStringLiteral("Select Material"), cbxMaterial);
    chkFromBelow = new QCheckBox(QStringLiteral("Etch from below"), this);
    chkFromBelow->setObjectName(QStringLiteral("chkFromBelow"));
    chkFromTop = new QCheckBox(QStringLiteral("Etch from top"), this);
    chkFromTop->setObjectName(QStringLiteral("chkFromTop"));
    chkFromTop->setChecked(true);
    form->addRow(chkFromBelow);
    form->addRow(chkFromTop);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

int SimpleRIEDialog::depth() const { return sbxDepth->value(); }

uint32_t SimpleRIEDialog::material() const { return MaterialList::selected(cbxMaterial); }

bool SimpleRIEDialog::etchFromTop() const { return chkFromTop->isChecked(); }

bool SimpleRIEDialog::etchFromBelow() const { return chkFromBelow->isChecked(); }

void SimpleRIEDialog::setParameters(const QVariantMap &parameters)
{
    if (parameters.contains(QStringLiteral("Etch Depth")))
        sbxDepth->setValue(parameters.value(QStringLiteral("Etch Depth")).toInt());
    if (parameters.contains(QStringLiteral("EtchDirectionValue"))) {
        const int direction = parameters.value(QStringLiteral("EtchDirectionValue")).toInt();
        chkFromTop->setChecked(direction & 1);
        chkFromBelow->setChecked(direction & 2);
    }
    if (parameters.contains(QStringLiteral("Material_Id")))
        MaterialList::select(cbxMaterial, parameters.value(QStringLiteral("Material_Id")).toUInt());
}

} // namespace Operations
} // namespace Ui
