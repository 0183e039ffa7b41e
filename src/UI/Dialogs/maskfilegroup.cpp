#include "UI/Dialogs/maskfilegroup.h"

#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/layoutplacementdialog.h"
#include "UI/operationrunner.h"
#include "Util/runcontrol.h"

#include <QFileDialog>
#include <QFileInfo>
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
    // A file name means nothing until its mask is applied: a dialog never opens with one.
    DialogMemory::exclude(m_lieFile);
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
    const QString fileName = QFileDialog::getOpenFileName(this, QStringLiteral("Choose Mask File"), m_lieFile->text(),
                                                          m_layoutsAccepted ? maskFilter() : imageFilter());
    if (!fileName.isEmpty())
        m_lieFile->setText(fileName);
}

QString MaskFileGroup::maskFilter()
{
    return QStringLiteral("Masks (*.png *.jpg *.bmp *.gds);;") + imageFilter() +
           QStringLiteral(";;GDSII Layouts (*.gds *.gdsii)");
}

bool MaskFileGroup::isLayoutFile(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("gds") || suffix == QLatin1String("gdsii") || suffix == QLatin1String("gds2");
}

void MaskFileGroup::warn(const QString &reason)
{
    QString text = m_failureText;
    if (!reason.isEmpty())
        text += QStringLiteral("<br/>") + reason.toHtmlEscaped();
    QMessageBox::warning(this, window()->windowTitle(), text);
}

void MaskFileGroup::applyLayout()
{
    const QString fileName = m_lieFile->text();
    if (m_columnsX == Core::Operations::anyColumns || m_columnsY == Core::Operations::anyColumns) {
        warn(QStringLiteral("A layout is laid over the cell volume's columns: its size is not known yet."));
        return;
    }
    // Reading and rasterizing run off the window's thread; a large layout shows progress and Cancel.
    Core::Operations::GdsLayout layout;
    Util::RunControl control;
    layout.setRunControl(&control);
    OperationRunner runner(window());
    runner.setControlCallback(m_readControlCallback);
    bool loaded = false;
    runner.run(QStringLiteral("Reading GDSII layout"), control, [&] { loaded = layout.load(fileName); });
    if (!loaded) {
        // Cancel needs no warning: the mask simply stays as it was.
        if (!layout.wasStopped())
            warn(QStringLiteral("\"%1\" cannot be read as a GDSII layout: %2").arg(fileName, layout.errorString()));
        return;
    }
    if (layout.layers().isEmpty()) {
        warn(QStringLiteral("\"%1\" holds no shapes on any layer.").arg(fileName));
        return;
    }
    Core::Operations::LayoutPlacement placement;
    const bool placed = m_chooser ? m_chooser(layout, m_columnsX, m_columnsY, placement) : [&] {
        LayoutPlacementDialog dialog(layout, m_columnsX, m_columnsY, this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        placement = dialog.placement();
        return true;
    }();
    if (!placed)
        return;
    Core::Operations::MaskBits mask;
    QString error;
    bool rasterized = false;
    control.reset();
    control.setStoppable(false);
    runner.run(QStringLiteral("Rasterizing GDSII layout"), control, [&] {
        rasterized = Core::Operations::layoutMask(layout, placement, m_columnsX, m_columnsY, mask, &error);
    });
    if (!rasterized) {
        warn(error);
        return;
    }
    m_mask = mask;
    m_maskFile = fileName;
    m_placement = placement;
    emit maskChanged(m_mask.bits, m_mask.width, m_mask.height);
}

void MaskFileGroup::applyMask()
{
    if (m_layoutsAccepted && isLayoutFile(m_lieFile->text())) {
        applyLayout();
        return;
    }
    Core::Operations::MaskBits loaded;
    if (!Core::Operations::loadMaskImage(m_lieFile->text(), loaded, m_columnsX, m_columnsY)) {
        QMessageBox::warning(this, window()->windowTitle(), m_failureText);
        return;
    }
    m_mask = loaded;
    m_maskFile = m_lieFile->text();
    m_placement.reset();
    emit maskChanged(m_mask.bits, m_mask.width, m_mask.height);
}

void MaskFileGroup::removeMask()
{
    m_mask = Core::Operations::MaskBits();
    m_maskFile.clear();
    m_placement.reset();
    emit maskChanged(m_mask.bits, 0, 0);
}

void MaskFileGroup::setMask(const Core::Operations::MaskBits &mask, const QString &fileName)
{
    m_mask = mask;
    m_maskFile = fileName;
    m_placement.reset();
    m_lieFile->setText(fileName);
}

} // namespace Operations
} // namespace Ui
