#pragma once

#include "Model/Materials/material.h"

#include <QAbstractTableModel>
#include <QList>

namespace Ui {

/// The table behind the Manage Materials dialog: a private copy of the catalogue that is edited
/// freely and reaches the catalogue only when the dialog is accepted.
/// Columns: 0 identifier, 1 name (editable for user materials, identifier 2000 and up), 2 colour.
class MaterialTableViewItem : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Copies the catalogue's materials.
    explicit MaterialTableViewItem(QObject *parent = nullptr);
    MaterialTableViewItem(const QList<Model::Materials::Material> &materials, QObject *parent = nullptr);

    /// Also hands out indexes of the hidden columns 3 to 5 (density, Young's modulus, Poisson ratio).
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    /// Appends `count` new materials at the end, wherever `row` asks for them; adds none and
    /// returns false when there are not enough free identifiers for all of them.
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    QList<Model::Materials::Material> materials() const { return m_materials; }

private:
    QList<Model::Materials::Material> m_materials;
};

} // namespace Ui
