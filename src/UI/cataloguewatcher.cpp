#include "UI/cataloguewatcher.h"

#include "Model/Materials/materialfactory.h"

namespace Ui {

CatalogueWatcher::CatalogueWatcher(QObject *parent, int intervalMs)
    : QObject(parent)
    , m_seen(Model::Materials::MaterialFactory::instance()->revision())
{
    // A look at one counter: cheap enough to ask a few times a second, and it catches changes
    // made in any window or thread without each of them having to know every view.
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CatalogueWatcher::check);
    m_timer.start();
}

void CatalogueWatcher::check()
{
    const uint64_t revision = Model::Materials::MaterialFactory::instance()->revision();
    if (revision == m_seen)
        return;
    m_seen = revision;
    emit changed();
}

} // namespace Ui
