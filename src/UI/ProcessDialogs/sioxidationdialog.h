#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

class QDoubleSpinBox;
class QRadioButton;

namespace Ui {
namespace Operations {

/// Options of thermal oxidation: the oxide thickness in micrometres, or the oxidation time,
/// temperature and pressure (Deal-Grove); and the cells per micrometre.
class SiOxidationDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::SimpleOxidationOptionsDialog")
public:
    explicit SiOxidationDialog(QWidget *parent = nullptr);

    /// True when "Oxidation Time" is chosen.
    bool byTime() const;
    double thickness() const;
    double time() const;
    double temperature() const;
    double pressure() const;
    double conversion() const;
    /// Lowers an oxide thickness that would reach past the volume's height (in cells) at the
    /// dialog's cells per micrometre to that height.
    void setVolumeHeight(double height);

    QDialog &dialog() override { return *this; }
    /// Takes "OxidationTimeSet", "Oxidation Thickness", "Oxidation Time", "Oxidation Temperature",
    /// "Oxidation Pressure" and "Micron Conversion".
    void setParameters(const QVariantMap &parameters) override;
    /// The values of both modes, and the mode.
    QVariantMap parameters() const override;
    /// A window's step fits the thickness to its volume's height.
    void setContext(const ProcessDialogContext &context) override;

private:
    void updateMode();

    QRadioButton *radThickness;
    QDoubleSpinBox *dblThickness;
    QRadioButton *radTime;
    QDoubleSpinBox *dblTime;
    QDoubleSpinBox *dblTemperature;
    QDoubleSpinBox *dblPressure;
    QDoubleSpinBox *dblConversion;
};

} // namespace Operations
} // namespace Ui
