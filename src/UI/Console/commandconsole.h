#pragma once

#include <QStringList>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

namespace Core {
class ConsoleInput;
}

namespace Ui {
namespace Console {

/// The console: the program's messages above, a line for typed answers below, and a history of
/// entered lines on the Up and Down keys (while the console has the focus). Lines go to the
/// workspace's console input. The main window holds it in a dock.
class CommandConsole : public QWidget {
    Q_OBJECT
public:
    explicit CommandConsole(Core::ConsoleInput &input, QWidget *parent = nullptr);

    QStringList history() const { return m_history; }
    QLineEdit *inputLine() const { return m_input; }
    QPlainTextEdit *outputPane() const { return m_output; }
    /// 400 by 140: a strip below the view, not a third of the window.
    QSize sizeHint() const override { return QSize(400, 140); }

public slots:
    void writeMessage(const QString &message);
    /// Takes the typed line (possibly empty) and hands it to the console input.
    void enterPressed();
    void historyUp();
    void historyDown();

private:
    Core::ConsoleInput &m_consoleInput;
    QPlainTextEdit *m_output;
    QLineEdit *m_input;
    QStringList m_history;
    // Index into m_history (0 is the oldest entry); -1 while the history is empty.
    int m_cursor = -1;
};

} // namespace Console
} // namespace Ui
