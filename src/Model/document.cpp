#include "document.h"

namespace Model {

Document::Document() : m_currentLayer(std::make_shared<Layer>(0)) { m_layers.append(m_currentLayer); }

void Document::addObject(const ObjectPtr &object)
{
    std::lock_guard<std::mutex> lock(m_layerMutex);
    m_currentLayer->add(object);
}

void Document::removeObject(const ObjectPtr &object)
{
    std::lock_guard<std::mutex> lock(m_layerMutex);
    m_currentLayer->remove(object);
}

void Document::insertObject(int index, const ObjectPtr &object)
{
    std::lock_guard<std::mutex> lock(m_layerMutex);
    m_currentLayer->insert(index, object);
}

int Document::indexOf(const ObjectPtr &object) const
{
    std::lock_guard<std::mutex> lock(m_layerMutex);
    return m_currentLayer->indexOf(object);
}

std::pair<ObjectPtr, bool> Document::findObject(uint32_t id) const
{
    std::lock_guard<std::mutex> lock(m_layerMutex);
    for (const auto &layer : m_layers) {
        auto found = layer->find(id);
        if (found.second)
            return found;
    }
    return {nullptr, false};
}

QList<ObjectPtr> Document::allObjects() const
{
    std::lock_guard<std::mutex> lock(m_layerMutex);
    QList<ObjectPtr> all;
    for (const auto &layer : m_layers)
        all.append(layer->objects());
    return all;
}

void Document::clear()
{
    {
        std::lock_guard<std::mutex> lock(m_layerMutex);
        m_layers.clear();
        m_currentLayer = std::make_shared<Layer>(0);
        m_layers.append(m_currentLayer);
    }
    setFileName(QString());
}

QString Document::fileName() const
{
    std::lock_guard<std::mutex> lock(m_nameMutex);
    return m_fileName;
}

void Document::setFileName(const QString &name)
{
    std::lock_guard<std::mutex> lock(m_nameMutex);
    m_fileName = name;
}

QList<LayerPtr> Document::layers() const
{
    std::lock_guard<std::mutex> lock(m_layerMutex);
    return m_layers;
}

} // namespace Model
