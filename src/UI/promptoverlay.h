#pragma once

#include <QLabel>
#include <QPointer>

class QStatusBar;

namespace Ui {

/// Shows what a waiting operation wants the user to do where the user looks: a panel at the top of
/// the 3D view (the operation's name above the instruction) and the window's status bar. Clicks go
/// through the panel to the view.
class PromptOverlay : public QLabel {
    Q_OBJECT
public:
    PromptOverlay(QWidget *view, QStatusBar *statusBar);

public slots:
    /// "Operation: instruction", or empty to hide the panel (and take the text off the status bar).
    void setPrompt(const QString &prompt);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QPointer<QStatusBar> m_statusBar;
    QString m_prompt;
};

} // namespace Ui
