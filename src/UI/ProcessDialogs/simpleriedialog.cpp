#include "UI/ProcessDialogs/simpleriedialog.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/simplerieprocess.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace Ui {
namespace Operations {

SimpleRieDialog::SimpleRieDialog(QWidget *parent)
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

int SimpleRieDialog::depth() const { return sbxDepth->value(); }

uint32_t SimpleRieDialog::material() const { return MaterialList::selected(cbxMaterial); }

bool SimpleRieDialog::etchFromTop() const { return chkFromTop->isChecked(); }

bool SimpleRieDialog::etchFromBelow() const { return chkFromBelow->isChecked(); }

void SimpleRieDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::EtchDepth))
        sbxDepth->setValue(parameters.value(Parameter::EtchDepth).toInt());
    if (parameters.contains(Parameter::EtchDirectionValue)) {
        const int direction = parameters.value(Parameter::EtchDirectionValue).toInt();
        chkFromTop->setChecked(direction & 1);
        chkFromBelow->setChecked(direction & 2);
    }
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
}

QVariantMap SimpleRieDialog::parameters() const
{
    using namespace Core::Processes;
    const SimpleRieParameters values{material(), static_cast<uint32_t>(depth()),
                                     (etchFromBelow() ? 2 : 0) | (etchFromTop() ? 1 : 0)};
    return ProcessRegistry::get<SimpleRieProcess>().values(values);
}

} // namespace Operations
} // namespace Ui
