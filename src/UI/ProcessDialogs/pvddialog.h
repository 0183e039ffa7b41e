#pragma once

#include "Core/Processes/pvdprocess.h"
#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;
class QRadioButton;

namespace Ui {
namespace Operations {

/// Options of physical vapour deposition: material, film thickness, horizontal ratio and the
/// side the film grows from.
class PvdDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::PVDOptionsDialog")
public:
    explicit PvdDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    double thickness() const;
    double ratio() const;
    /// Lowers a film thickness that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    /// The side of the checked button.
    Core::Processes::PvdSide side() const;
    QDialog &dialog() override { return *this; }
    /// Takes "Thickness", "Horizontal to Vertical Ratio", "DepositOn" and "Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step fits the thickness to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblThickness;
    QDoubleSpinBox *dblRatio;
    QRadioButton *radTop;
    QRadioButton *radBoth;
    QRadioButton *radBottom;
};

} // namespace Operations
} // namespace Ui
