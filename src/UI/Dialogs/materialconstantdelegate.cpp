#include "UI/Dialogs/materialconstantdelegate.h"

#include "UI/Dialogs/materialtableviewitem.h"

#include <QLineEdit>

namespace Ui {

QString MaterialConstantDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    bool number = false;
    const double v = value.toDouble(&number);
    if (!number)
        return QStyledItemDelegate::displayText(value, locale);
    // Without group separators, so that the text reads back as the same number.
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(v, 'g', 6);
}

QWidget *MaterialConstantDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                                const QModelIndex &) const
{
    auto *editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("ledConstant"));
    return editor;
}

void MaterialConstantDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setText(displayText(index.data(Qt::EditRole), line->locale()));
}

void MaterialConstantDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line)
        return;
    const QString text = line->text().trimmed();
    bool number = false;
    double value = line->locale().toDouble(text, &number);
    if (!number)
        value = QLocale::c().toDouble(text, &number);
    const QString header = model->headerData(index.column(), Qt::Horizontal).toString();
    if (!number) {
        emit refused(QStringLiteral("\"%1\" is not a number: %2 is unchanged.").arg(text, header));
        return;
    }
    const QString why = MaterialTableViewItem::refusal(index.column(), value);
    if (!why.isEmpty() || !model->setData(index, value)) {
        emit refused(QStringLiteral("%1 %2 is unchanged.").arg(why, header));
        return;
    }
    emit refused(QString());
}

} // namespace Ui
