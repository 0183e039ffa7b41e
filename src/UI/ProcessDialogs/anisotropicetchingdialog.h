#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of anisotropic etching: material, horizontal ratio and etch depth.
class AnisotropicEtchingDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit AnisotropicEtchingDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    double ratio() const;
    double depth() const;
    /// Lowers an etch depth that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    QDialog &dialog() override { return *this; }
    /// Takes "Etch Depth", "Horizontal to Vertical Ratio" and "Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step fits the depth to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblRatio;
    QDoubleSpinBox *dblDepth;
};

} // namespace Operations
} // namespace Ui
