#pragma once

#include "Model/object.h"

#include <QList>

#include <utility>

namespace Model {
class Document;
}

namespace Core {
class Workspace;

namespace Operations {

/// What an operation changed in the document's list of objects, kept for its undo and redo: the
/// objects it added and those it took out, with the places they stood in. Used by the operations
/// that add a volume (Create Substrate, Glue Volumes, Extract Film), Copy and Delete.
class DocumentChange {
public:
    /// Adds `added` at the end of the document, then takes `removed` out, and records both. The
    /// caller tells the views when it is done.
    void make(Workspace &workspace, const QList<Model::ObjectPtr> &added, const QList<Model::ObjectPtr> &removed = {});
    /// Takes the added objects out, puts the removed ones back where they stood and tells the
    /// views; true, as `ObjectOperation::undo` answers.
    bool undo(Workspace &workspace) const;
    /// Makes the recorded change again and tells the views.
    bool redo(Workspace &workspace) const;

private:
    void apply(Model::Document &document) const;

    QList<Model::ObjectPtr> m_added;
    /// Where each removed object stood, in ascending order.
    QList<std::pair<int, Model::ObjectPtr>> m_removed;
};

} // namespace Operations
} // namespace Core
