#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of electroplating: film thickness, the deposited and the conducting material (any
/// material of the catalogue).
class ElectroplatingDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::ElectrodepositionDialog")
public:
    explicit ElectroplatingDialog(QWidget *parent = nullptr);

    double thickness() const;
    /// Lowers a film thickness that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    uint32_t depositedMaterial() const;
    uint32_t conductingMaterial() const;
    QDialog &dialog() override { return *this; }
    /// Takes "Film Thickness", "Deposited Material_Id" and "Conducting Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step fits the thickness to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    QDoubleSpinBox *dblThickness;
    QComboBox *cbxMaterial;
    QComboBox *cbxConductingMaterial;
};

} // namespace Operations
} // namespace Ui
