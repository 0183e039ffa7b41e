#include "materialitems.h"

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
        const auto c = material.color();
        QPixmap swatch(100, 100);
        swatch.fill(QColor(int(c[0] * 255), int(c[1] * 255), int(c[2] * 255), int(c[3] * 255)));
        combo->addItem(QIcon(swatch), material.name(), material.id());
    }
}

unsigned chosenMaterial(const QComboBox *combo)
{
    return combo->currentIndex() < 0 ? 0u : combo->currentData().toUInt();
}

} // namespace Operations
} // namespace Ui
