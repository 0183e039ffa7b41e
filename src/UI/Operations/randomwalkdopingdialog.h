#pragma once

#include "Core/Operations/randomwalkdopinginput.h"

#include <QDialog>
#include <QVariantMap>

#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

namespace Ui {
namespace Operations {

/// "Random Walk Doping Options": doping time (minutes), doping material, diffusion coefficient
/// (cm^2/s), cell size (micrometres), time step (s), dopant concentration (cm^-3), threshold (% of
/// the concentration) and an optional random seed. OK is refused, with the reason shown in the
/// dialog, while a value is missing or the walk would be meaningless (a time step too long).
class RandomWalkDopingDialog : public QDialog {
    Q_OBJECT
public:
    explicit RandomWalkDopingDialog(QWidget *parent = nullptr);

    /// The values in the dialog's units; fields that are empty or not numbers read as 0.
    Core::Operations::RandomWalkDopingInput input() const;
    /// The seed typed in; none when the field is empty (the clock seeds the run).
    std::optional<uint64_t> seed() const;
    /// Why OK is refused, or an empty text.
    QString problem() const;
    /// Fills the fields from a process-list step ("Doping Time", "Material_Id", "Diffusion
    /// Coefficient", "Cell Size", "Time Step Duration", "Surface Concentration", "Doping Threshold").
    void setParameters(const QVariantMap &parameters);
    /// Process lists carry no seed: the list editor hides the field.
    void setSeedShown(bool shown);

public slots:
    void accept() override;

private:
    QDoubleSpinBox *dblDopingTime;
    QComboBox *cbxDopingMaterial;
    QLineEdit *lieDiffusionCoefficient;
    QLineEdit *lieCellSize;
    QLineEdit *lieTimeStep;
    QLineEdit *lieConcentration;
    QDoubleSpinBox *dblThreshold;
    QLineEdit *lieSeed;
    QLabel *lblSeed;
    QLabel *lblProblem;
    bool m_seedShown = true;
};

} // namespace Operations
} // namespace Ui
