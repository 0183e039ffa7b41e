#pragma once

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of isotropic deposition and CVD: film thickness and a material compatible with the
/// process the dialog is opened for (18 "Isotropic Deposition" or 3 "CVD").
class IsotropicDepositionDialog : public QDialog {
    Q_OBJECT
public:
    explicit IsotropicDepositionDialog(uint32_t processId, QWidget *parent = nullptr);

    double thickness() const;
    /// Lowers a film thickness that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    uint32_t material() const;
    /// Takes "Film Thickness" (or "Thickness") and "Material_Id" from a process-list step.
    void setParameters(const QVariantMap &parameters);

private:
    QDoubleSpinBox *dblThickness;
    QComboBox *cbxMaterial;
};

} // namespace Operations
} // namespace Ui
