#pragma once

#include "Model/document.h"
#include "Util/iobserver.h"

#include <QList>

#include <cstdint>
#include <optional>
#include <vector>

namespace Core {

class PickState;

/// The objects the user picked in the view, in picking order, and the selection mode.
class Selection {
public:
    Selection(Model::Document &document, PickState &pickState) : m_document(document), m_pickState(pickState) {}

    bool isSelectionMode() const { return m_selectionMode; }
    /// Switching the mode off also clears the selection; observers hear of every change.
    void setSelectionMode(bool on);
    void clearSelection();
    /// Toggles the objects a pick in the view hit: `hit` holds the names of its first hit record
    /// (object identifiers, see Display::ScenePainter::pick), none when nothing was hit. False when
    /// selection mode is off or nothing was hit.
    bool pick(const std::optional<std::vector<uint32_t>> &hit);
    /// Selects the object if it is not selected, else deselects it (what a pick does per hit name).
    void toggle(const Model::ObjectPtr &object);

    QList<Model::ObjectPtr> selected() const { return m_selected; }
    void addObserver(const Util::ObserverPtr &observer) { m_observers.push_back(observer); }

private:
    void refreshPickState();

    Model::Document &m_document;
    PickState &m_pickState;
    QList<Model::ObjectPtr> m_selected;
    std::vector<Util::ObserverPtr> m_observers;
    bool m_selectionMode = false;
};

} // namespace Core
