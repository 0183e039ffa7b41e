#include "Core/Undo/documentchange.h"

#include "Core/workspace.h"
#include "Model/document.h"

#include <algorithm>

namespace Core {
namespace Operations {

void DocumentChange::make(Workspace &workspace, const QList<Model::ObjectPtr> &added,
                          const QList<Model::ObjectPtr> &removed)
{
    Model::Document &document = workspace.document();
    m_added = added;
    m_removed.clear();
    for (const auto &object : removed)
        m_removed.append({document.indexOf(object), object});
    std::sort(m_removed.begin(), m_removed.end(),
              [](const std::pair<int, Model::ObjectPtr> &a, const std::pair<int, Model::ObjectPtr> &b) {
                  return a.first < b.first;
              });
    apply(document);
}

bool DocumentChange::undo(Workspace &workspace) const
{
    Model::Document &document = workspace.document();
    for (const auto &object : m_added)
        document.removeObject(object);
    // Back in their places, lowest first, so that each lands where it stood.
    for (const auto &place : m_removed)
        document.insertObject(place.first, place.second);
    workspace.notifyUpdate();
    return true;
}

bool DocumentChange::redo(Workspace &workspace) const
{
    apply(workspace.document());
    workspace.notifyUpdate();
    return true;
}

void DocumentChange::apply(Model::Document &document) const
{
    for (const auto &object : m_added)
        document.addObject(object);
    for (const auto &place : m_removed)
        document.removeObject(place.second);
}

} // namespace Operations
} // namespace Core
