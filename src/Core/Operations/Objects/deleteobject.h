#pragma once

#include "Core/Operations/operation.h"
#include "Core/Undo/documentchange.h"
#include "Model/object.h"

#include <QList>

namespace Core {
namespace Operations {

/// Removes the selected objects from the document ("Delete Objects"); undo puts them back.
class DeleteObject : public ObjectOperation {
public:
    explicit DeleteObject(Workspace &workspace);

    void start() override;
    void cancel() override;
    void execute() override;
    bool undo() override;
    bool redo() override;

    bool isReady() const { return m_ready; }
    QList<Model::ObjectPtr> objects() const { return m_objects; }

private:
    bool m_ready = false;
    QList<Model::ObjectPtr> m_objects;
    DocumentChange m_change;
};

} // namespace Operations
} // namespace Core
