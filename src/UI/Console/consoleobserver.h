#pragma once

#include "Util/iobserver.h"

#include <QObject>
#include <QString>

namespace Core {
class ConsoleInput;
}

namespace Ui {
namespace Console {

/// Carries each message written to the console input over to the console window.
class ConsoleObserver : public QObject, public Util::IObserver {
    Q_OBJECT
public:
    explicit ConsoleObserver(Core::ConsoleInput &input, QObject *parent = nullptr);
    void notify() override;

signals:
    void messageWritten(const QString &message);

private:
    Core::ConsoleInput &m_input;
};

} // namespace Console
} // namespace Ui
