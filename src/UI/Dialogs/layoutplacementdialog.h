#pragma once

#include "Core/Formats/layoutmask.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace Ui {
namespace Operations {

/// Places a layer of a GDSII layout over the volume's columns: the layer (with its datatype) out of
/// those the file holds, the scale in micrometres per cell and the layout point at the corner of
/// column (0, 0). Choosing a layer fits its shapes to the volume, which "Fit to Volume" repeats.
class LayoutPlacementDialog : public QDialog {
    Q_OBJECT
public:
    LayoutPlacementDialog(const Core::Operations::GdsLayout &layout, uint32_t columnsX, uint32_t columnsY,
                          QWidget *parent = nullptr);

    Core::Operations::LayoutPlacement placement() const;

    QComboBox *layerComboBox() const { return m_cbxLayer; }
    QDoubleSpinBox *scaleSpinBox() const { return m_dblScale; }
    QDoubleSpinBox *offsetXSpinBox() const { return m_dblOffsetX; }
    QDoubleSpinBox *offsetYSpinBox() const { return m_dblOffsetY; }

public slots:
    /// The scale and offset that fit the chosen layer's shapes into the volume, centred.
    void fitToVolume();

private:
    const Core::Operations::GdsLayout &m_layout;
    QVector<Core::Operations::LayoutLayer> m_layers;
    uint32_t m_columnsX;
    uint32_t m_columnsY;
    QComboBox *m_cbxLayer;
    QDoubleSpinBox *m_dblScale;
    QDoubleSpinBox *m_dblOffsetX;
    QDoubleSpinBox *m_dblOffsetY;
    QLabel *m_lblExtent;
    QPushButton *m_btnFit;
};

} // namespace Operations
} // namespace Ui
