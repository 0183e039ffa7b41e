#pragma once

#include "Core/Formats/maskimage.h"
#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QDialog>
#include <QVariantMap>

class QComboBox;

namespace Ui {
namespace Operations {

class MaskFileGroup;

/// Options of photolithography: the resist film and a top and a bottom mask, each applied to the
/// volume as a preview as soon as it is loaded. In a list, a top mask applied from a layout inside
/// the list's folder is also named with its layer and placement.
class PhotolithographyDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit PhotolithographyDialog(QWidget *parent = nullptr);

    unsigned material() const;
    const Core::Operations::MaskBits &topMask() const;
    const Core::Operations::MaskBits &bottomMask() const;
    QDialog &dialog() override { return *this; }
    /// Takes "Material_Id" and, for "Top" and "Bottom", the "... Mask" bitmap (one byte per cell)
    /// with its "... Mask Width", "... Mask Height" and "... Mask File" from a process-list step.
    void setParameters(const QVariantMap &parameters) override;
    /// The film and both masks; once a top mask was applied, also the layout it names (or that it
    /// names none).
    QVariantMap parameters() const override;
    /// Masks keep the part over the step's columns; layouts are named relative to the list's folder.
    void setContext(const ProcessDialogContext &context) override;
    /// Each mask applied or removed is shown at once.
    void setPreview(const std::function<void(const QVariantMap &)> &preview) override;

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
    QString m_listFolder;
    /// A top mask was applied since the dialog opened (else the step keeps the layout it names).
    bool m_topApplied = false;
};

} // namespace Operations
} // namespace Ui
