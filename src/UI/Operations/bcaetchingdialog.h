#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace Ui {
namespace Operations {

/// "Wet Etching Options" of both atomistic silicon wet etches: the etch depth in cells, and in a
/// process list also the etch model ("BCA" bond counting or "CCA" continuous automaton).
class BCAEtchingDialog : public QDialog {
    Q_OBJECT
public:
    explicit BCAEtchingDialog(QWidget *parent = nullptr);

    double depth() const;
    /// Offers the choice of the etch model (hidden unless asked for).
    void showModelChoice();
    /// "BCA" or "CCA".
    QString model() const;
    /// Takes "Depth" and "Etch Model" (absent means "BCA").
    void setParameters(const QVariantMap &parameters);

private:
    QDoubleSpinBox *dblDepth;
    QLabel *lblModel;
    QComboBox *cbxModel;
};

} // namespace Operations
} // namespace Ui
