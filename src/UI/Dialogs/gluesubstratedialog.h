#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QSpinBox;

namespace Ui {
namespace Operations {

/// Options of gluing two cell volumes: the final size (only its height can grow beyond what the two
/// volumes need), the sideways displacement of the top volume and whether it is turned over.
class GlueSubstrateDialog : public QDialog {
    Q_OBJECT
public:
    explicit GlueSubstrateDialog(QWidget *parent = nullptr);

    /// Fixes the footprint at (wideX, wideY), lets the height start at the stacked height and the
    /// displacement run up to the room on each axis.
    void setLimits(uint32_t wideX, uint32_t wideY, uint32_t stackedHeight, uint32_t roomX, uint32_t roomY);

    uint32_t finalSizeX() const;
    uint32_t finalSizeY() const;
    uint32_t finalSizeZ() const;
    uint32_t displacementX() const;
    uint32_t displacementY() const;
    bool invert() const;

private:
    QSpinBox *sbxFinalSizeX;
    QSpinBox *sbxFinalSizeY;
    QSpinBox *sbxFinalSizeZ;
    QSpinBox *sbxDisplacementX;
    QSpinBox *sbxDisplacementY;
    QCheckBox *chkInvert;
};

} // namespace Operations
} // namespace Ui
