#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"

#include <QStringList>

/// Answers the document operations' questions from a script and records what was asked and shown.
class ScriptedDocumentDialogs : public Core::Operations::IDocumentDialogs {
public:
    QString saveFileName(const QString &title, const QString &folder, const QString &filter) override
    {
        asked << QStringLiteral("save|%1|%2|%3").arg(title, folder, filter);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString openFileName(const QString &title, const QString &folder, const QString &filter) override
    {
        asked << QStringLiteral("open|%1|%2|%3").arg(title, folder, filter);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    void showInformation(const QString &title, const QString &text) override { shown << title + '|' + text; }
    void showWarning(const QString &title, const QString &text) override { shown << title + '|' + text; }

    QStringList answers; ///< file names handed out in order; an empty one is a cancelled dialog
    QStringList asked;
    QStringList shown;
};
