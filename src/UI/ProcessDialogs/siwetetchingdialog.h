#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace Ui {
namespace Operations {

/// "Wet Etching Options" of both atomistic silicon wet etches: the etch depth in cells, and in a
/// process list also the etch model ("BCA" bond counting or "CCA" continuous automaton). Or an
/// etch bath (etchant, concentration, temperature), a time, the cell size and the wafer's crystal,
/// with the (100) rate and depth the bath gives shown before the run.
class SiWetEtchingDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::BCAEtchingDialog")
public:
    explicit SiWetEtchingDialog(QWidget *parent = nullptr);

    double depth() const;
    /// Offers the choice of the etch model (hidden unless asked for).
    void showModelChoice();
    /// "BCA" or "CCA".
    QString model() const;
    QDialog &dialog() override { return *this; }
    /// The bath's etchant, empty when the etch goes by depth.
    QString etchant() const;
    /// What the bath gives: "(100): 0.797 µm/min, 7.97 µm in 10 min", or why it is refused.
    QString bathSummary() const;
    /// Takes "Depth" and "Etch Model" (absent means "BCA") and the bath's values.
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A list's step offers the model choice; the window's commands fix the model.
    void setContext(const ProcessDialogContext &context) override;

private:
    void updateBath();

    QDoubleSpinBox *dblDepth;
    QComboBox *cbxEtchant;
    QDoubleSpinBox *dblConcentration;
    QDoubleSpinBox *dblTemperature;
    QDoubleSpinBox *dblEtchTime;
    QDoubleSpinBox *dblCellSize;
    QComboBox *cbxOrientation;
    QDoubleSpinBox *dblFlatAngle;
    QDoubleSpinBox *dblOxideEtchRate;
    QLabel *lblBath;
    QLabel *lblModel;
    QComboBox *cbxModel;
};

} // namespace Operations
} // namespace Ui
