#pragma once

#include "Core/Engines/RandomWalk/randomwalkdopinginput.h"
#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>
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
/// Given the volume's cell count it shows how long the walk will take, and asks before a walk of
/// more than an hour starts.
class RandomWalkDopingDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit RandomWalkDopingDialog(QWidget *parent = nullptr);

    /// The values in the dialog's units; fields that are empty or not numbers read as 0.
    Core::Operations::RandomWalkDopingInput input() const;
    /// The seed typed in; none when the field is empty or hidden (the clock seeds the run).
    std::optional<uint64_t> seed() const override;
    /// Why OK is refused, or an empty text.
    QString problem() const;
    QDialog &dialog() override { return *this; }
    /// Fills the fields from a step's values ("Doping Time", "Material_Id", "Diffusion Coefficient",
    /// "Cell Size", "Time Step Duration", "Surface Concentration", "Doping Threshold").
    void setParameters(const QVariantMap &parameters) override;
    /// The fields' values in the dialog's units, under those names.
    QVariantMap parameters() const override;
    /// A window's step estimates the walk on its volume; a list's step has no seed field.
    void setContext(const ProcessDialogContext &context) override;
    /// Process lists carry no seed: the list editor hides the field.
    void setSeedShown(bool shown);
    /// The cells of the volume the walk will run on; 0 (the default): unknown, no estimate.
    void setCellCount(uint64_t cells);
    /// The estimate shown for the values as they are, or an empty text.
    QString estimate() const;

public slots:
    void accept() override;

private:
    void updateEstimate();
    /// Whether a walk estimated to last `text` may start.
    bool confirmLongRun(const QString &text);

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
    QLabel *lblEstimate;
    bool m_seedShown = true;
    uint64_t m_cells = 0;
};

} // namespace Operations
} // namespace Ui
