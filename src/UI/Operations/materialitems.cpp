#include "materialitems.h"

#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"

#include <QColor>
#include <QComboBox>
#include <QIcon>
#include <QPixmap>

namespace Ui {
namespace Operations {

void addMaterialItems(QComboBox *combo)
{
    for (const auto &material : Model::Materials::MaterialFactory::instance()->getMaterials()) {
        QPixmap swatch(100, 100);
        swatch.fill(Model::Materials::toQColor(material.color()));
        combo->addItem(QIcon(swatch), material.name(), material.id());
    }
}

unsigned chosenMaterial(const QComboBox *combo)
{
    return combo->currentIndex() < 0 ? 0u : combo->currentData().toUInt();
}

} // namespace Operations
} // namespace Ui
