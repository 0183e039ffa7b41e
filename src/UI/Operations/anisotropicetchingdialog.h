#pragma once

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of anisotropic etching: material, horizontal ratio and etch depth.
class AnisotropicEtchingDialog : public QDialog {
    Q_OBJECT
public:
    explicit AnisotropicEtchingDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    double ratio() const;
    double depth() const;
    /// Lowers an etch depth that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    /// Takes "Etch Depth", "Horizontal to Vertical Ratio" and "Material_Id".
    void setParameters(const QVariantMap &parameters);

private:
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblRatio;
    QDoubleSpinBox *dblDepth;
};

} // namespace Operations
} // namespace Ui
