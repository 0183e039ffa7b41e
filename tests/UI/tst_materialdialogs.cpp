#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/coloritemdelegate.h"
#include "UI/editcompatiblematerialsdialog.h"
#include "UI/managematerialsdialog.h"
#include "UI/materialtableviewitem.h"
#include "catalogtesthome.h"
#include "fullcatalogue.h"

#include <QColor>
#include <QColorDialog>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Process::ProcessFactory;
using Ui::MaterialTableViewItem;

namespace {

QList<Material> sampleMaterials()
{
    return {Material(1, QStringLiteral("Si"), 2329, 1.88e11f, 0.28f, {0.5f, 0.5f, 0.5f, 1.0f}),
            Material(2500, QStringLiteral("Mine"), 10, 20, 0.3f, {0.7f, 0.0f, 1.0f, 0.5f})};
}

QStringList itemTexts(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QSet<uint32_t> ids(const QList<Material> &materials)
{
    QSet<uint32_t> result;
    for (const Material &m : materials)
        result.insert(m.id());
    return result;
}

void selectByText(QListWidget *list, const QStringList &texts)
{
    for (int i = 0; i < list->count(); ++i) {
        if (texts.contains(list->item(i)->text()))
            list->item(i)->setSelected(true);
    }
}

} // namespace

class tst_MaterialDialogs : public QObject {
    Q_OBJECT
private slots:
    void modelShowsIdentifierNameAndColour()
    {
        MaterialTableViewItem model(sampleMaterials());
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.data(model.index(0, 0)).toUInt(), 1u);
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("Mine"));
        // Components times 255, truncated: 0.7 gives 178.
        QCOMPARE(model.data(model.index(1, 2)).value<QColor>(), QColor(178, 0, 255, 127));
        QVERIFY(!model.data(model.index(0, 1), Qt::ToolTipRole).isValid());
        QCOMPARE(model.data(model.index(1, 3)).toFloat(), 10.0f);
    }

    void headers_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Material Id";
        QTest::newRow("1") << 1 << "Material Name";
        QTest::newRow("2") << 2 << "Color";
        QTest::newRow("3") << 3 << "Density";
        QTest::newRow("4") << 4 << "Young Modulus";
        QTest::newRow("5") << 5 << "Poisson Ratio";
        QTest::newRow("7") << 7 << "Column 7";
    }

    void headers()
    {
        QFETCH(int, section);
        QFETCH(QString, text);
        MaterialTableViewItem model(sampleMaterials());
        QCOMPARE(model.headerData(section, Qt::Horizontal).toString(), text);
        QCOMPARE(model.headerData(section, Qt::Vertical).toInt(), section + 1);
    }

    void editability_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("editable");
        QTest::newRow("built-in identifier") << 0 << 0 << false;
        QTest::newRow("built-in name") << 0 << 1 << false;
        QTest::newRow("built-in colour") << 0 << 2 << true;
        QTest::newRow("user identifier") << 1 << 0 << false;
        QTest::newRow("user name") << 1 << 1 << true;
        QTest::newRow("user colour") << 1 << 2 << true;
    }

    void editability()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(bool, editable);
        MaterialTableViewItem model(sampleMaterials());
        QCOMPARE(bool(model.flags(model.index(row, column)) & Qt::ItemIsEditable), editable);
    }

    void editsChangeOnlyTheModelCopy()
    {
        CatalogTestHome home;
        MaterialFactory::instance()->createDefaultMaterials();
        MaterialTableViewItem model;
        QCOMPARE(model.rowCount(), 16);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        QVERIFY(model.setData(model.index(0, 2), QColor(255, 0, 51, 255)));
        QVERIFY(model.setData(model.index(0, 3), 7.5));
        QVERIFY(!model.setData(model.index(0, 0), 99));
        QVERIFY(!model.setData(model.index(0, 1), QStringLiteral("x"), Qt::DisplayRole));
        QVERIFY(!model.setData(model.index(40, 1), QStringLiteral("x")));
        QCOMPARE(changed.count(), 2);

        const Material si = model.materials().first();
        QCOMPARE(si.color(), (std::array<float, 4>{1.0f, 0.0f, 0.2f, 1.0f}));
        QCOMPARE(si.density(), 7.5f);
        QCOMPARE(si.id(), 1u);
        QCOMPARE(MaterialFactory::instance()->getMaterial(1).density(), 2329.0f);
        QVERIFY(!model.removeRows(0, 1));
        QVERIFY(!model.insertColumns(0, 1));
    }

    void addingTwoMaterialsAppendsNewUserMaterials()
    {
        CatalogTestHome home;
        MaterialFactory::instance()->createDefaultMaterials();
        Ui::ManageMaterialsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Manage Materials"));
        auto *view = dialog.findChild<QTableView *>(QStringLiteral("tvwMaterials"));
        QVERIFY(view);
        QVERIFY(qobject_cast<Ui::ColorItemDelegate *>(view->itemDelegateForColumn(2)));
        auto *add = dialog.findChild<QPushButton *>(QStringLiteral("btnAddMaterial"));
        QCOMPARE(add->text(), QStringLiteral("Add Material"));
        add->click();
        add->click();

        const auto materials = dialog.materials();
        QCOMPARE(materials.size(), 18);
        const Material a = materials.at(16);
        const Material b = materials.at(17);
        for (const Material &m : {a, b}) {
            QVERIFY(m.id() >= 2000 && m.id() <= 32766);
            QCOMPARE(m.name(), QStringLiteral("New Material"));
            QCOMPARE(m.density(), 1.0f);
            QCOMPARE(m.color(), (std::array<float, 4>{0.5f, 0.5f, 0.5f, 1.0f}));
        }
        QVERIFY(a.id() != b.id());
        // The new materials can be renamed; the catalogue does not know them yet.
        auto *model = dialog.model();
        QVERIFY(model->setData(model->index(17, 1), QStringLiteral("Glass")));
        QCOMPARE(MaterialFactory::instance()->getMaterial(b.id()).id(), 0u);
        QCOMPARE(materials.at(0).name(), QStringLiteral("Si"));
    }

    void newRowsGetTheLastFreeIdentifiers()
    {
        CatalogTestHome home;
        MaterialFactory::instance()->createDefaultMaterials();
        takeNewMaterialIds({5000, 6000});
        MaterialTableViewItem model;
        const int rows = model.rowCount();
        // Three rows need three identifiers: none is added.
        QVERIFY(!model.insertRows(0, 3));
        QCOMPARE(model.rowCount(), rows);
        QVERIFY(model.insertRows(0, 1));
        QVERIFY(model.insertRows(0, 1));
        QVERIFY(!model.insertRows(0, 1));
        MaterialFactory::instance()->createDefaultMaterials();
        QCOMPARE(model.rowCount(), rows + 2);
        QCOMPARE(ids(model.materials().mid(rows)), (QSet<uint32_t>{5000, 6000}));
    }

    void addMaterialWithoutAFreeIdentifierSaysSo()
    {
        CatalogTestHome home;
        MaterialFactory::instance()->createDefaultMaterials();
        takeNewMaterialIds();
        Ui::ManageMaterialsDialog dialog;
        const int rows = dialog.materials().size();
        QString title;
        QString text;
        QTimer::singleShot(0, [&title, &text] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                box->close();
            }
        });
        dialog.findChild<QPushButton *>(QStringLiteral("btnAddMaterial"))->click();
        MaterialFactory::instance()->createDefaultMaterials();
        QCOMPARE(title, QStringLiteral("Add Material"));
        QCOMPARE(text,
                 QStringLiteral("No material can be added: every material identifier from 2000 to 32766 is in use."));
        QCOMPARE(dialog.materials().size(), rows);
    }

    void acceptedMaterialsAreStoredAndWritten()
    {
        CatalogTestHome home;
        auto catalogue = MaterialFactory::instance();
        catalogue->createDefaultMaterials();
        MaterialTableViewItem model;
        model.insertRows(0, 1);
        model.setData(model.index(16, 1), QStringLiteral("Glass"));
        model.setData(model.index(2, 2), QColor(0, 0, 0, 255));
        Ui::ManageMaterialsDialog::storeMaterials(model.materials());

        const uint32_t id = model.materials().last().id();
        QCOMPARE(catalogue->getMaterial(id).name(), QStringLiteral("Glass"));
        QCOMPARE(catalogue->getMaterial(4).color(), (std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f}));
        const QByteArray written = home.read(QStringLiteral("materials.xml"));
        QVERIFY(written.contains("name=\"Glass\""));
        QVERIFY(written.contains("material-id=\"" + QByteArray::number(id) + "\""));
        catalogue->createDefaultMaterials();
    }

    void colourDelegateEditsThroughAColourDialog()
    {
        MaterialTableViewItem model(sampleMaterials());
        Ui::ColorItemDelegate delegate;
        QWidget parent;
        QWidget *editor = delegate.createEditor(&parent, QStyleOptionViewItem(), model.index(1, 2));
        auto *dialog = qobject_cast<QColorDialog *>(editor);
        QVERIFY(dialog);
        QVERIFY(dialog->testOption(QColorDialog::ShowAlphaChannel));
        delegate.setEditorData(dialog, model.index(1, 2));
        QCOMPARE(dialog->currentColor(), QColor(178, 0, 255, 127));
        dialog->setCurrentColor(QColor(0, 255, 0, 255));
        delegate.setModelData(dialog, &model, model.index(1, 2));
        QCOMPARE(model.materials().at(1).color(), (std::array<float, 4>{0.0f, 1.0f, 0.0f, 1.0f}));
    }

    void compatibleMaterialsInsertAndRemove()
    {
        CatalogTestHome home;
        MaterialFactory::instance()->createDefaultMaterials();
        ProcessFactory::instance()->createDefaultProcesses();
        Ui::EditCompatibleMaterialsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Compatible Materials"));
        auto *process = dialog.findChild<QComboBox *>(QStringLiteral("cbxProcess"));
        auto *available = dialog.findChild<QListWidget *>(QStringLiteral("listAvailableMaterials"));
        auto *compatible = dialog.findChild<QListWidget *>(QStringLiteral("listCompatibleMaterials"));
        auto *insert = dialog.findChild<QPushButton *>(QStringLiteral("btnInsert"));
        auto *remove = dialog.findChild<QPushButton *>(QStringLiteral("btnRemove"));
        QVERIFY(process && available && compatible && insert && remove);
        QCOMPARE(insert->text(), QStringLiteral(">>"));
        QCOMPARE(remove->text(), QStringLiteral("<<"));
        QCOMPARE(available->selectionMode(), QAbstractItemView::ExtendedSelection);

        // The first process is shown at once: "Si Wet Etching" with Si only.
        QCOMPARE(process->count(), 18);
        QCOMPARE(process->currentText(), QStringLiteral("Si Wet Etching"));
        QCOMPARE(itemTexts(compatible), QStringList{"Si"});
        QCOMPARE(available->count(), 15);
        QCOMPARE(available->item(0)->data(Qt::UserRole).toUInt(), 3u);

        // Planarization (7) has no compatible material.
        process->setCurrentIndex(process->findData(7u));
        QVERIFY(compatible->count() == 0);
        QCOMPARE(available->count(), 16);
        selectByText(available, {"Cu (bulk)", "Au (bulk)"});
        insert->click();
        QCOMPARE(itemTexts(compatible), (QStringList{"Cu (bulk)", "Au (bulk)"}));
        QCOMPARE(available->count(), 14);
        QVERIFY(!itemTexts(available).contains(QStringLiteral("Cu (bulk)")));
        QVERIFY(available->selectedItems().isEmpty());

        selectByText(compatible, {"Cu (bulk)"});
        remove->click();
        QCOMPARE(itemTexts(compatible), QStringList{"Au (bulk)"});
        QCOMPARE(available->count(), 15);

        // The edits live in the dialog's copy until they are stored.
        QVERIFY(ProcessFactory::instance()->getProcess(7).compatibleMaterialIds().isEmpty());
        Ui::EditCompatibleMaterialsDialog::storeProcesses(dialog.processes());
        QCOMPARE(ProcessFactory::instance()->getProcess(7).compatibleMaterialIds(), QList<uint32_t>{9});
        QVERIFY(home.read(QStringLiteral("processes.xml")).contains("<CompatibleMaterials>9</CompatibleMaterials>"));
        ProcessFactory::instance()->createDefaultProcesses();
    }
};

QTEST_MAIN(tst_MaterialDialogs)
#include "tst_materialdialogs.moc"
