#include "UI/BatchRun/runlog.h"

#include <QMutexLocker>

namespace Ui {

RunLog::RunLog(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("txtLog"));
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setMaximumBlockCount(10000);
}

void RunLog::post(const QString &line)
{
    QMutexLocker lock(&m_mutex);
    m_posted << line;
}

void RunLog::showPosted()
{
    QStringList lines;
    {
        QMutexLocker lock(&m_mutex);
        lines.swap(m_posted);
    }
    for (const QString &line : lines)
        appendPlainText(line);
}

} // namespace Ui
