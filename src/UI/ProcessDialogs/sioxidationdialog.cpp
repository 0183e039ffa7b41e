#include "UI/ProcessDialogs/sioxidationdialog.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/sioxidationprocess.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QRadioButton>

namespace Ui {
namespace Operations {

namespace {

QDoubleSpinBox *makeBox(QWidget *parent, const char *name, double minimum, double maximum, double value,
                        const QString &suffix)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

} // namespace

SiOxidationDialog::SiOxidationDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SimpleOxidationOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Si Oxidation Options"));
    auto *form = new QFormLayout(this);

    radThickness = new QRadioButton(QStringLiteral("Oxide thickness"), this);
    radThickness->setObjectName(QStringLiteral("radThickness"));
    radThickness->setChecked(true);
    // Thin oxides are tenths or hundredths of a micrometre.
    dblThickness = makeBox(this, "dblThickness", 0.0, 100000.0, 10.0, LengthUnits::micrometres());
    dblThickness->setDecimals(4);
    form->addRow(radThickness, dblThickness);

    radTime = new QRadioButton(QStringLiteral("Oxidation Time"), this);
    radTime->setObjectName(QStringLiteral("radTime"));
    form->addRow(radTime);
    dblTime = makeBox(this, "dblTime", 0.0, 1000.0, 2.0, QStringLiteral(" hours"));
    form->addRow(QStringLiteral("Time"), dblTime);
    // Deal-Grove has no growth rate at 0 K or 0 atm: the smallest values are one step above.
    dblTemperature = makeBox(this, "dblTemperature", 0.01, 2000.0, 1273.0, QStringLiteral(" K"));
    form->addRow(QStringLiteral("Temperature"), dblTemperature);
    dblPressure = makeBox(this, "dblPressure", 0.01, 1.0, 1.0, QStringLiteral(" atm"));
    dblPressure->setSingleStep(0.1);
    form->addRow(QStringLiteral("Pressure"), dblPressure);

    dblConversion = makeBox(this, "dblConversion", 0.01, 1000000000.0, 100.0, QString());
    dblConversion->setSingleStep(1.0);
    const QString help =
        QStringLiteral("How many cells make one \u00b5m: at 100 cells per \u00b5m a cell is 10 nm long.");
    dblConversion->setToolTip(help);
    dblConversion->setWhatsThis(help);
    form->addRow(QStringLiteral("Cells per \u00b5m"), dblConversion);
    addOkCancelButtons(this, form);

    connect(radThickness, &QRadioButton::toggled, this, [this] { updateMode(); });
    connect(radTime, &QRadioButton::toggled, this, [this] { updateMode(); });
    updateMode();
    DialogMemory::keep(this);
}

void SiOxidationDialog::setVolumeHeight(double height)
{
    // The oxide is thickness x conversion cells thick.
    LengthUnits::fitLength(dblThickness, height / dblConversion->value());
}

void SiOxidationDialog::updateMode()
{
    const bool time = radTime->isChecked();
    dblThickness->setEnabled(!time);
    dblTime->setEnabled(time);
    dblTemperature->setEnabled(time);
    dblPressure->setEnabled(time);
}

bool SiOxidationDialog::byTime() const { return radTime->isChecked(); }

double SiOxidationDialog::thickness() const { return dblThickness->value(); }

double SiOxidationDialog::time() const { return dblTime->value(); }

double SiOxidationDialog::temperature() const { return dblTemperature->value(); }

double SiOxidationDialog::pressure() const { return dblPressure->value(); }

double SiOxidationDialog::conversion() const { return dblConversion->value(); }

void SiOxidationDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    const std::pair<const char *, QDoubleSpinBox *> boxes[] = {{Parameter::OxidationThickness, dblThickness},
                                                               {Parameter::OxidationTime, dblTime},
                                                               {Parameter::OxidationTemperature, dblTemperature},
                                                               {Parameter::OxidationPressure, dblPressure},
                                                               {Parameter::MicronConversion, dblConversion}};
    for (const auto &box : boxes)
        if (parameters.contains(QLatin1String(box.first)))
            box.second->setValue(parameters.value(QLatin1String(box.first)).toDouble());
    if (parameters.contains(Parameter::OxidationTimeSet))
        (parameters.value(Parameter::OxidationTimeSet).toBool() ? radTime : radThickness)->setChecked(true);
}

QVariantMap SiOxidationDialog::parameters() const
{
    using namespace Core::Processes;
    SiOxidationParameters values;
    values.byTime = byTime();
    values.conversion = conversion();
    values.thickness = thickness();
    values.time = time();
    values.temperature = temperature();
    values.pressure = pressure();
    return ProcessRegistry::get<SiOxidationProcess>().values(values);
}

void SiOxidationDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setVolumeHeight(LengthUnits::heightOf(context.volume));
}

} // namespace Operations
} // namespace Ui
