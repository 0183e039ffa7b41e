#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of anisotropic deposition: material, film thickness and horizontal ratio.
class AnisotropicDepositionDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit AnisotropicDepositionDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    double thickness() const;
    double ratio() const;
    /// Lowers a film thickness that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    QDialog &dialog() override { return *this; }
    /// Takes "Film Thickness", "Horizontal to Vertical Ratio" and "Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step fits the thickness to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblThickness;
    QDoubleSpinBox *dblRatio;
};

} // namespace Operations
} // namespace Ui
