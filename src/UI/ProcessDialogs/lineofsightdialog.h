#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>
#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

namespace Core {
namespace Processes {
class LineOfSightProcess;
}
} // namespace Core

namespace Ui {
namespace Operations {

/// Options of line-of-sight deposition and etching: the material, the film thickness (etch
/// depth) on a flat open surface in cells, the sticking coefficient (reaction probability), the
/// exponent of the source's cos^n distribution and an optional random seed.
class LineOfSightDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit LineOfSightDialog(const Core::Processes::LineOfSightProcess &process, QWidget *parent = nullptr);

    QDialog &dialog() override { return *this; }
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;

    /// The seed typed in; none when the field is empty or holds no whole number up to 4294967295.
    std::optional<uint32_t> typedSeed() const;
    /// What keeps OK from closing the dialog, or an empty text.
    QString problem() const;

public slots:
    void accept() override;

private:
    const Core::Processes::LineOfSightProcess &m_process;
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblAmount;
    QDoubleSpinBox *dblSticking;
    QDoubleSpinBox *dblExponent;
    QLineEdit *lieSeed;
    QLabel *lblProblem;
};

} // namespace Operations
} // namespace Ui
