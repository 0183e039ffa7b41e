#pragma once

#include "Model/Materials/material.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTableView;

namespace Ui {

class MaterialTableViewItem;

/// "Manage Materials": the catalogue as a table whose user materials can be renamed, every
/// material recoloured and given its density, Young's modulus and Poisson's ratio (refused values
/// are named under the table), and new materials added. Nothing changes until the presenter
/// stores it.
class ManageMaterialsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ManageMaterialsDialog(QWidget *parent = nullptr);

    /// The edited list, in table order.
    QList<Model::Materials::Material> materials() const;
    MaterialTableViewItem *model() const { return m_model; }

    /// Stores the materials in the catalogue and writes the catalogue file; why the file could not
    /// be written (for a message), or an empty text.
    static QString storeMaterials(const QList<Model::Materials::Material> &materials);

private slots:
    void on_btnAddMaterial_clicked();

private:
    MaterialTableViewItem *m_model;
    QTableView *m_tvwMaterials;
    QLabel *m_lblMessage;
};

} // namespace Ui
