#include "commandconsole.h"

#include "Core/consoleinput.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace Ui {
namespace Console {

CommandConsole::CommandConsole(Core::ConsoleInput &input, QWidget *parent)
    : QWidget(parent)
    , m_consoleInput(input)
{
    setWindowTitle(QStringLiteral("Console"));
    // The program ends with its main window, not with this one.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(400, 140);

    auto *inner = new QWidget(this);
    inner->setGeometry(10, 10, 390, 130);
    m_output = new QPlainTextEdit(inner);
    m_output->setObjectName(QStringLiteral("output"));
    m_output->setReadOnly(true);
    m_output->setFocusPolicy(Qt::NoFocus);
    m_output->setAcceptDrops(false);
    m_output->setBackgroundVisible(false);
    m_input = new QLineEdit(inner);
    m_input->setObjectName(QStringLiteral("input"));
    auto *layout = new QVBoxLayout(inner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_output);
    layout->addWidget(m_input);

    connect(m_input, &QLineEdit::returnPressed, this, &CommandConsole::enterPressed);
    auto *up = new QShortcut(QKeySequence(Qt::Key_Up), this);
    connect(up, &QShortcut::activated, this, &CommandConsole::historyUp);
    auto *down = new QShortcut(QKeySequence(Qt::Key_Down), this);
    connect(down, &QShortcut::activated, this, &CommandConsole::historyDown);
}

void CommandConsole::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    emit visibilityChanged(true);
}

void CommandConsole::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    emit visibilityChanged(false);
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
