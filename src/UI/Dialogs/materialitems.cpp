#include "UI/Dialogs/materialitems.h"

#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"

#include <QAbstractItemView>
#include <QColor>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>

namespace Ui {
namespace Operations {

namespace {

// The swatch side for a list: the height of its text.
int swatchSize(const QComboBox *combo) { return std::max(8, combo->fontMetrics().height()); }

} // namespace

QIcon materialSwatch(const std::array<float, 4> &color, int size)
{
    QPixmap swatch(size, size);
    swatch.fill(Model::Materials::toQColor(color));
    QPainter painter(&swatch);
    painter.setPen(QColor(96, 96, 96));
    painter.drawRect(0, 0, size - 1, size - 1);
    return QIcon(swatch);
}

void fitMaterialBox(QComboBox *combo)
{
    const int size = swatchSize(combo);
    combo->setIconSize(QSize(size, size));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // The popup gets the room of the longest name beside its swatch, with margins and a scroll bar.
    QAbstractItemView *list = combo->view();
    list->setTextElideMode(Qt::ElideNone);
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i)
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(combo->itemText(i)));
    list->setMinimumWidth(widest + size + 4 * combo->fontMetrics().averageCharWidth() +
                          list->verticalScrollBar()->sizeHint().width() + 2 * list->frameWidth());
}

void addMaterialItem(QComboBox *combo, const std::array<float, 4> &color, const QString &name,
                     const QVariant &identifier)
{
    combo->addItem(materialSwatch(color, swatchSize(combo)), name, identifier);
}

void addMaterialItems(QComboBox *combo)
{
    for (const auto &material : Model::Materials::MaterialFactory::instance()->getMaterials())
        addMaterialItem(combo, material.color(), material.name(), material.id());
    fitMaterialBox(combo);
}

unsigned chosenMaterial(const QComboBox *combo)
{
    return combo->currentIndex() < 0 ? 0u : combo->currentData().toUInt();
}

} // namespace Operations
} // namespace Ui
