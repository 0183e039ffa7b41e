#include "UI/Dialogs/managematerialsdialog.h"

#include "Model/Materials/materialfactory.h"
#include "UI/Dialogs/coloritemdelegate.h"
#include "UI/Dialogs/materialconstantdelegate.h"
#include "UI/Dialogs/materialtableviewitem.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace Ui {

ManageMaterialsDialog::ManageMaterialsDialog(QWidget *parent)
    : QDialog(parent)
    , m_model(new MaterialTableViewItem(this))
    , m_tvwMaterials(new QTableView(this))
    , m_lblMessage(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Manage Materials"));
    setModal(true);
    resize(1038, 636);

    m_tvwMaterials->setObjectName(QStringLiteral("tvwMaterials"));
    m_tvwMaterials->setModel(m_model);
    m_tvwMaterials->setItemDelegateForColumn(MaterialTableViewItem::ColorColumn, new ColorItemDelegate(m_tvwMaterials));
    auto *constants = new MaterialConstantDelegate(m_tvwMaterials);
    for (int column : {MaterialTableViewItem::DensityColumn, MaterialTableViewItem::YoungModulusColumn,
                       MaterialTableViewItem::PoissonRatioColumn})
        m_tvwMaterials->setItemDelegateForColumn(column, constants);
    m_tvwMaterials->resizeColumnsToContents();
    m_tvwMaterials->horizontalHeader()->setStretchLastSection(true);
    // Why an edited constant was refused, in red under the table.
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setStyleSheet(QStringLiteral("color: #b00020"));
    m_lblMessage->setWordWrap(true);
    connect(constants, &MaterialConstantDelegate::refused, m_lblMessage, &QLabel::setText);
    auto *add = new QPushButton(QStringLiteral("Add Material"), this);
    add->setObjectName(QStringLiteral("btnAddMaterial"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(add);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tvwMaterials);
    layout->addWidget(m_lblMessage);
    layout->addLayout(bottom);

    QMetaObject::connectSlotsByName(this);
}

QList<Model::Materials::Material> ManageMaterialsDialog::materials() const { return m_model->materials(); }

void ManageMaterialsDialog::on_btnAddMaterial_clicked()
{
    if (!m_model->insertRows(0, 1))
        QMessageBox::warning(
            this, QStringLiteral("Add Material"),
            QStringLiteral("No material can be added: %1.").arg(Model::Materials::MaterialFactory::noFreeIdText()));
}

QString ManageMaterialsDialog::storeMaterials(const QList<Model::Materials::Material> &materials)
{
    auto catalogue = Model::Materials::MaterialFactory::instance();
    for (const auto &material : materials)
        catalogue->setMaterial(material);
    QString error;
    if (catalogue->saveMaterials(&error))
        return QString();
    return QStringLiteral("The material catalogue could not be saved to \"%1\": %2\nThe earlier file is unchanged; "
                          "the materials as they are now are used until Cellforge ends.")
        .arg(QDir::toNativeSeparators(Model::Materials::MaterialFactory::filePath()), error);
}

} // namespace Ui
