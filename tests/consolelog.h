#pragma once

#include "Core/workspace.h"
#include "Util/iobserver.h"

#include <QStringList>

/// Keeps every line written to a workspace's console, in order.
class ConsoleLog : public Util::IObserver {
public:
    explicit ConsoleLog(Core::Workspace &workspace)
        : m_workspace(workspace)
    {
    }
    void notify() override { lines << m_workspace.console().message(); }
    QStringList lines;

private:
    Core::Workspace &m_workspace;
};
