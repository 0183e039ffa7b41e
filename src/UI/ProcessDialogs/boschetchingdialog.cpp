#include "UI/ProcessDialogs/boschetchingdialog.h"

#include "Core/Engines/LineOfSight/boschetching.h"
#include "Core/Processes/boschetchingprocess.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/materiallist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace Ui {
namespace Operations {

namespace {

using Engine = Core::Operations::BoschEtching;
using Core::Processes::BoschEtchingParameters;

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

BoschEtchingDialog::BoschEtchingDialog(QWidget *parent)
    : QDialog(parent)
{
    const BoschEtchingParameters defaults;
    setObjectName(QStringLiteral("BoschEtchingDialog"));
    setWindowTitle(QStringLiteral("Bosch Etching"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillForProcess(
        cbxMaterial,
        Core::Processes::ProcessRegistry::get<Core::Processes::BoschEtchingProcess>().compatibleProcessId());
    MaterialList::select(cbxMaterial, defaults.material);
    form->addRow(QStringLiteral("Etched material"), cbxMaterial);
    spnCycles = new QSpinBox(this);
    spnCycles->setObjectName(QStringLiteral("spnCycles"));
    spnCycles->setRange(1, int(Engine::largestCycleCount));
    spnCycles->setValue(10);
    form->addRow(QStringLiteral("Cycles"), spnCycles);
    dblEtchPerCycle = spinBox(this, "dblEtchPerCycle", 0.0, Engine::largestAmount, 2, 4.0);
    dblEtchPerCycle->setSuffix(QStringLiteral(" cells"));
    dblEtchPerCycle->setToolTip(QStringLiteral("On a flat open surface; narrow openings etch less."));
    form->addRow(QStringLiteral("Etch Per Cycle"), dblEtchPerCycle);
    dblPassivationThickness = spinBox(this, "dblPassivationThickness", 0.0, Engine::largestAmount, 2, 1.0);
    dblPassivationThickness->setSuffix(QStringLiteral(" cells"));
    form->addRow(QStringLiteral("Passivation Thickness"), dblPassivationThickness);
    // The smallest share the box shows is 0.0001: four decimals.
    dblReactionProbability = spinBox(this, "dblReactionProbability", 0.0001, 1.0, 4, defaults.reactionProbability);
    dblReactionProbability->setSingleStep(0.05);
    dblReactionProbability->setToolTip(QStringLiteral("The share of the radicals that etch where they meet the "
                                                      "material; the others are scattered on."));
    form->addRow(QStringLiteral("Reaction Probability"), dblReactionProbability);
    cbxPassivationMaterial = new QComboBox(this);
    cbxPassivationMaterial->setObjectName(QStringLiteral("cbxPassivationMaterial"));
    MaterialList::fillWithAll(cbxPassivationMaterial);
    MaterialList::select(cbxPassivationMaterial, defaults.passivationMaterial);
    form->addRow(QStringLiteral("Passivation Material"), cbxPassivationMaterial);
    chkStripPassivation = new QCheckBox(QStringLiteral("Strip Passivation"), this);
    chkStripPassivation->setObjectName(QStringLiteral("chkStripPassivation"));
    chkStripPassivation->setChecked(defaults.stripPassivation);
    chkStripPassivation->setToolTip(QStringLiteral("Takes the film away after the last cycle."));
    form->addRow(chkStripPassivation);
    lieSeed = makeSeedEdit(this);
    form->addRow(QStringLiteral("Random Seed"), lieSeed);
    lblProblem = makeProblemLabel(this);
    form->addRow(lblProblem);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

void BoschEtchingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(cbxMaterial, parameters.value(Parameter::MaterialId).toUInt());
    if (parameters.contains(Parameter::Cycles))
        spnCycles->setValue(int(std::min(parameters.value(Parameter::Cycles).toUInt(), Engine::largestCycleCount)));
    if (parameters.contains(Parameter::EtchPerCycle))
        dblEtchPerCycle->setValue(parameters.value(Parameter::EtchPerCycle).toDouble());
    if (parameters.contains(Parameter::PassivationThickness))
        dblPassivationThickness->setValue(parameters.value(Parameter::PassivationThickness).toDouble());
    if (parameters.contains(Parameter::ReactionProbability))
        dblReactionProbability->setValue(parameters.value(Parameter::ReactionProbability).toDouble());
    const QString passivationId = Parameter::materialId(Parameter::PassivationMaterial);
    if (parameters.contains(passivationId))
        MaterialList::select(cbxPassivationMaterial, parameters.value(passivationId).toUInt());
    if (parameters.contains(Parameter::StripPassivation))
        chkStripPassivation->setChecked(parameters.value(Parameter::StripPassivation).toBool());
    if (parameters.contains(Parameter::RandomSeed)) {
        const QVariant seed = parameters.value(Parameter::RandomSeed);
        lieSeed->setText(seed.isValid() ? QString::number(seed.toUInt()) : QString());
    }
}

std::optional<uint32_t> BoschEtchingDialog::typedSeed() const
{
    bool ok = false;
    const uint value = lieSeed->text().trimmed().toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return uint32_t(value);
}

QVariantMap BoschEtchingDialog::parameters() const
{
    BoschEtchingParameters params;
    params.material = MaterialList::selected(cbxMaterial);
    params.cycles = uint32_t(spnCycles->value());
    params.etchPerCycle = dblEtchPerCycle->value();
    params.passivationThickness = dblPassivationThickness->value();
    params.reactionProbability = dblReactionProbability->value();
    params.passivationMaterial = MaterialList::selected(cbxPassivationMaterial);
    params.stripPassivation = chkStripPassivation->isChecked();
    params.seed = typedSeed();
    return Core::Processes::ProcessRegistry::get<Core::Processes::BoschEtchingProcess>().values(params);
}

QString BoschEtchingDialog::problem() const
{
    if (cbxMaterial->currentIndex() < 0)
        return QStringLiteral("Choose a material to etch.");
    if (cbxPassivationMaterial->currentIndex() < 0)
        return QStringLiteral("Choose a passivation material.");
    if (MaterialList::selected(cbxPassivationMaterial) == MaterialList::selected(cbxMaterial))
        return QStringLiteral("The passivation material must differ from the etched material.");
    if (!lieSeed->text().trimmed().isEmpty() && !typedSeed())
        return QStringLiteral("The random seed must be a whole number from 0 to 4294967295, or empty.");
    return QString();
}

void BoschEtchingDialog::accept()
{
    if (!showProblem(lblProblem, problem()))
        QDialog::accept();
}

} // namespace Operations
} // namespace Ui
