#pragma once

#include "Core/Operations/maskimage.h"

#include <QDialog>
#include <QVariantMap>

class QComboBox;

namespace Ui {
namespace Operations {

class MaskFileGroup;

/// Options of photolithography: the resist film and a top and a bottom mask, each applied to the
/// volume as a preview as soon as it is loaded.
class PhotolithographyDialog : public QDialog {
    Q_OBJECT
public:
    explicit PhotolithographyDialog(QWidget *parent = nullptr);

    unsigned material() const;
    const Core::Operations::MaskBits &topMask() const;
    const Core::Operations::MaskBits &bottomMask() const;
    /// Takes "Material_Id" and, for "Top" and "Bottom", the "... Mask" bitmap (one byte per cell)
    /// with its "... Mask Width", "... Mask Height" and "... Mask File" from a process-list step.
    void setParameters(const QVariantMap &parameters);

    MaskFileGroup *topGroup() const { return m_top; }
    MaskFileGroup *bottomGroup() const { return m_bottom; }
    QComboBox *filmComboBox() const { return m_cbxFilm; }

    static QString topFailureText();
    static QString bottomFailureText();

signals:
    void topMaskChanged(const QBitArray &bits, uint width, uint height);
    void bottomMaskChanged(const QBitArray &bits, uint width, uint height);

private:
    MaskFileGroup *m_top;
    MaskFileGroup *m_bottom;
    QComboBox *m_cbxFilm;
};

} // namespace Operations
} // namespace Ui
