#pragma once

#include "Util/iobserver.h"

#include <QPointer>
#include <QWidget>

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// While a document is being opened, puts each material conflict to the user in the conflict
/// dialog and hands the choice to the open operation.
class MaterialConflictObserver : public Util::IObserver {
public:
    MaterialConflictObserver(Core::Workspace &workspace, QWidget *parent)
        : m_workspace(workspace)
        , m_parent(parent)
    {
    }
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
