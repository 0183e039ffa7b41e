#pragma once

#include "Core/BatchRun/processdata.h"

#include <QDialog>
#include <QMap>

class QComboBox;
class QFormLayout;
class QWidget;

namespace Ui {

/// The option dialog of a process-list step, built from the step type's parameters: a field per
/// value, a choice of the compatible materials for each material, a file field with a chooser for
/// mask images and image files. It stands in for every process whose own option dialog is not
/// wired to the list editor.
class StepOptionsDialog : public QDialog {
    Q_OBJECT
public:
    /// Fills the fields from `step` (defaults where it has no value).
    StepOptionsDialog(const ProcessData &step, QWidget *parent = nullptr);

    /// The dialog's values as parameters of a step of the same type.
    QMap<QString, QVariant> values() const;
    /// The widget that edits a parameter (for tests), or null.
    QWidget *field(const QString &name) const { return m_fields.value(name); }

    /// A mask from a black-and-white image: bit (x, y) is set where pixel (x, H - 1 - y) is pure
    /// black or pure red. False when the image cannot be read.
    static bool maskFromImage(const QString &fileName, QByteArray &mask, uint &width, uint &height);

private:
    void addField(QFormLayout *layout, const QString &name, int kind, const QVariant &value);

    int m_type;
    QMap<QString, QWidget *> m_fields;
    QMap<QString, QComboBox *> m_materials;
    QMap<QString, int> m_kinds;
};

/// Opens the option dialog of a step type for a new step (`adding`) or an existing one; on OK
/// writes the values into `step` (new steps get their default visibilities, existing ones keep
/// theirs). Returns whether the user pressed OK.
bool editStep(QWidget *parent, ProcessData &step, bool adding);

} // namespace Ui
