#include "UI/ProcessDialogs/dopingdialog.h"

#include "Core/Processes/dopingprocess.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

DopingDialog::DopingDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DopingOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Doping Options"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    cbxMaterial->setToolTip(QStringLiteral("This is the doped material. Not to be confused with the materials that "
                                           "will be doped. All materials in the list will be doped, plus Si."));
    MaterialList::fillForProcess(
        cbxMaterial, Core::Processes::ProcessRegistry::get<Core::Processes::DopingProcess>().compatibleProcessId());
    form->addRow(QStringLiteral("Doped Material"), cbxMaterial);
    dblDepth = makeLengthSpinBox(this, QStringLiteral("dblDepth"));
    dblDepth->setDecimals(4);
    form->addRow(QStringLiteral("Doping Depth"), dblDepth);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

uint32_t DopingDialog::material() const { return MaterialList::selected(cbxMaterial); }

double DopingDialog::depth() const { return dblDepth->value(); }

void DopingDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblDepth, height); }

void DopingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    const QString material = Parameter::materialId(Parameter::DopedMaterial);
    if (parameters.contains(Parameter::DopingDepth))
        dblDepth->setValue(parameters.value(Parameter::DopingDepth).toDouble());
    if (parameters.contains(material))
        MaterialList::select(cbxMaterial, parameters.value(material).toUInt());
}

QVariantMap DopingDialog::parameters() const
{
    using namespace Core::Processes;
    return ProcessRegistry::get<DopingProcess>().values({material(), static_cast<float>(depth())});
}

void DopingDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
