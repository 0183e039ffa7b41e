#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QSlider;
class QSpinBox;

namespace Ui {
namespace Operations {

/// The box of cells that stays drawn: per axis a lower and an upper limit, each a slider coupled to
/// a spin box. A lower limit pushed onto its upper limit moves the upper one along, and back. With
/// "Preview" checked every change asks for all six limits to be applied at once.
class CutCellVolumeDialog : public QDialog {
    Q_OBJECT
public:
    using Triple = std::array<uint32_t, 3>;

    explicit CutCellVolumeDialog(QWidget *parent = nullptr);

    /// Bounds each lower limit by 0 .. n - 1 and each upper limit by 1 .. n, and shows `lower` and `upper`.
    void setVolume(const Triple &size, const Triple &lower, const Triple &upper);

    Triple lower() const;
    Triple upper() const;
    bool isPreview() const;

public slots:
    /// Every lower limit to 0, every upper limit to the axis' cell count.
    void reset();

signals:
    /// Preview is checked and a limit changed: these are all six limits now.
    void previewRequested(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper);

private:
    struct Axis {
        QSlider *sldLower = nullptr;
        QSpinBox *sbxLower = nullptr;
        QSlider *sldUpper = nullptr;
        QSpinBox *sbxUpper = nullptr;
        uint32_t size = 1;
    };

    QWidget *makeAxisGroup(int axis, const QString &name, const QString &lowerTip, const QString &upperTip);
    void lowerChanged(int axis, int value);
    void upperChanged(int axis, int value);
    /// Runs one change, with the pushes it causes, and previews once when the outermost change ends.
    template <class Change> void change(Change &&work);

    std::array<Axis, 3> m_axes;
    QCheckBox *chkPreview;
    int m_changeDepth = 0;
    bool m_loading = false;
};

} // namespace Operations
} // namespace Ui
