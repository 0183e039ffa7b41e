#pragma once

#include "Core/Formats/layoutmask.h"
#include "Core/Formats/maskimage.h"

#include <QGroupBox>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace Util {
class RunControl;
}

namespace Ui {
namespace Operations {

/// One mask of a mask dialog: a file name, a "..." chooser, "Apply" (load the image and hand the
/// mask on at once, so the volume shows it while the dialog is open) and "Remove". A group that
/// accepts layouts also takes GDSII files: Apply then reads the layout off the window's thread (with
/// a progress dialog and Cancel when it takes a while), asks for a layer and its placement and
/// rasterizes the layer over the volume's columns.
class MaskFileGroup : public QGroupBox {
    Q_OBJECT
public:
    /// `prefix` names the widgets (lie<prefix>, tbt<prefix>, btnApply<prefix>, btnRemove<prefix>);
    /// `failureText` is the warning shown when the image cannot be loaded.
    MaskFileGroup(const QString &title, const QString &prefix, const QString &failureText, QWidget *parent = nullptr);

    const Core::Operations::MaskBits &mask() const { return m_mask; }
    /// Loaded masks keep only the part over this many cell columns (the volume's nx by ny).
    void setColumns(uint32_t columnsX, uint32_t columnsY)
    {
        m_columnsX = columnsX;
        m_columnsY = columnsY;
    }
    /// The file the current mask was read from; empty when there is no mask.
    QString maskFile() const { return m_maskFile; }
    /// Takes a mask read before (a process-list step's): shows its file name and holds it as if
    /// it had just been applied, without handing it on.
    void setMask(const Core::Operations::MaskBits &mask, const QString &fileName);
    QLineEdit *fileNameEdit() const { return m_lieFile; }
    QPushButton *applyButton() const { return m_btnApply; }
    QPushButton *removeButton() const { return m_btnRemove; }

    /// The filter of the file chooser.
    static QString imageFilter() { return QStringLiteral("Image Files (*.png *.jpg *.bmp)"); }
    /// The filter of a chooser that also offers GDSII layouts.
    static QString maskFilter();
    /// Whether a file name is taken for a GDSII layout (by its extension).
    static bool isLayoutFile(const QString &fileName);

    /// Lets the chooser offer GDSII layouts and Apply read them.
    void setLayoutsAccepted(bool accepted) { m_layoutsAccepted = accepted; }
    bool layoutsAccepted() const { return m_layoutsAccepted; }
    /// Asks where a layout goes over columnsX by columnsY columns; false when the user cancels.
    using PlacementChooser = std::function<bool(const Core::Operations::GdsLayout &, uint32_t columnsX,
                                                uint32_t columnsY, Core::Operations::LayoutPlacement &)>;
    /// Replaces the placement dialog (tests script it).
    void setPlacementChooser(const PlacementChooser &chooser) { m_chooser = chooser; }
    /// Called with the control of each layout read before it starts (tests stop it with it).
    void setReadControlCallback(const std::function<void(Util::RunControl &)> &callback)
    {
        m_readControlCallback = callback;
    }
    /// The layer and placement of the current mask when it was made from a layout by Apply.
    std::optional<Core::Operations::LayoutPlacement> layoutPlacement() const { return m_placement; }

signals:
    void maskChanged(const QBitArray &bits, uint width, uint height);

public slots:
    void chooseFile();
    /// Loads the named image; a warning when it cannot be read, and the mask stays as it was.
    void applyMask();
    void removeMask();

private:
    /// Reads the layout named in the line edit and rasterizes the chosen layer.
    void applyLayout();
    void warn(const QString &reason);

    QLineEdit *m_lieFile;
    QToolButton *m_tbtChoose;
    QPushButton *m_btnApply;
    QPushButton *m_btnRemove;
    QString m_failureText;
    Core::Operations::MaskBits m_mask;
    uint32_t m_columnsX = Core::Operations::anyColumns;
    uint32_t m_columnsY = Core::Operations::anyColumns;
    QString m_maskFile;
    bool m_layoutsAccepted = false;
    PlacementChooser m_chooser;
    std::function<void(Util::RunControl &)> m_readControlCallback;
    std::optional<Core::Operations::LayoutPlacement> m_placement;
};

} // namespace Operations
} // namespace Ui
