#pragma once

#include "layer.h"

#include <QList>
#include <QString>

#include <mutex>

namespace Model {

/// The scene of the open document: its layers of objects and its file name.
class Document {
public:
    Document();

    void addObject(const ObjectPtr &object);
    void removeObject(const ObjectPtr &object);
    /// Puts the object at `index` of the current layer, where indexOf found it before it was
    /// removed, so that undo brings back the order of the objects (and of the saved document).
    void insertObject(int index, const ObjectPtr &object);
    /// The object's position in the current layer, -1 when it is not there.
    int indexOf(const ObjectPtr &object) const;
    std::pair<ObjectPtr, bool> findObject(uint32_t id) const;
    QList<ObjectPtr> allObjects() const;
    /// Drops every layer, starts again with an empty layer 0 and forgets the file name.
    void clear();

    QString fileName() const;
    void setFileName(const QString &name);

    QList<LayerPtr> layers() const;

private:
    mutable std::mutex m_layerMutex;
    mutable std::mutex m_nameMutex;
    QList<LayerPtr> m_layers;
    LayerPtr m_currentLayer;
    QString m_fileName;
};

using DocumentPtr = std::shared_ptr<Document>;

} // namespace Model
