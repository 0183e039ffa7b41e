#include "UI/Console/promptobserver.h"

#include "Core/consoleinput.h"

namespace Ui {
namespace Console {

PromptObserver::PromptObserver(Core::ConsoleInput &input, QObject *parent)
    : QObject(parent)
    , m_input(input)
{
}

void PromptObserver::notify() { emit promptChanged(m_input.prompt()); }

} // namespace Console
} // namespace Ui
