#pragma once

#include "Core/Operations/ioperationfactory.h"
#include "Core/Processes/commandid.h"
#include "Util/iobserver.h"

#include <QMap>
#include <QPointer>

#include <functional>
#include <map>
#include <vector>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {
struct OpenedWindow;
}

/// Turns an operation identifier (the command vocabulary of the menus) into a new operation with
/// its observer installed. Identifiers whose operation is not available give none.
/// Each factory belongs to one main window and owns that window's observers, one per kind, built
/// with the window's own workspace: an operation never reaches another window's dialogs.
class OperationFactory : public Core::Operations::IOperationFactory {
public:
    struct Entry;
    /// Builds the operation of an entry for this factory's window.
    using Maker = Core::Operations::OperationPtr (*)(OperationFactory &, const Entry &);
    /// Builds an observer for this factory's window (its workspace, main window and window maker).
    using ObserverMaker = Util::ObserverPtr (*)(OperationFactory &);
    /// Makes the observer of an operation whose dialog lives outside this factory.
    using ObserverHook = std::function<Util::ObserverPtr(Core::Workspace &, QWidget *)>;
    /// Makes a new main window, which deletes itself when closed, and its workspace (not shown yet).
    using WindowMaker = std::function<Observers::OpenedWindow()>;

    /// One row of the identifier table.
    struct Entry {
        Core::Processes::CommandId identifier;
        const char *operationClass;
        const char *operationName;
        uint32_t typeCode;
        const char *actionName;
        Maker make = nullptr;             // null while the operation is not built
        ObserverMaker observer = nullptr; // null: none, or supplied through setObserverMaker
        bool needsObserverHook = false;
    };

    OperationFactory(Core::Workspace &workspace, QWidget *mainWindow);

    Core::Operations::OperationPtr create(uint32_t identifier) override;
    Core::Operations::OperationPtr create(Core::Processes::CommandId identifier)
    {
        return create(uint32_t(identifier));
    }
    /// True when `create` gives an operation for this identifier.
    bool serves(uint32_t identifier) const;
    bool serves(Core::Processes::CommandId identifier) const { return serves(uint32_t(identifier)); }
    /// Supplies the observer for an identifier whose entry needs one from outside
    /// (Select volumes opens the batch-run dialog).
    void setObserverMaker(uint32_t identifier, const ObserverHook &maker);

    Core::Workspace &workspace() const { return m_workspace; }
    QWidget *mainWindow() const { return m_mainWindow.data(); }
    /// This window's observer built by `make`, made on first use and shared by every operation
    /// that asks for it.
    Util::ObserverPtr observer(ObserverMaker make);

    /// Where opened documents get their windows; the main window hands in its own maker.
    void setWindowMaker(const WindowMaker &maker) { m_windowMaker = maker; }
    const WindowMaker &windowMaker() const { return m_windowMaker; }

    /// The whole identifier table, in identifier order.
    static const std::vector<Entry> &table();
    static const Entry *entry(uint32_t identifier);

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
    std::map<ObserverMaker, Util::ObserverPtr> m_observers;
    QMap<uint32_t, Util::ObserverPtr> m_hookedObservers;
    WindowMaker m_windowMaker;
};

} // namespace Ui
