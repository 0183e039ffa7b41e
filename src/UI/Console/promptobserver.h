#pragma once

#include "Util/iobserver.h"

#include <QObject>
#include <QString>

namespace Core {
class ConsoleInput;
}

namespace Ui {
namespace Console {

/// Carries the console input's prompt (what a waiting operation wants the user to do) to the window.
class PromptObserver : public QObject, public Util::IObserver {
    Q_OBJECT
public:
    explicit PromptObserver(Core::ConsoleInput &input, QObject *parent = nullptr);
    void notify() override;

signals:
    /// The new prompt; empty when nothing waits any more.
    void promptChanged(const QString &prompt);

private:
    Core::ConsoleInput &m_input;
};

} // namespace Console
} // namespace Ui
