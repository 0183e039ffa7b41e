#pragma once

#include <QDialog>

class QComboBox;
class QSpinBox;

namespace Ui {
namespace Operations {

/// Options of "Pour Material": the material and the height up to which empty cells are filled.
class SpinCoatingOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SpinCoatingOptionsDialog(QWidget *parent = nullptr);

    /// Bounds the deposition height by the volume's nz.
    void setHeightLimit(unsigned nz);

    unsigned material() const;
    unsigned depositionHeight() const;
    QComboBox *materialComboBox() const { return m_cbxMaterial; }
    QSpinBox *heightSpinBox() const { return m_sbxHeight; }

private:
    QComboBox *m_cbxMaterial;
    QSpinBox *m_sbxHeight;
};

} // namespace Operations
} // namespace Ui
