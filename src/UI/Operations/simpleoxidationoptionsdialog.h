#pragma once

#include <QDialog>
#include <QVariantMap>

class QDoubleSpinBox;
class QRadioButton;

namespace Ui {
namespace Operations {

/// Options of thermal oxidation: the oxide thickness in micrometres, or the oxidation time,
/// temperature and pressure (Deal-Grove); and the cells per micrometre.
class SimpleOxidationOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SimpleOxidationOptionsDialog(QWidget *parent = nullptr);

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
    /// Takes "OxidationTimeSet", "Oxidation Thickness", "Oxidation Time", "Oxidation Temperature",
    /// "Oxidation Pressure" and "Micron Conversion" from a process-list step.
    void setParameters(const QVariantMap &parameters);

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
