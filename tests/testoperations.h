#pragma once

#include "Core/Operations/ioperationfactory.h"
#include "Core/Operations/operation.h"
#include "Core/workspace.h"
#include "Util/iobserver.h"

#include <QStringList>

#include <functional>
#include <map>

/// Counts how often it was notified.
class CountingObserver : public Util::IObserver {
public:
    void notify() override
    {
        ++count;
        if (onNotify)
            onNotify();
    }
    int count = 0;
    std::function<void()> onNotify;
};

/// The operation with the observer that its window's factory would give it.
template <class Op> std::shared_ptr<Op> withObserver(std::shared_ptr<Op> operation, const Util::ObserverPtr &observer)
{
    operation->setObserver(observer);
    return operation;
}

/// An undoable operation that writes what happens to it into a shared log.
class LoggingOperation : public Core::Operations::ObjectOperation {
public:
    LoggingOperation(Core::Workspace &workspace, const QString &name, QStringList &log)
        : ObjectOperation(workspace, name, 99)
        , m_log(log)
    {
    }

    void start() override
    {
        m_log << name() + QStringLiteral(" start");
        if (waitForEnter) {
            workspace().console().writeMessage(name() + QStringLiteral(": waiting"));
            workspace().console().requestEnter(shared_from_this());
            waitForEnter = false;
            return;
        }
        execute();
    }
    void cancel() override
    {
        m_log << name() + QStringLiteral(" cancel");
        workspace().console().writeMessage(name() + QStringLiteral(": Operation canceled."));
        workspace().console().reset();
        workspace().operationCanceled();
    }
    void execute() override
    {
        m_log << name() + QStringLiteral(" execute");
        workspace().operationFinished();
    }
    bool undo() override
    {
        m_log << name() + QStringLiteral(" undo");
        return undoResult;
    }
    bool redo() override
    {
        m_log << name() + QStringLiteral(" redo");
        return true;
    }

    bool waitForEnter = false;
    bool undoResult = true;

private:
    QStringList &m_log;
};

/// Hands out whatever the test registered under an identifier.
class TestFactory : public Core::Operations::IOperationFactory {
public:
    Core::Operations::OperationPtr create(uint32_t identifier) override
    {
        auto it = makers.find(identifier);
        return it == makers.end() ? nullptr : it->second();
    }
    std::map<uint32_t, std::function<Core::Operations::OperationPtr()>> makers;
};
