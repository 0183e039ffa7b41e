#pragma once

#include "Core/Operations/View/changetotalvolumevisualizationoptions.h"

#include <QColor>
#include <QDialog>
#include <QMap>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace Ui {
namespace Operations {

/// "Change Volume Visualization Options": film colours per material and the surface algorithm,
/// particle distribution and colour scale of one cell volume.
class ChangeVolumeVisualizationDialog : public QDialog {
    Q_OBJECT
public:
    explicit ChangeVolumeVisualizationDialog(const Core::Operations::VisualizationOptions &options,
                                             QWidget *parent = nullptr);

    Core::Operations::VisualizationOptions options() const;
    /// The colours chosen in this dialog, by material identifier.
    QMap<uint32_t, QColor> pendingColors() const { return m_pendingColors; }
    /// Keeps a new colour for a material and shows it in the swatch when that material is selected.
    void setPendingColor(uint32_t materialId, const QColor &color);
    uint32_t selectedMaterial() const;

    QTabWidget *tabs() const { return m_tabs; }
    QComboBox *materialBox() const { return cbxMaterial; }
    QComboBox *algorithmBox() const { return cbxSurfaceAlgorithm; }
    QComboBox *distributionBox() const { return cbxDistribution; }
    QComboBox *colorScaleBox() const { return cbxColorScale; }
    QLabel *swatch() const { return lblColor; }

    /// "background-color : #rrggbb", the swatch's style.
    static QString swatchStyle(const QColor &color);

private slots:
    void on_btnChangeColor_clicked();
    void showSelectedColor();

private:
    QTabWidget *m_tabs;
    QCheckBox *chkRenderSiAtoms;
    QCheckBox *chkRenderSurfaceAtomsOnly;
    QCheckBox *chkRenderSiAtomLinks;
    QCheckBox *chkRenderSiUnitCellOutlines;
    QCheckBox *chkRenderSiUnitCells;
    QCheckBox *chkRenderEmptyVoxelOutlines;
    QComboBox *cbxMaterial;
    QPushButton *btnChangeColor;
    QLabel *lblColor;
    QComboBox *cbxSurfaceAlgorithm;
    QComboBox *cbxDistribution;
    QComboBox *cbxColorScale;
    QMap<uint32_t, QColor> m_pendingColors;
};

} // namespace Operations
} // namespace Ui
