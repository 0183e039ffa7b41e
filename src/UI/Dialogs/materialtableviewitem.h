#pragma once

#include "Model/Materials/material.h"

#include <QAbstractTableModel>
#include <QList>

namespace Ui {

/// The table behind the Manage Materials dialog: a private copy of the catalogue that is edited
/// freely and reaches the catalogue only when the dialog is accepted.
/// Columns: 0 identifier, 1 name (editable for user materials, identifier 2000 and up), 2 colour,
/// 3 density in kg/m³, 4 Young's modulus in GPa (the catalogue keeps pascals), 5 Poisson's ratio;
/// the constants, which the cantilever netlist reads, are editable for every material.
class MaterialTableViewItem : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { IdColumn, NameColumn, ColorColumn, DensityColumn, YoungModulusColumn, PoissonRatioColumn };

    /// Copies the catalogue's materials.
    explicit MaterialTableViewItem(QObject *parent = nullptr);
    MaterialTableViewItem(const QList<Model::Materials::Material> &materials, QObject *parent = nullptr);

    /// Why a value cannot stand in a column of the constants (in the column's unit), for the user;
    /// empty when it can. Density and Young's modulus must be positive, Poisson's ratio above -1
    /// and below 0.5 (the bounds of an isotropic, stable material).
    static QString refusal(int column, double value);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    /// Refuses constants that refusal() names and values that are not numbers.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    /// Appends `count` new materials ("New Material", grey, 1000 kg/m³, 1 GPa, Poisson's ratio 0.3)
    /// at the end, wherever `row` asks for them; adds none and
    /// returns false when there are not enough free identifiers for all of them.
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    QList<Model::Materials::Material> materials() const { return m_materials; }

private:
    QList<Model::Materials::Material> m_materials;
};

} // namespace Ui
