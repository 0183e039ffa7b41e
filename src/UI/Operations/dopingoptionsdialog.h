#pragma once

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;

namespace Ui {
namespace Operations {

/// Options of simple doping: the doped material (one compatible with "Simple Doping") and the
/// doping depth.
class DopingOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit DopingOptionsDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    double depth() const;
    /// Lowers a doping depth that would reach past the volume's height (in cells) to that height.
    void setVolumeHeight(double height);
    /// Takes "Doping Depth" and "Doped Material_Id" from a process-list step.
    void setParameters(const QVariantMap &parameters);

private:
    QComboBox *cbxMaterial;
    QDoubleSpinBox *dblDepth;
};

} // namespace Operations
} // namespace Ui
