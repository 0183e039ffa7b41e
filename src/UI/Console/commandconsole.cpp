#include "UI/Console/commandconsole.h"

#include "Core/consoleinput.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextDocument>
#include <QVBoxLayout>

namespace Ui {
namespace Console {

CommandConsole::CommandConsole(Core::ConsoleInput &input, QWidget *parent)
    : QWidget(parent)
    , m_consoleInput(input)
{
    setWindowTitle(QStringLiteral("Console"));
    m_output = new QPlainTextEdit(this);
    m_output->setObjectName(QStringLiteral("output"));
    m_output->setReadOnly(true);
    m_output->setFocusPolicy(Qt::NoFocus);
    m_output->setAcceptDrops(false);
    m_output->setBackgroundVisible(false);
    m_input = new QLineEdit(this);
    m_input->setObjectName(QStringLiteral("input"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(m_output);
    layout->addWidget(m_input);
    // Four lines of messages and the input line; the user may drag the dock higher.
    const QFontMetrics metrics(m_output->font());
    m_output->setMinimumHeight(metrics.lineSpacing() * 4 + 2 * m_output->frameWidth() +
                               int(2 * m_output->document()->documentMargin()));

    connect(m_input, &QLineEdit::returnPressed, this, &CommandConsole::enterPressed);
    // Up and Down belong to the console only while it has the focus, not to the whole main window.
    auto *up = new QShortcut(QKeySequence(Qt::Key_Up), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(up, &QShortcut::activated, this, &CommandConsole::historyUp);
    auto *down = new QShortcut(QKeySequence(Qt::Key_Down), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(down, &QShortcut::activated, this, &CommandConsole::historyDown);
}

void CommandConsole::writeMessage(const QString &message) { m_output->appendPlainText(message); }

void CommandConsole::enterPressed()
{
    const QString text = m_input->text();
    if (!text.isEmpty()) {
        m_history.append(text);
        m_cursor = 0;
        m_output->appendPlainText(text);
        m_input->clear();
    }
    m_consoleInput.handleLine(text);
}

void CommandConsole::historyUp()
{
    if (m_history.isEmpty() || m_cursor < 0)
        return;
    m_input->setText(m_history.at(m_cursor));
    if (m_cursor + 1 < m_history.size())
        ++m_cursor;
}

void CommandConsole::historyDown()
{
    if (m_cursor < 0 || m_cursor >= m_history.size())
        return;
    if (m_cursor == 0) {
        // Down never leaves the oldest entry in the line.
        m_input->clear();
        return;
    }
    m_input->setText(m_history.at(m_cursor));
    --m_cursor;
}

} // namespace Console
} // namespace Ui
