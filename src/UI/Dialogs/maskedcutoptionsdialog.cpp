#include "UI/Dialogs/maskedcutoptionsdialog.h"

#include "UI/Dialogs/maskfilegroup.h"
#include "UI/ProcessDialogs/photolithographydialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

MaskedCutOptionsDialog::MaskedCutOptionsDialog(QWidget *parent)
    : QDialog(parent)
    , m_mask(new MaskFileGroup(QStringLiteral("Top Down Cut Mask"), QStringLiteral("CutMask"),
                               PhotolithographyDialog::topFailureText(), this))
{
    setObjectName(QStringLiteral("MaskedCutOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Masked Cell Cut Options"));
    setFixedSize(370, 180);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_mask);
    layout->addStretch();
    layout->addWidget(buttons);
    connect(m_mask, &MaskFileGroup::maskChanged, this, &MaskedCutOptionsDialog::maskChanged);
}

const Core::Operations::MaskBits &MaskedCutOptionsDialog::mask() const { return m_mask->mask(); }

} // namespace Operations
} // namespace Ui
