#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace Ui {
namespace Operations {

/// Options of Bosch etching: the etched material, the cycles, the etch per cycle and the
/// passivation thickness in cells, the etch's reaction probability, the passivating material,
/// whether it is stripped at the end and an optional random seed.
class BoschEtchingDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit BoschEtchingDialog(QWidget *parent = nullptr);

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
    QComboBox *cbxMaterial;
    QSpinBox *spnCycles;
    QDoubleSpinBox *dblEtchPerCycle;
    QDoubleSpinBox *dblPassivationThickness;
    QDoubleSpinBox *dblReactionProbability;
    QComboBox *cbxPassivationMaterial;
    QCheckBox *chkStripPassivation;
    QLineEdit *lieSeed;
    QLabel *lblProblem;
};

} // namespace Operations
} // namespace Ui
