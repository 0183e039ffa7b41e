#include "UI/ProcessDialogs/electroplatingdialog.h"

#include "Core/Processes/electroplatingprocess.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

ElectroplatingDialog::ElectroplatingDialog(QWidget *parent)
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

double ElectroplatingDialog::thickness() const { return dblThickness->value(); }

void ElectroplatingDialog::setVolumeHeight(double height) { LengthUnits::fitLength(dblThickness, height); }

uint32_t ElectroplatingDialog::depositedMaterial() const { return MaterialList::selected(cbxMaterial); }

uint32_t ElectroplatingDialog::conductingMaterial() const { return MaterialList::selected(cbxConductingMaterial); }

void ElectroplatingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    const QString deposited = Parameter::materialId(Parameter::DepositedMaterial);
    const QString conducting = Parameter::materialId(Parameter::ConductingMaterial);
    if (parameters.contains(Parameter::FilmThickness))
        dblThickness->setValue(parameters.value(Parameter::FilmThickness).toDouble());
    if (parameters.contains(deposited))
        MaterialList::select(cbxMaterial, parameters.value(deposited).toUInt());
    if (parameters.contains(conducting))
        MaterialList::select(cbxConductingMaterial, parameters.value(conducting).toUInt());
}

QVariantMap ElectroplatingDialog::parameters() const
{
    using namespace Core::Processes;
    return ProcessRegistry::get<ElectroplatingProcess>().values(
        {depositedMaterial(), conductingMaterial(), thickness()});
}

void ElectroplatingDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
