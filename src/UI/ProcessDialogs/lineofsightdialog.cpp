#include "UI/ProcessDialogs/lineofsightdialog.h"

#include "Core/Processes/lineofsightprocess.h"
#include "Core/Processes/parameternames.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace Ui {
namespace Operations {

namespace {

using Transport = Core::Operations::LineOfSightTransport;

QDoubleSpinBox *spinBox(QWidget *parent, const char *name, double minimum, double maximum, int decimals, double value)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(decimals);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

} // namespace

LineOfSightDialog::LineOfSightDialog(const Core::Processes::LineOfSightProcess &process, QWidget *parent)
    : QDialog(parent)
    , m_process(process)
{
    const bool deposition = process.mode() == Transport::Mode::Deposition;
    setObjectName(QStringLiteral("LineOfSightDialog"));
    setWindowTitle(process.displayName());
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(cbxMaterial, process.compatibleProcessId());
    form->addRow(deposition ? QStringLiteral("Material") : QStringLiteral("Etched material"), cbxMaterial);
    dblAmount = spinBox(this, "dblAmount", 0.0, Transport::largestAmount, 2, 5.0);
    dblAmount->setSuffix(QStringLiteral(" cells"));
    dblAmount->setToolTip(QStringLiteral("On a flat open surface; shadowed surfaces get less."));
    form->addRow(process.amountName(), dblAmount);
    // The smallest share the box shows is 0.0001: four decimals.
    dblSticking = spinBox(this, "dblSticking", 0.0001, 1.0, 4, 1.0);
    dblSticking->setSingleStep(0.05);
    form->addRow(process.stickingName(), dblSticking);
    dblExponent = spinBox(this, "dblExponent", 1.0, Transport::largestExponent, 1, 1.0);
    dblExponent->setToolTip(QStringLiteral("n of the cos^n source: 1 for a diffuse (cosine) source, 100 and more for "
                                           "a collimated beam."));
    form->addRow(QStringLiteral("Source Exponent"), dblExponent);
    lieSeed = makeSeedEdit(this);
    form->addRow(QStringLiteral("Random Seed"), lieSeed);
    lblProblem = makeProblemLabel(this);
    form->addRow(lblProblem);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

void LineOfSightDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
    if (parameters.contains(m_process.amountName()))
        dblAmount->setValue(parameters.value(m_process.amountName()).toDouble());
    if (parameters.contains(m_process.stickingName()))
        dblSticking->setValue(parameters.value(m_process.stickingName()).toDouble());
    if (parameters.contains(Parameter::SourceExponent))
        dblExponent->setValue(parameters.value(Parameter::SourceExponent).toDouble());
    if (parameters.contains(Parameter::RandomSeed)) {
        const QVariant seed = parameters.value(Parameter::RandomSeed);
        lieSeed->setText(seed.isValid() ? QString::number(seed.toUInt()) : QString());
    }
}

std::optional<uint32_t> LineOfSightDialog::typedSeed() const
{
    bool ok = false;
    const uint value = lieSeed->text().trimmed().toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return uint32_t(value);
}

QVariantMap LineOfSightDialog::parameters() const
{
    Core::Processes::LineOfSightParameters params;
    params.material = MaterialList::selected(cbxMaterial);
    params.amount = dblAmount->value();
    params.sticking = dblSticking->value();
    params.sourceExponent = dblExponent->value();
    params.seed = typedSeed();
    return m_process.values(params);
}

QString LineOfSightDialog::problem() const
{
    if (cbxMaterial->currentIndex() < 0)
        return QStringLiteral("Choose a material.");
    if (!lieSeed->text().trimmed().isEmpty() && !typedSeed())
        return QStringLiteral("The random seed must be a whole number from 0 to 4294967295, or empty.");
    return QString();
}

void LineOfSightDialog::accept()
{
    if (!showProblem(lblProblem, problem()))
        QDialog::accept();
}

} // namespace Operations
} // namespace Ui
