#pragma once

#include "Core/Processes/parameterdefinition.h"
#include "Core/Processes/processstep.h"

#include <QDialog>
#include <QMap>

class QComboBox;
class QFormLayout;
class QWidget;

namespace Ui {

/// The generic option form of a process-list step, built from the step type's parameters: a
/// field per number or flag and a choice of every catalogue material for each material. It
/// serves the processes that have no option dialog of their own yet (Si wet etching, doping,
/// ion implantation, Si oxidation and random-walk doping).
class StepOptionsDialog : public QDialog {
    Q_OBJECT
public:
    /// Fills the fields from `step` (defaults where it has no value).
    StepOptionsDialog(const Core::Processes::ProcessStep &step, QWidget *parent = nullptr);

    /// The dialog's values as parameters of a step of the same type.
    QMap<QString, QVariant> values() const;
    /// The widget that edits a parameter (for tests), or null.
    QWidget *field(const QString &name) const { return m_fields.value(name); }

private:
    void addField(QFormLayout *layout, const QString &name, Core::Processes::ParameterKind kind, const QVariant &value);

    int m_type;
    QMap<QString, QWidget *> m_fields;
    QMap<QString, QComboBox *> m_materials;
    QMap<QString, Core::Processes::ParameterKind> m_kinds;
};

} // namespace Ui
