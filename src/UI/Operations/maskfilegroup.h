#pragma once

#include "Core/Operations/maskimage.h"

#include <QGroupBox>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace Ui {
namespace Operations {

/// One mask of a mask dialog: a file name, a "..." chooser, "Apply" (load the image and hand the
/// mask on at once, so the volume shows it while the dialog is open) and "Remove".
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

signals:
    void maskChanged(const QBitArray &bits, uint width, uint height);

public slots:
    void chooseFile();
    /// Loads the named image; a warning when it cannot be read, and the mask stays as it was.
    void applyMask();
    void removeMask();

private:
    QLineEdit *m_lieFile;
    QToolButton *m_tbtChoose;
    QPushButton *m_btnApply;
    QPushButton *m_btnRemove;
    QString m_failureText;
    Core::Operations::MaskBits m_mask;
    uint32_t m_columnsX = Core::Operations::anyColumns;
    uint32_t m_columnsY = Core::Operations::anyColumns;
    QString m_maskFile;
};

} // namespace Operations
} // namespace Ui
