#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of isotropic etching: etch depth and a material compatible with "Isotropic Etching".
class IsotropicEtchingDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit IsotropicEtchingDialog(QWidget *parent = nullptr);

    double depth() const;
    /// Lowers an etch depth that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    uint32_t material() const;
    QDialog &dialog() override { return *this; }
    /// Takes "Depth" and "Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step fits the depth to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    QDoubleSpinBox *dblDepth;
    QComboBox *cbxMaterial;
};

} // namespace Operations
} // namespace Ui
