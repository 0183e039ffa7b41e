#include "UI/promptoverlay.h"

#include <QEvent>
#include <QStatusBar>

#include <algorithm>

namespace Ui {

namespace {
constexpr int viewMargin = 12;
}

PromptOverlay::PromptOverlay(QWidget *view, QStatusBar *statusBar)
    : QLabel(view)
    , m_statusBar(statusBar)
{
    setObjectName(QStringLiteral("lblPrompt"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextFormat(Qt::RichText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setStyleSheet(QStringLiteral("QLabel { background-color: rgba(20, 20, 20, 200); color: white; "
                                 "border-radius: 6px; padding: 8px 14px; font-size: 11pt; }"));
    hide();
    view->installEventFilter(this);
}

void PromptOverlay::setPrompt(const QString &prompt)
{
    if (m_statusBar) {
        if (!prompt.isEmpty())
            m_statusBar->showMessage(prompt);
        else if (m_statusBar->currentMessage() == m_prompt)
            m_statusBar->clearMessage(); // only our own text: a running step's message stays
    }
    m_prompt = prompt;
    if (prompt.isEmpty()) {
        hide();
        return;
    }
    const int colon = prompt.indexOf(QLatin1String(": "));
    setText(colon < 0 ? prompt.toHtmlEscaped()
                      : QStringLiteral("<b>%1</b><br>%2")
                            .arg(prompt.left(colon).toHtmlEscaped(), prompt.mid(colon + 2).toHtmlEscaped()));
    place();
    show();
    raise();
}

bool PromptOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        place();
    return QLabel::eventFilter(watched, event);
}

void PromptOverlay::place()
{
    const QWidget *view = parentWidget();
    // One line for each line of the text where the view is wide enough; wrapped where it is not.
    setWordWrap(false);
    const int natural = sizeHint().width();
    setWordWrap(true);
    const int width = std::max(0, std::min(natural, view->width() - 2 * viewMargin));
    const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
    setGeometry((view->width() - width) / 2, viewMargin, width, height);
}

} // namespace Ui
