#pragma once

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of electroplating: film thickness, the deposited and the conducting material (any
/// material of the catalogue).
class ElectrodepositionDialog : public QDialog {
    Q_OBJECT
public:
    explicit ElectrodepositionDialog(QWidget *parent = nullptr);

    double thickness() const;
    /// Lowers a film thickness that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    uint32_t depositedMaterial() const;
    uint32_t conductingMaterial() const;
    /// Takes "Film Thickness", "Deposited Material_Id" and "Conducting Material_Id".
    void setParameters(const QVariantMap &parameters);

private:
    QDoubleSpinBox *dblThickness;
    QComboBox *cbxMaterial;
    QComboBox *cbxConductingMaterial;
};

} // namespace Operations
} // namespace Ui
