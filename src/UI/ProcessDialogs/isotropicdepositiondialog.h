#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Core {
namespace Processes {
class IsotropicDepositionProcess;
}
} // namespace Core

namespace Ui {
namespace Operations {

/// Options of isotropic deposition and CVD: film thickness and a material compatible with the
/// process the dialog is opened for ("Isotropic Deposition" or "CVD").
class IsotropicDepositionDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit IsotropicDepositionDialog(const Core::Processes::IsotropicDepositionProcess &process,
                                       QWidget *parent = nullptr);

    double thickness() const;
    /// Lowers a film thickness that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    uint32_t material() const;

    QDialog &dialog() override { return *this; }
    /// Takes the process's thickness ("Film Thickness" or "Thickness") and "Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step fits the thickness to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    const Core::Processes::IsotropicDepositionProcess &m_process;
    QDoubleSpinBox *dblThickness;
    QComboBox *cbxMaterial;
};

} // namespace Operations
} // namespace Ui
