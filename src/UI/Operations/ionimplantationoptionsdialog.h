#pragma once

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of ion implantation: the doped material (one compatible with catalogue process 15),
/// the implantation depth, the vertical spread and the annealing distance.
class IonImplantationOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit IonImplantationOptionsDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    double depth() const;
    double spread() const;
    double annealingDistance() const;
    /// Lowers the depth, spread and annealing distance that would reach past the volume's height
    /// (in cells) to that height.
    void setVolumeHeight(double height);
    /// Takes "Implantation Depth", "Vertical Spread", "Annealing Distance" and "Doped Material_Id".
    void setParameters(const QVariantMap &parameters);

private:
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblDepth;
    QDoubleSpinBox *dblSpread;
    QDoubleSpinBox *dblAnnealing;
};

} // namespace Operations
} // namespace Ui
