#include "UI/Observers/documentopenedobserver.h"

#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/workspace.h"
#include "UI/documentcommands.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace Ui {
namespace Observers {

namespace {

// One axis of besideSource: the start and the length of the new window on [low, high).
std::pair<int, int> besideOnAxis(int start, int length, int low, int high, int offset)
{
    length = std::max(1, std::min(length, high - low - offset));
    if (start + offset + length <= high)
        return {std::max(low, start + offset), length};
    if (start - offset >= low && start - offset + length <= high)
        return {start - offset, length};
    return {high - length, length};
}

} // namespace

QRect DocumentOpenedObserver::besideSource(const QRect &source, const QRect &screen, int offset)
{
    const auto x = besideOnAxis(source.x(), source.width(), screen.left(), screen.left() + screen.width(), offset);
    const auto y = besideOnAxis(source.y(), source.height(), screen.top(), screen.top() + screen.height(), offset);
    return QRect(x.first, y.first, x.second, y.second);
}

void DocumentOpenedObserver::notify()
{
    if (!m_createWindow || !m_dialogs)
        return;
    const OpenedWindow opened = m_createWindow();
    if (!opened.window || !opened.workspace)
        return;
    using Core::Operations::OpenDocumentOperation;
    const auto operation = std::dynamic_pointer_cast<OpenDocumentOperation>(m_workspace.currentOperation());
    loadDocumentIntoWindow(opened.window, *opened.workspace, OpenDocumentOperation::chosenFileName(),
                           operation ? operation->conflictResolver() : Model::Persistence::ConflictResolver(),
                           *m_dialogs);
    showBeside(opened.window, m_source.data());
}

void DocumentOpenedObserver::showBeside(QWidget *window, QWidget *source)
{
    if (!source || !source->isVisible()) {
        window->showMaximized();
        return;
    }
    // Frames are taken to be alike: the new one's is not known before it is shown.
    const QRect frame = source->frameGeometry();
    const QSize margins = frame.size() - source->size();
    const QScreen *screen = source->screen();
    const QRect placed = besideSource(frame, screen ? screen->availableGeometry() : frame);
    window->resize(placed.size() - margins);
    window->move(placed.topLeft());
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace Observers
} // namespace Ui
