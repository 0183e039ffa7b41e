#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of ion implantation: the doped material (one compatible with catalogue process 15),
/// the implantation depth, the vertical spread and the annealing distance.
class IonImplantationDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::IonImplantationOptionsDialog")
public:
    explicit IonImplantationDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    double depth() const;
    double spread() const;
    double annealingDistance() const;
    /// Lowers the depth, spread and annealing distance that would reach past the volume's height
    /// (in cells) to that height.
    void setVolumeHeight(double height);

    QDialog &dialog() override { return *this; }
    /// Takes "Implantation Depth", "Vertical Spread", "Annealing Distance" and "Doped Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step fits the lengths to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblDepth;
    QDoubleSpinBox *dblSpread;
    QDoubleSpinBox *dblAnnealing;
};

} // namespace Operations
} // namespace Ui
