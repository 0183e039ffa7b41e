#include "UI/Dialogs/coloritemdelegate.h"

#include <QColorDialog>
#include <QPainter>

namespace Ui {

void ColorItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QVariant value = index.data(Qt::DisplayRole);
    if (!value.canConvert<QColor>()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem plain(option);
    initStyleOption(&plain, index);
    plain.text.clear();
    QStyledItemDelegate::paint(painter, plain, QModelIndex());
    painter->save();
    // A thin grey frame keeps pale colours apart from the pale cell around them.
    const QRect swatch = option.rect.adjusted(3, 3, -4, -4);
    painter->fillRect(swatch, value.value<QColor>());
    painter->setPen(QColor(96, 96, 96));
    painter->drawRect(swatch);
    painter->restore();
}

QWidget *ColorItemDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *dialog = new QColorDialog(parent);
    dialog->setOption(QColorDialog::ShowAlphaChannel, true);
    dialog->setWindowFlags(Qt::Dialog);
    dialog->setModal(true);
    auto *self = const_cast<ColorItemDelegate *>(this);
    connect(dialog, &QColorDialog::accepted, self, [self, dialog] {
        emit self->commitData(dialog);
        emit self->closeEditor(dialog);
    });
    connect(dialog, &QColorDialog::rejected, self, [self, dialog] { emit self->closeEditor(dialog); });
    return dialog;
}

void ColorItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *dialog = qobject_cast<QColorDialog *>(editor))
        dialog->setCurrentColor(index.data(Qt::DisplayRole).value<QColor>());
}

void ColorItemDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *dialog = qobject_cast<QColorDialog *>(editor))
        model->setData(index, dialog->currentColor(), Qt::EditRole);
}

void ColorItemDelegate::updateEditorGeometry(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    // The colour dialog is a window of its own; it keeps its size and place.
}

} // namespace Ui
