#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"

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

    /// A save dialog over `parent`: a name typed without an extension gets the one of the chosen
    /// filter (the first `*.ext` in it, e.g. "Cellforge file (*.cfw)" gives ".cfw") before the dialog
    /// asks about overwriting. Empty when the user cancelled.
    static QString askSaveFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter);
    /// The extension of a filter's first `*.ext` pattern, without the dot; empty when it has none.
    static QString filterSuffix(const QString &filter);

private:
    QPointer<QWidget> m_parent;
};

} // namespace Ui
