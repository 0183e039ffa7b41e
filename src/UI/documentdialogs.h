#pragma once

#include "Core/Operations/documentdialogs.h"

#include <QPointer>
#include <QWidget>

namespace Ui {

/// The document operations' questions as file dialogs and message boxes over a main window.
class DocumentDialogs : public Core::Operations::IDocumentDialogs {
public:
    explicit DocumentDialogs(QWidget *parent)
        : m_parent(parent)
    {
    }

    QString saveFileName(const QString &title, const QString &folder, const QString &filter) override;
    QString openFileName(const QString &title, const QString &folder, const QString &filter) override;
    void showInformation(const QString &title, const QString &text) override;
    void showWarning(const QString &title, const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace Ui
