#pragma once

#include "Core/Formats/maskimage.h"

#include <QDialog>

namespace Ui {
namespace Operations {

class MaskFileGroup;

/// Options of the masked cut: the top-down mask whose uncovered columns are hidden.
class MaskedCutOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit MaskedCutOptionsDialog(QWidget *parent = nullptr);

    const Core::Operations::MaskBits &mask() const;
    MaskFileGroup *maskGroup() const { return m_mask; }

signals:
    void maskChanged(const QBitArray &bits, uint width, uint height);

private:
    MaskFileGroup *m_mask;
};

} // namespace Operations
} // namespace Ui
