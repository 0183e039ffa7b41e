#include "maskfilegroup.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

namespace Ui {
namespace Operations {

MaskFileGroup::MaskFileGroup(const QString &title, const QString &prefix, const QString &failureText, QWidget *parent)
    : QGroupBox(title, parent)
    , m_lieFile(new QLineEdit(this))
    , m_tbtChoose(new QToolButton(this))
    , m_btnApply(new QPushButton(QStringLiteral("Apply"), this))
    , m_btnRemove(new QPushButton(QStringLiteral("Remove"), this))
    , m_failureText(failureText)
{
    m_lieFile->setObjectName(QStringLiteral("lie") + prefix);
    m_tbtChoose->setObjectName(QStringLiteral("tbt") + prefix);
    m_tbtChoose->setText(QStringLiteral("..."));
    m_btnApply->setObjectName(QStringLiteral("btnApply") + prefix);
    m_btnRemove->setObjectName(QStringLiteral("btnRemove") + prefix);
    // Enter in the dialog means OK, never a button of the group.
    m_btnApply->setAutoDefault(false);
    m_btnRemove->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_lieFile);
    layout->addWidget(m_tbtChoose);
    layout->addWidget(m_btnApply);
    layout->addWidget(m_btnRemove);

    connect(m_tbtChoose, &QToolButton::clicked, this, &MaskFileGroup::chooseFile);
    connect(m_btnApply, &QPushButton::clicked, this, &MaskFileGroup::applyMask);
    connect(m_btnRemove, &QPushButton::clicked, this, &MaskFileGroup::removeMask);
}

void MaskFileGroup::chooseFile()
{
    const QString fileName =
        QFileDialog::getOpenFileName(this, QStringLiteral("Choose Mask File"), m_lieFile->text(), imageFilter());
    if (!fileName.isEmpty())
        m_lieFile->setText(fileName);
}

void MaskFileGroup::applyMask()
{
    Core::Operations::MaskBits loaded;
    if (!Core::Operations::loadMaskImage(m_lieFile->text(), loaded, m_columnsX, m_columnsY)) {
        QMessageBox::warning(this, window()->windowTitle(), m_failureText);
        return;
    }
    m_mask = loaded;
    m_maskFile = m_lieFile->text();
    emit maskChanged(m_mask.bits, m_mask.width, m_mask.height);
}

void MaskFileGroup::removeMask()
{
    m_mask = Core::Operations::MaskBits();
    m_maskFile.clear();
    emit maskChanged(m_mask.bits, 0, 0);
}

void MaskFileGroup::setMask(const Core::Operations::MaskBits &mask, const QString &fileName)
{
    m_mask = mask;
    m_maskFile = fileName;
    m_lieFile->setText(fileName);
}

} // namespace Operations
} // namespace Ui
