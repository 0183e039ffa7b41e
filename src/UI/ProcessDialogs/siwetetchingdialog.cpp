#include "UI/ProcessDialogs/siwetetchingdialog.h"

#include "Core/Engines/Lattice/etchant.h"
#include "Core/Engines/Lattice/etchanttables.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/siwetetchingprocess.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>

namespace Ui {
namespace Operations {

namespace {

constexpr const char *noEtchant = "None (etch by depth)";

QDoubleSpinBox *numberBox(QWidget *parent, const char *name, double low, double high, double value, int decimals,
                          const QString &suffix)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(decimals);
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

} // namespace

SiWetEtchingDialog::SiWetEtchingDialog(QWidget *parent)
    : QDialog(parent)
{
    using Core::Operations::EtchantTables::kohConcentration;
    using Core::Operations::EtchantTables::kohTemperature;
    setObjectName(QStringLiteral("BCAEtchingForm"));
    setWindowTitle(QStringLiteral("Wet Etching Options"));
    auto *form = new QFormLayout(this);
    dblDepth = new QDoubleSpinBox(this);
    dblDepth->setObjectName(QStringLiteral("dblDepth"));
    // Three decimals: a quarter cell is one atomic layer, and 0.125 is the smallest depth that etches.
    dblDepth->setDecimals(3);
    dblDepth->setRange(0.0, 100000.0);
    dblDepth->setSingleStep(0.25);
    dblDepth->setValue(1.0);
    dblDepth->setSuffix(LengthUnits::cells());
    dblDepth->setToolTip(QStringLiteral(
        "Set the depth of the etching. This is how far down the (100) plane on the surface will be etched."));
    form->addRow(QStringLiteral("Etch Depth"), dblDepth);
    lblModel = new QLabel(QStringLiteral("Etch Model"), this);
    cbxModel = new QComboBox(this);
    cbxModel->setObjectName(QStringLiteral("cbxModel"));
    cbxModel->addItem(QStringLiteral("BCA"));
    cbxModel->addItem(QStringLiteral("CCA"));
    form->addRow(lblModel, cbxModel);
    lblModel->hide();
    cbxModel->hide();

    cbxEtchant = new QComboBox(this);
    cbxEtchant->setObjectName(QStringLiteral("cbxEtchant"));
    cbxEtchant->addItem(QLatin1String(noEtchant));
    cbxEtchant->addItem(QLatin1String(Core::Operations::Etchant::koh));
    cbxEtchant->addItem(QLatin1String(Core::Operations::Etchant::tmah));
    cbxEtchant->setToolTip(QStringLiteral("With an etchant the continuous model, calibrated to the bath's published "
                                          "rates, runs for the etch time; the etch depth is then not used."));
    form->addRow(QStringLiteral("Etchant"), cbxEtchant);
    dblConcentration = numberBox(this, "dblConcentration", kohConcentration.minimum, kohConcentration.maximum, 30.0, 1,
                                 QStringLiteral(" wt %"));
    form->addRow(QStringLiteral("Concentration"), dblConcentration);
    dblTemperature = numberBox(this, "dblTemperature", kohTemperature.minimum, kohTemperature.maximum, 70.0, 1,
                               QStringLiteral(" \u00b0C"));
    form->addRow(QStringLiteral("Temperature"), dblTemperature);
    dblEtchTime = numberBox(this, "dblEtchTime", 0.01, 1e7, 10.0, 2, QStringLiteral(" min"));
    form->addRow(QStringLiteral("Etch Time"), dblEtchTime);
    dblCellSize = numberBox(this, "dblCellSize", 0.001, 1e6, 1.0, 3, QStringLiteral(" \u00b5m"));
    form->addRow(QStringLiteral("Cell Size"), dblCellSize);
    cbxOrientation = new QComboBox(this);
    cbxOrientation->setObjectName(QStringLiteral("cbxOrientation"));
    cbxOrientation->addItems({QStringLiteral("100"), QStringLiteral("110"), QStringLiteral("111"), QStringLiteral("311")});
    form->addRow(QStringLiteral("Wafer Orientation"), cbxOrientation);
    dblFlatAngle = numberBox(this, "dblFlatAngle", -360.0, 360.0, 0.0, 1, QStringLiteral(" deg"));
    form->addRow(QStringLiteral("Flat Angle"), dblFlatAngle);
    dblOxideEtchRate = numberBox(this, "dblOxideEtchRate", 0.0, 1000.0, 0.0, 2, QStringLiteral(" nm/min"));
    dblOxideEtchRate->setToolTip(QStringLiteral("The rate at which the bath wears thermal oxide away; 0 leaves it as "
                                                "it is. Nitride and other materials never etch."));
    form->addRow(QStringLiteral("Oxide Etch Rate"), dblOxideEtchRate);
    lblBath = new QLabel(this);
    lblBath->setObjectName(QStringLiteral("lblBath"));
    lblBath->setWordWrap(true);
    form->addRow(lblBath);
    for (QComboBox *box : {cbxEtchant, cbxOrientation, cbxModel})
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, &SiWetEtchingDialog::updateBath);
    for (QDoubleSpinBox *box :
         {dblConcentration, dblTemperature, dblEtchTime, dblCellSize, dblFlatAngle, dblOxideEtchRate})
        connect(box, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &SiWetEtchingDialog::updateBath);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
    updateBath();
}

double SiWetEtchingDialog::depth() const { return dblDepth->value(); }

void SiWetEtchingDialog::showModelChoice()
{
    lblModel->show();
    cbxModel->show();
    updateBath();
}

QString SiWetEtchingDialog::model() const { return cbxModel->currentText(); }

QString SiWetEtchingDialog::etchant() const
{
    // The window's bond-counting command etches by depth only.
    if (cbxModel->isHidden() && model() == QLatin1String("BCA"))
        return QString();
    return cbxEtchant->currentIndex() == 0 ? QString() : cbxEtchant->currentText();
}

QString SiWetEtchingDialog::bathSummary() const
{
    using namespace Core::Processes;
    if (etchant().isEmpty())
        return QString();
    const QVariantMap values = parameters();
    SiWetEtchingParameters params;
    params.model = values.value(Parameter::EtchModel).toString();
    params.etchant = etchant();
    params.concentration = dblConcentration->value();
    params.temperature = dblTemperature->value();
    params.etchTime = dblEtchTime->value();
    params.cellSize = dblCellSize->value();
    params.orientation = cbxOrientation->currentText();
    params.flatAngle = dblFlatAngle->value();
    const QString problem = ProcessRegistry::get<SiWetEtchingProcess>().validate(params);
    if (!problem.isEmpty())
        return problem;
    const auto rates =
        Core::Operations::Etchant::rates(params.etchant, params.concentration, params.temperature, nullptr);
    const double depth = rates->r100 * params.etchTime;
    return QStringLiteral("(100): %1 \u00b5m/min, %2 \u00b5m in %3 min")
        .arg(QString::number(rates->r100, 'g', 4), QString::number(depth, 'g', 4),
             QString::number(params.etchTime, 'g', 6));
}

void SiWetEtchingDialog::updateBath()
{
    const bool bath = !etchant().isEmpty();
    cbxEtchant->setEnabled(!cbxModel->isHidden() || model() != QLatin1String("BCA"));
    dblDepth->setEnabled(!bath);
    for (QWidget *w : std::initializer_list<QWidget *>{dblConcentration, dblTemperature, dblEtchTime, dblCellSize,
                                                       cbxOrientation, dblFlatAngle, dblOxideEtchRate})
        w->setEnabled(bath);
    lblBath->setText(bathSummary());
}

void SiWetEtchingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::Depth))
        dblDepth->setValue(parameters.value(Parameter::Depth).toDouble());
    const QString model = parameters.value(Parameter::EtchModel, QStringLiteral("BCA")).toString();
    cbxModel->setCurrentIndex(model == QLatin1String("CCA") ? 1 : 0);
    const int etchant = cbxEtchant->findText(parameters.value(Parameter::Etchant).toString());
    cbxEtchant->setCurrentIndex(etchant > 0 ? etchant : 0);
    const std::pair<const char *, QDoubleSpinBox *> numbers[] = {
        {Parameter::Concentration, dblConcentration}, {Parameter::Temperature, dblTemperature},
        {Parameter::EtchTime, dblEtchTime},           {Parameter::CellSize, dblCellSize},
        {Parameter::FlatAngle, dblFlatAngle},         {Parameter::OxideEtchRate, dblOxideEtchRate}};
    for (const auto &[name, box] : numbers) {
        if (parameters.contains(QLatin1String(name)))
            box->setValue(parameters.value(QLatin1String(name)).toDouble());
    }
    // A bath step without a rate leaves the oxide as it is.
    if (parameters.contains(Parameter::Etchant) && !parameters.contains(Parameter::OxideEtchRate))
        dblOxideEtchRate->setValue(0.0);
    if (parameters.contains(Parameter::WaferOrientation)) {
        const int orientation = cbxOrientation->findText(parameters.value(Parameter::WaferOrientation).toString());
        cbxOrientation->setCurrentIndex(orientation >= 0 ? orientation : 0);
    }
    updateBath();
}

QVariantMap SiWetEtchingDialog::parameters() const
{
    using namespace Core::Processes;
    SiWetEtchingParameters params;
    params.depth = depth();
    params.model = model();
    params.etchant = etchant();
    params.concentration = dblConcentration->value();
    params.temperature = dblTemperature->value();
    params.etchTime = dblEtchTime->value();
    params.cellSize = dblCellSize->value();
    params.orientation = cbxOrientation->currentText();
    params.flatAngle = dblFlatAngle->value();
    params.oxideEtchRate = dblOxideEtchRate->value();
    return ProcessRegistry::get<SiWetEtchingProcess>().values(params);
}

void SiWetEtchingDialog::setContext(const ProcessDialogContext &context)
{
    if (context.listStep)
        showModelChoice();
}

} // namespace Operations
} // namespace Ui
