#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

#include <QMap>
#include <QPointer>

#include <functional>
#include <vector>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {

/// Turns an operation identifier (the command vocabulary of the menus) into a new operation with
/// its options observer installed. Identifiers whose operation is not available give none.
class OperationFactory : public Core::Operations::IOperationFactory {
public:
    /// Makes the options observer of an operation whose dialog lives outside this factory.
    using ObserverMaker = std::function<Util::ObserverPtr(Core::Workspace &, QWidget *)>;

    /// What a table entry's maker gets to build the operation and its observer.
    struct Context {
        Core::Workspace &workspace;
        QWidget *mainWindow;
        ObserverMaker observerHook; // empty unless supplied with setObserverMaker
    };
    using Maker = Core::Operations::OperationPtr (*)(const Context &);

    /// One row of the identifier table.
    struct Entry {
        uint32_t identifier;
        const char *operationClass;
        const char *operationName;
        uint32_t typeCode;
        const char *actionName;
        Maker make; // null while the operation is not built
        bool needsObserverHook;
    };

    OperationFactory(Core::Workspace &workspace, QWidget *mainWindow);

    Core::Operations::OperationPtr create(uint32_t identifier) override;
    /// True when `create` gives an operation for this identifier.
    bool serves(uint32_t identifier) const;
    /// Supplies the options observer for an identifier whose entry needs one from outside
    /// (Select volumes opens the batch-run dialog).
    void setObserverMaker(uint32_t identifier, const ObserverMaker &maker);

    /// The whole identifier table, in identifier order.
    static const std::vector<Entry> &table();
    static const Entry *entry(uint32_t identifier);

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
    QMap<uint32_t, ObserverMaker> m_observerHooks;
};

} // namespace Ui
