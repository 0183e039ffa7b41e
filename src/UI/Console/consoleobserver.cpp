#include "UI/Console/consoleobserver.h"

#include "Core/consoleinput.h"

namespace Ui {
namespace Console {

ConsoleObserver::ConsoleObserver(Core::ConsoleInput &input, QObject *parent)
    : QObject(parent)
    , m_input(input)
{
}

void ConsoleObserver::notify()
{
    const QString message = m_input.message();
    if (!message.isEmpty())
        emit messageWritten(message);
}

} // namespace Console
} // namespace Ui
