#pragma once

#include <QStyledItemDelegate>

namespace Ui {

/// Edits a material constant of the Manage Materials table as text (2329, 188, 1.2e3, in the
/// user's notation or with a point) and says why a value is refused instead of storing it.
class MaterialConstantDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

signals:
    /// After every edit: why the value was not taken, or an empty text when it was.
    void refused(const QString &reason) const;
};

} // namespace Ui
