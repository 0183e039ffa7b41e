#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QLabel;
class QSpinBox;

namespace Core {
namespace Processes {
class MooreProcess;
}
} // namespace Core

namespace Ui {
namespace Operations {

/// Options of the Moore-neighbourhood deposition and etching: a film and a count of cell layers,
/// named for the process the dialog is opened for ("Film Thickness" or "Etch Depth").
class MooreDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::MooreOptionsDialog")
public:
    explicit MooreDialog(const Core::Processes::MooreProcess &process, QWidget *parent = nullptr);

    QString valueLabel() const;
    unsigned value() const;
    unsigned material() const;

    QDialog &dialog() override { return *this; }
    /// Takes the process's count ("Thickness" or "Depth") and "Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;

private:
    const Core::Processes::MooreProcess &m_process;
    QLabel *m_lblValue;
    QSpinBox *m_sbxValue;
    QComboBox *m_cbxFilm;
};

} // namespace Operations
} // namespace Ui
