#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

class QSpinBox;

namespace Ui {
namespace Operations {

/// Options of planarization: cells below the minimum and at or above the maximum height go.
/// The minimum never exceeds the maximum the dialog currently shows.
class PlanarizationDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::PlanarizationOptionsDialog")
public:
    explicit PlanarizationDialog(QWidget *parent = nullptr);

    /// Bounds both heights by the volume's nz; the maximum starts at nz unless a lower one is remembered.
    void setHeightLimit(unsigned nz);
    QDialog &dialog() override { return *this; }
    /// Fills the spin boxes from the "Maximum Height" and "Minimum Height" parameters that are present.
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step bounds the heights by its volume's.
    void setContext(const ProcessDialogContext &context) override;

    unsigned maximumHeight() const;
    unsigned minimumHeight() const;
    QSpinBox *maximumSpinBox() const { return m_sbxMaximum; }
    QSpinBox *minimumSpinBox() const { return m_sbxMinimum; }

public slots:
    void updateMinimumLimits();

private:
    QSpinBox *m_sbxMinimum;
    QSpinBox *m_sbxMaximum;
};

} // namespace Operations
} // namespace Ui
