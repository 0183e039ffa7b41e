#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of simple doping: the doped material (one compatible with "Simple Doping") and the
/// doping depth.
class DopingDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::DopingOptionsDialog")
public:
    explicit DopingDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    double depth() const;
    /// Lowers a doping depth that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);

    QDialog &dialog() override { return *this; }
    /// Takes "Doping Depth" and "Doped Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step fits the depth to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblDepth;
};

} // namespace Operations
} // namespace Ui
