#include "UI/ProcessDialogs/ionimplantationdialog.h"

#include "Core/Processes/ionimplantationprocess.h"
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

namespace {

QDoubleSpinBox *distanceBox(QWidget *parent, const char *name, double value)
{
    QDoubleSpinBox *box = makeLengthSpinBox(parent, QLatin1String(name));
    box->setValue(value);
    return box;
}

} // namespace

IonImplantationDialog::IonImplantationDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("IonImplantationOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Ion Implantation Options"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(
        cbxMaterial,
        Core::Processes::ProcessRegistry::get<Core::Processes::IonImplantationProcess>().compatibleProcessId());
    form->addRow(QStringLiteral("Doped Material"), cbxMaterial);
    dblDepth = distanceBox(this, "dblDepth", 50.0);
    form->addRow(QStringLiteral("Implantation Depth"), dblDepth);
    dblSpread = distanceBox(this, "dblSpread", 20.0);
    form->addRow(QStringLiteral("Vertical Spread"), dblSpread);
    dblAnnealing = distanceBox(this, "dblAnnealing", 10.0);
    form->addRow(QStringLiteral("Annealing Distance"), dblAnnealing);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

uint32_t IonImplantationDialog::material() const { return MaterialList::selected(cbxMaterial); }

double IonImplantationDialog::depth() const { return dblDepth->value(); }

double IonImplantationDialog::spread() const { return dblSpread->value(); }

double IonImplantationDialog::annealingDistance() const { return dblAnnealing->value(); }

void IonImplantationDialog::setVolumeHeight(double height)
{
    for (QDoubleSpinBox *box : {dblDepth, dblSpread, dblAnnealing})
        LengthUnits::fitLength(box, height);
}

void IonImplantationDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    const std::pair<const char *, QDoubleSpinBox *> boxes[] = {{Parameter::ImplantationDepth, dblDepth},
                                                               {Parameter::VerticalSpread, dblSpread},
                                                               {Parameter::AnnealingDistance, dblAnnealing}};
    for (const auto &box : boxes)
        if (parameters.contains(QLatin1String(box.first)))
            box.second->setValue(parameters.value(QLatin1String(box.first)).toDouble());
    const QString material = Parameter::materialId(Parameter::DopedMaterial);
    if (parameters.contains(material))
        MaterialList::select(cbxMaterial, parameters.value(material).toUInt());
}

QVariantMap IonImplantationDialog::parameters() const
{
    using namespace Core::Processes;
    return ProcessRegistry::get<IonImplantationProcess>().values({material(), static_cast<float>(depth()),
                                                                  static_cast<float>(spread()),
                                                                  static_cast<float>(annealingDistance())});
}

void IonImplantationDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
