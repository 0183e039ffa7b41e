#pragma once

#include "Util/iobserver.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace Core {
class Workspace;

namespace Operations {

/// A user command with a life cycle: `start` asks for what is missing, `execute` runs when
/// everything is there, `cancel` gives up. Each ends by telling the workspace that it finished
/// or was canceled. No exception crosses this interface.
/// Each operation carries its own observer (the options dialog, or what follows a save or an
/// open), given by the factory of the window it belongs to, so it never reaches another window.
class Operation : public std::enable_shared_from_this<Operation> {
public:
    Operation(Workspace &workspace, const QString &name, uint32_t typeCode)
        : m_name(name)
        , m_typeCode(typeCode)
        , m_workspace(workspace)
    {
    }
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;
    virtual ~Operation() = default;

    virtual void start() = 0;
    virtual void cancel() = 0;
    virtual void execute() = 0;

    const QString &name() const { return m_name; }
    uint32_t typeCode() const { return m_typeCode; }
    Workspace &workspace() const { return m_workspace; }

    void setObserver(const Util::ObserverPtr &observer) { m_observer = observer; }
    /// May be null: the operation then goes on without asking.
    const Util::ObserverPtr &observer() const { return m_observer; }

private:
    QString m_name;
    uint32_t m_typeCode;
    Workspace &m_workspace;
    Util::ObserverPtr m_observer;
};

/// An operation that can be taken back; it lands on the undo stack when it finishes.
class ObjectOperation : public Operation {
public:
    using Operation::Operation;
    /// True when the effect was taken back (the operation then moves to the redo stack).
    virtual bool undo() = 0;
    virtual bool redo() = 0;
    /// False when the operation finished without being able to record what it did: the
    /// workspace then keeps neither it nor the history before it.
    virtual bool undoable() const { return true; }
};

using OperationPtr = std::shared_ptr<Operation>;
using ObjectOperationPtr = std::shared_ptr<ObjectOperation>;

} // namespace Operations
} // namespace Core
