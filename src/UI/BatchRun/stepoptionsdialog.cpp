#include "UI/BatchRun/stepoptionsdialog.h"

#include "Core/BatchRun/processvocabulary.h"
#include "UI/Dialogs/materiallist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace Ui {

using Core::Processes::ProcessStep;

namespace {

using Core::BatchRun::ParameterKind;

// Natural defaults for a new step, so that OK on an untouched form gives a runnable step.
QVariant defaultValue(const QString &name, ParameterKind kind)
{
    if (name == QLatin1String("OxidationTimeSet"))
        return true;
    if (name == QLatin1String("Micron Conversion"))
        return 1.0;
    switch (kind) {
    case ParameterKind::UInt:
        return 5u;
    case ParameterKind::Float:
    case ParameterKind::Double:
        return 5.0;
    case ParameterKind::Bool:
        return false;
    default:
        return QVariant();
    }
}

} // namespace

StepOptionsDialog::StepOptionsDialog(const ProcessStep &step, QWidget *parent)
    : QDialog(parent)
    , m_type(step.getProcessType())
{
    setWindowTitle(Core::BatchRun::displayName(m_type) + QStringLiteral(" Options"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    const auto parameters = step.getParameters();
    const QStringList bases = Core::BatchRun::materialBases(m_type);
    for (const auto &definition : Core::BatchRun::parameterDefinitions(m_type)) {
        // Materials are chosen by their identifier, and their names and colours follow from it;
        // the thickness flag of an oxidation is the opposite of its time flag.
        if (bases.contains(definition.name) || definition.name.endsWith(QLatin1String("_Color")) ||
            definition.name == QLatin1String("OxidationThicknessSet"))
            continue;
        const QVariant value = parameters.contains(definition.name) ? parameters.value(definition.name)
                                                                    : defaultValue(definition.name, definition.kind);
        addField(form, definition.name, definition.kind, value);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void StepOptionsDialog::addField(QFormLayout *form, const QString &name, ParameterKind kind, const QVariant &value)
{
    m_kinds.insert(name, kind);
    QWidget *widget = nullptr;
    if (name.endsWith(QLatin1String("_Id"))) {
        auto *combo = new QComboBox;
        Operations::MaterialList::fillWithAll(combo);
        Operations::MaterialList::select(combo, value.toUInt());
        m_materials.insert(name, combo);
        form->addRow(name.left(name.size() - 3), combo);
        m_fields.insert(name, combo);
        return;
    }
    switch (kind) {
    case ParameterKind::UInt: {
        auto *box = new QSpinBox;
        box->setRange(0, std::numeric_limits<int>::max());
        box->setValue(static_cast<int>(qMin<qulonglong>(value.toULongLong(), std::numeric_limits<int>::max())));
        widget = box;
        break;
    }
    case ParameterKind::Float:
    case ParameterKind::Double: {
        auto *box = new QDoubleSpinBox;
        box->setDecimals(6);
        box->setRange(-1e12, 1e12);
        box->setValue(value.toDouble());
        widget = box;
        break;
    }
    case ParameterKind::Bool: {
        auto *box = new QCheckBox;
        box->setChecked(value.toBool());
        widget = box;
        break;
    }
    default:
        // The processes served here have no other kinds of their own to edit.
        return;
    }
    form->addRow(name, widget);
    m_fields.insert(name, widget);
}

QMap<QString, QVariant> StepOptionsDialog::values() const
{
    QMap<QString, QVariant> result;
    for (auto it = m_fields.constBegin(); it != m_fields.constEnd(); ++it) {
        const QString &name = it.key();
        QWidget *w = it.value();
        if (auto *combo = m_materials.value(name)) {
            result.insert(name, QVariant::fromValue<uint>(Operations::MaterialList::selected(combo)));
        } else if (auto *spin = qobject_cast<QSpinBox *>(w)) {
            result.insert(name, QVariant::fromValue<uint>(static_cast<uint>(spin->value())));
        } else if (auto *dbl = qobject_cast<QDoubleSpinBox *>(w)) {
            const bool isFloat = m_kinds.value(name) == ParameterKind::Float;
            result.insert(name, isFloat ? QVariant(float(dbl->value())) : QVariant(dbl->value()));
        } else if (auto *check = qobject_cast<QCheckBox *>(w)) {
            result.insert(name, check->isChecked());
        }
    }
    if (result.contains(QStringLiteral("OxidationTimeSet")))
        result.insert(QStringLiteral("OxidationThicknessSet"),
                      !result.value(QStringLiteral("OxidationTimeSet")).toBool());
    return result;
}

} // namespace Ui
