#pragma once

#include "Core/workspace.h"
#include "consolelog.h"
#include "testoperations.h"

#include <functional>
#include <memory>

/// A workspace whose factory makes an `Op` behind `identifier`. The operation's options observer
/// (its dialog) calls `answer`; with none set the dialog counts as rejected. Every console line
/// is kept in `log`.
template <class Op> struct AnsweringScene {
    explicit AnsweringScene(uint32_t identifier)
        : id(identifier)
    {
        ws.console().addObserver(log);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[identifier] = [this] {
            operation = std::make_shared<Op>(ws);
            auto observer = std::make_shared<CountingObserver>();
            observer->onNotify = [this] {
                if (answer)
                    answer(*operation);
            };
            operation->setObserver(observer);
            return operation;
        };
        ws.setOperationFactory(factory);
    }
    void start() { ws.startOperation(id); }
    /// Selects `object` (none: nothing) and presses Enter in the console.
    void enter(const Model::ObjectPtr &object = nullptr)
    {
        if (object)
            ws.selection().toggle(object);
        ws.console().handleLine(QString());
    }
    QString last() const { return log->lines.isEmpty() ? QString() : log->lines.last(); }

    uint32_t id;
    Core::Workspace ws;
    std::shared_ptr<ConsoleLog> log = std::make_shared<ConsoleLog>(ws);
    std::shared_ptr<Op> operation;
    std::function<void(Op &)> answer;
};
