#pragma once

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of isotropic etching: etch depth and a material compatible with "Isotropic Etching".
class IsotropicEtchingDialog : public QDialog {
    Q_OBJECT
public:
    explicit IsotropicEtchingDialog(QWidget *parent = nullptr);

    double depth() const;
    /// Lowers an etch depth that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    uint32_t material() const;
    /// Takes "Depth" and "Material_Id" from a process-list step.
    void setParameters(const QVariantMap &parameters);

private:
    QDoubleSpinBox *dblDepth;
    QComboBox *cbxMaterial;
};

} // namespace Operations
} // namespace Ui
