#include "UI/ProcessDialogs/randomwalkdopingdialog.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/randomwalkdopingprocess.h"
#include "Model/Volume/totalvolume.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>

namespace Ui {
namespace Operations {

namespace {

// Numbers are read as typed in C notation (1e-12) or in the user's own.
bool readNumber(const QLineEdit *edit, double &value)
{
    const QString text = edit->text().trimmed();
    bool ok = false;
    value = QLocale::c().toDouble(text, &ok);
    if (!ok)
        value = QLocale().toDouble(text, &ok);
    if (!ok)
        value = 0.0;
    return ok;
}

QLineEdit *numberEdit(QWidget *parent, const char *name, const QString &placeholder)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(placeholder);
    return edit;
}

QDoubleSpinBox *spinBox(QWidget *parent, const char *name, double value, const QString &suffix)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(2);
    box->setRange(0.0, 1e9);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

} // namespace

RandomWalkDopingDialog::RandomWalkDopingDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("RandomWalkDopingDialog"));
    setWindowTitle(QStringLiteral("Random Walk Doping Options"));
    auto *form = new QFormLayout(this);
    dblDopingTime = spinBox(this, "dblDopingTime", 60.0, QStringLiteral(" minutes"));
    form->addRow(QStringLiteral("Doping Time"), dblDopingTime);
    cbxDopingMaterial = new QComboBox(this);
    cbxDopingMaterial->setObjectName(QStringLiteral("cbxDopingMaterial"));
    MaterialList::fillWithAll(cbxDopingMaterial);
    cbxDopingMaterial->setToolTip(QStringLiteral("This is the doped material. Not to be confused with the materials "
                                                 "that will be doped. All materials in the list will be doped, plus "
                                                 "Si."));
    form->addRow(QStringLiteral("Doping Material"), cbxDopingMaterial);
    lieDiffusionCoefficient = numberEdit(this, "lieDiffusionCoefficient", QStringLiteral("e.g. 1e-12"));
    form->addRow(QStringLiteral("Diffusion Coefficient (cm²/s)"), lieDiffusionCoefficient);
    lieCellSize = numberEdit(this, "lieCellSize", QStringLiteral("e.g. 0.01"));
    form->addRow(QStringLiteral("Cell Size (µm)"), lieCellSize);
    lieTimeStep = numberEdit(this, "lieTimeStep", QStringLiteral("e.g. 1"));
    form->addRow(QStringLiteral("Time Step Duration (s)"), lieTimeStep);
    lieConcentration = numberEdit(this, "lieConcentration", QStringLiteral("e.g. 1e20"));
    form->addRow(QStringLiteral("Dopant concentration (cm⁻³)"), lieConcentration);
    dblThreshold = spinBox(this, "dblThreshold", 10.0, QStringLiteral(" %"));
    dblThreshold->setToolTip(QStringLiteral("This informs the software of the minimum concentration in the cell to "
                                            "change the cell state to the doping material."));
    form->addRow(QStringLiteral("Threshold"), dblThreshold);
    lieSeed = numberEdit(this, "lieSeed", QStringLiteral("empty: from the clock"));
    lieSeed->setToolTip(QStringLiteral("The same seed gives the same result on every run; leave it empty for a new "
                                       "random walk each time."));
    lblSeed = new QLabel(QStringLiteral("Random Seed"), this);
    form->addRow(lblSeed, lieSeed);
    lblProblem = makeProblemLabel(this);
    form->addRow(lblProblem);
    lblEstimate = new QLabel(this);
    lblEstimate->setObjectName(QStringLiteral("lblEstimate"));
    lblEstimate->setWordWrap(true);
    lblEstimate->hide();
    form->addRow(lblEstimate);
    addOkCancelButtons(this, form);
    for (QLineEdit *edit : {lieDiffusionCoefficient, lieCellSize, lieTimeStep, lieConcentration})
        connect(edit, &QLineEdit::textChanged, this, &RandomWalkDopingDialog::updateEstimate);
    for (QDoubleSpinBox *box : {dblDopingTime, dblThreshold})
        connect(box, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
                &RandomWalkDopingDialog::updateEstimate);
    DialogMemory::keep(this);
}

void RandomWalkDopingDialog::setCellCount(uint64_t cells)
{
    m_cells = cells;
    updateEstimate();
}

QString RandomWalkDopingDialog::estimate() const
{
    if (m_cells == 0 || !problem().isEmpty())
        return QString();
    return input().estimateText(m_cells);
}

void RandomWalkDopingDialog::updateEstimate()
{
    const QString text = estimate();
    lblEstimate->setText(QStringLiteral("Estimated time: ") + text);
    lblEstimate->setVisible(!text.isEmpty());
}

bool RandomWalkDopingDialog::confirmLongRun(const QString &text)
{
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    QStringLiteral("The doping is estimated to run for %1. Start it?").arg(text),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("longRunQuestion"));
    box.setInformativeText(QStringLiteral("A longer time step or a shorter doping time makes it shorter."));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Core::Operations::RandomWalkDopingInput RandomWalkDopingDialog::input() const
{
    Core::Operations::RandomWalkDopingInput in;
    in.dopingTimeMinutes = dblDopingTime->value();
    in.material = MaterialList::selected(cbxDopingMaterial);
    readNumber(lieDiffusionCoefficient, in.diffusionCoefficientCm2PerS);
    readNumber(lieCellSize, in.cellSizeMicrometres);
    readNumber(lieTimeStep, in.timeStepSeconds);
    readNumber(lieConcentration, in.surfaceConcentrationPerCm3);
    in.thresholdPercent = dblThreshold->value();
    return in;
}

std::optional<uint64_t> RandomWalkDopingDialog::seed() const
{
    const QString text = lieSeed->text().trimmed();
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (text.isEmpty() || !ok || !m_seedShown)
        return std::nullopt;
    return uint64_t(value);
}

QString RandomWalkDopingDialog::problem() const
{
    const std::pair<const QLineEdit *, const char *> fields[] = {{lieDiffusionCoefficient, "Diffusion Coefficient"},
                                                                 {lieCellSize, "Cell Size"},
                                                                 {lieTimeStep, "Time Step Duration"},
                                                                 {lieConcentration, "Dopant concentration"}};
    QStringList missing;
    QStringList unreadable;
    for (const auto &field : fields) {
        double value = 0.0;
        if (field.first->text().trimmed().isEmpty())
            missing << QLatin1String(field.second);
        else if (!readNumber(field.first, value))
            unreadable << QStringLiteral("%1 (\"%2\")").arg(QLatin1String(field.second), field.first->text());
    }
    if (!missing.isEmpty())
        return QStringLiteral("Enter a value for ") + missing.join(QStringLiteral(", ")) + QLatin1Char('.');
    if (!unreadable.isEmpty())
        return QStringLiteral("Not a number: ") + unreadable.join(QStringLiteral(", ")) + QLatin1Char('.');
    if (cbxDopingMaterial->currentIndex() < 0)
        return QStringLiteral("Choose a doping material.");
    const QString seedText = lieSeed->text().trimmed();
    bool seedOk = false;
    seedText.toULongLong(&seedOk);
    if (m_seedShown && !seedText.isEmpty() && !seedOk)
        return QStringLiteral("The random seed must be a whole number from 0 to 18446744073709551615, or empty.");
    return input().problem();
}

void RandomWalkDopingDialog::accept()
{
    if (showProblem(lblProblem, problem()))
        return;
    if (m_cells > 0 && input().estimatedSeconds(m_cells) > Core::Operations::RandomWalkDopingInput::longRunSeconds &&
        !confirmLongRun(estimate()))
        return;
    QDialog::accept();
}

void RandomWalkDopingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    auto number = [&](const char *key, QLineEdit *edit) {
        if (parameters.contains(QLatin1String(key)))
            edit->setText(QString::number(parameters.value(QLatin1String(key)).toDouble(), 'g', 12));
    };
    if (parameters.contains(Parameter::DopingTime))
        dblDopingTime->setValue(parameters.value(Parameter::DopingTime).toDouble());
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxDopingMaterial, parameters.value(Parameter::MaterialId).toUInt());
    number(Parameter::DiffusionCoefficient, lieDiffusionCoefficient);
    number(Parameter::CellSize, lieCellSize);
    number(Parameter::TimeStepDuration, lieTimeStep);
    number(Parameter::SurfaceConcentration, lieConcentration);
    if (parameters.contains(Parameter::DopingThreshold))
        dblThreshold->setValue(parameters.value(Parameter::DopingThreshold).toDouble());
}

QVariantMap RandomWalkDopingDialog::parameters() const
{
    using namespace Core::Processes;
    return ProcessRegistry::get<RandomWalkDopingProcess>().values(input());
}

void RandomWalkDopingDialog::setContext(const ProcessDialogContext &context)
{
    // A list carries no seed (cellforge-batch --seed gives one).
    setSeedShown(!context.listStep);
    if (context.volume)
        setCellCount(context.volume->cellCount());
}

void RandomWalkDopingDialog::setSeedShown(bool shown)
{
    m_seedShown = shown;
    lieSeed->setVisible(shown);
    lblSeed->setVisible(shown);
}

} // namespace Operations
} // namespace Ui
