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
/// process list also the etch model ("BCA" bond counting or "CCA" continuous automaton).
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
    /// Takes "Depth" and "Etch Model" (absent means "BCA").
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A list's step offers the model choice; the window's commands fix the model.
    void setContext(const ProcessDialogContext &context) override;

private:
    QDoubleSpinBox *dblDepth;
    QLabel *lblModel;
    QComboBox *cbxModel;
};

} // namespace Operations
} // namespace Ui
