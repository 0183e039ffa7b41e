#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QSpinBox;

namespace Ui {
namespace Operations {

/// Options of "Pour Material": the material and the height up to which empty cells are filled.
class SpinCoatingDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::SpinCoatingOptionsDialog")
public:
    explicit SpinCoatingDialog(QWidget *parent = nullptr);

    /// Bounds the deposition height by the volume's nz.
    void setHeightLimit(unsigned nz);

    unsigned material() const;
    unsigned depositionHeight() const;
    QComboBox *materialComboBox() const { return m_cbxMaterial; }
    QSpinBox *heightSpinBox() const { return m_sbxHeight; }

    QDialog &dialog() override { return *this; }
    /// Takes "Material_Id" and "Maximum Height".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// A window's step bounds the height by its volume's.
    void setContext(const ProcessDialogContext &context) override;

private:
    QComboBox *m_cbxMaterial;
    QSpinBox *m_sbxHeight;
};

} // namespace Operations
} // namespace Ui
