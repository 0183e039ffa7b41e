#include "UI/BatchRun/imagesfolderfield.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Ui {

ImagesFolderField::ImagesFolderField(QWidget *parent)
    : QWidget(parent)
{
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("lieImagesFolder"));
    m_edit->setPlaceholderText(QStringLiteral("the folder of the list, else the working folder"));
    m_edit->setToolTip(QStringLiteral("\"Save Image\" steps save their images in this folder; a list cannot name "
                                      "files anywhere else."));
    auto *browse = new QPushButton(QStringLiteral("Browse ..."), this);
    browse->setObjectName(QStringLiteral("btnImagesFolder"));
    browse->setAutoDefault(false);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Images folder"), this));
    layout->addWidget(m_edit, 1);
    layout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, &ImagesFolderField::browse);
}

QString ImagesFolderField::folder() const
{
    const QString text = m_edit->text().trimmed();
    if (!text.isEmpty())
        return text;
    return m_listFile.isEmpty() ? QDir::currentPath() : QFileInfo(m_listFile).absolutePath();
}

void ImagesFolderField::browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Images Folder"), folder());
    if (!chosen.isEmpty())
        m_edit->setText(chosen);
}

} // namespace Ui
