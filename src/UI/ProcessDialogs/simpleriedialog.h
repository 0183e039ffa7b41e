#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace Ui {
namespace Operations {

/// Options of the simple reactive ion etching: depth in cells, material and etch directions.
class SimpleRieDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::SimpleRIEDialog")
public:
    explicit SimpleRieDialog(QWidget *parent = nullptr);

    int depth() const;
    uint32_t material() const;
    bool etchFromTop() const;
    bool etchFromBelow() const;
    QDialog &dialog() override { return *this; }
    /// Takes "Etch Depth", "EtchDirectionValue" and "Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;

private:
    QSpinBox *sbxDepth;
    QComboBox *cbxMaterial;
    QCheckBox *chkFromBelow;
    QCheckBox *chkFromTop;
};

} // namespace Operations
} // namespace Ui
