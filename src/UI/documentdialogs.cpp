#include "UI/documentdialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace Ui {

QString DocumentDialogs::saveFileName(const QString &title, const QString &folder, const QString &filter)
{
    return askSaveFileName(m_parent, title, folder, filter);
}

QString DocumentDialogs::filterSuffix(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9_]+)"));
    return pattern.match(filter).captured(1);
}

QString DocumentDialogs::askSaveFileName(QWidget *parent, const QString &title, const QString &folder,
                                         const QString &filter)
{
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(filterSuffix(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected,
                     [&dialog](const QString &chosen) { dialog.setDefaultSuffix(filterSuffix(chosen)); });
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

QString DocumentDialogs::openFileName(const QString &title, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, title, folder, filter);
}

void DocumentDialogs::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(m_parent, title, text, QMessageBox::Ok);
}

void DocumentDialogs::showWarning(const QString &title, const QString &text)
{
    QMessageBox::warning(m_parent, title, text, QMessageBox::Ok);
}

} // namespace Ui
