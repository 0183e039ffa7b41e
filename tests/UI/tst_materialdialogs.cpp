// The catalogues in the window: the material table and its dialogs, the compatible materials, the report
// of catalogue files that could not be read at start, and the watcher that tells the views of changes.
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Dialogs/coloritemdelegate.h"
#include "UI/Dialogs/managematerialsdialog.h"
#include "UI/Dialogs/materialtableviewitem.h"
#include "UI/cataloguestartup.h"
#include "UI/cataloguewatcher.h"
#include "UI/mainwindowpresenter.h"
#include "catalogtesthome.h"
#include "fullcatalogue.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "screenshots.h"
#include "testoperations.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTextStream>
#include <QtTest>

#include <cerrno>
#include <cstring>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Process::ProcessFactory;
using Ui::MaterialTableViewItem;

namespace {

QStringList itemTexts(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void selectByText(QListWidget *list, const QStringList &texts)
{
    for (int i = 0; i < list->count(); ++i) {
        if (texts.contains(list->item(i)->text()))
            list->item(i)->setSelected(true);
    }
}

/// Closes the message box that opens next and keeps its title and text in `shown`.
void closeNextMessageBox(QStringList &shown)
{
    whenModal([&shown](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            shown << box->windowTitle() << box->text();
            box->close();
        }
    });
}

} // namespace

class tst_MaterialDialogs : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void init()
    {
        MaterialFactory::instance()->createDefaultMaterials();
        ProcessFactory::instance()->createDefaultProcesses();
    }

    void modelShowsColoursEditsWhatMayBeEditedThroughAColourDialog()
    {
        MaterialTableViewItem model({Material(1, QStringLiteral("Si"), 2329, 1.88e11f, 0.28f, {0.5f, 0.5f, 0.5f, 1}),
                                     Material(2500, QStringLiteral("Mine"), 10, 20, 0.3f, {0.7f, 0, 1, 0.5f})});
        // Built-in materials (below 2000) keep their names; no identifier is edited.
        const bool editable[2][3] = {{false, false, true}, {false, true, true}};
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 3; ++column)
                QCOMPARE(bool(model.flags(model.index(row, column)) & Qt::ItemIsEditable), editable[row][column]);

        Ui::ColorItemDelegate delegate;
        QWidget parent;
        auto *dialog = qobject_cast<QColorDialog *>(delegate.createEditor(&parent, {}, model.index(1, 2)));
        QVERIFY(dialog);
        QVERIFY(dialog->testOption(QColorDialog::ShowAlphaChannel));
        delegate.setEditorData(dialog, model.index(1, 2));
        // Components as their nearest bytes, as files and meshes have them: 0.7 gives 179 (178.5), 0.5 128.
        QCOMPARE(dialog->currentColor(), QColor(179, 0, 255, 128));
        dialog->setCurrentColor(QColor(0, 255, 0, 255));
        delegate.setModelData(dialog, &model, model.index(1, 2));
        QCOMPARE(model.materials().at(1).color(), (std::array<float, 4>{0.0f, 1.0f, 0.0f, 1.0f}));
    }

    void editsChangeOnlyTheModelCopy()
    {
        MaterialTableViewItem model;
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
        QCOMPARE(MaterialFactory::instance()->getMaterial(1).density(), 2329.0f);
        QVERIFY(!model.removeRows(0, 1));
    }

    void newRowsGetTheLastFreeIdentifiersOrASaying()
    {
        takeNewMaterialIds({5000, 6000});
        MaterialTableViewItem model;
        const int rows = model.rowCount();
        QVERIFY(!model.insertRows(0, 3)); // three rows need three identifiers: none is added
        QCOMPARE(model.rowCount(), rows);
        QVERIFY(model.insertRows(0, 1));
        QVERIFY(model.insertRows(0, 1));
        QVERIFY(!model.insertRows(0, 1));
        const uint32_t first = model.materials().at(rows).id();
        const uint32_t second = model.materials().at(rows + 1).id();
        QCOMPARE(std::min(first, second), 5000u);
        QCOMPARE(std::max(first, second), 6000u);

        takeNewMaterialIds();
        Ui::ManageMaterialsDialog dialog;
        const int before = dialog.materials().size();
        QStringList shown;
        closeNextMessageBox(shown);
        dialog.findChild<QPushButton *>(QStringLiteral("btnAddMaterial"))->click();
        MaterialFactory::instance()->createDefaultMaterials();
        QCOMPARE(shown,
                 (QStringList{"Add Material",
                              "No material can be added: every material identifier from 2000 to 32766 is in use."}));
        QCOMPARE(dialog.materials().size(), before);
    }

    void constantsAreEditedInTheirUnitsAndBadOnesRefused_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored"); // in the catalogue's unit; 0: refused
        QTest::addColumn<QString>("message");
        QTest::newRow("density") << 3 << "2330.5" << 2330.5 << "";
        QTest::newRow("Young's modulus in GPa") << 4 << "150" << 150e9 << "";
        QTest::newRow("Poisson's ratio") << 5 << "0.49" << 0.49 << "";
        QTest::newRow("auxetic Poisson's ratio") << 5 << "-0.5" << -0.5 << "";
        QTest::newRow("no density") << 3 << "0" << 0.0
                                    << "The density must be above 0 kg/m³. Density (kg/m³) is unchanged.";
        QTest::newRow("negative modulus")
            << 4 << "-1" << 0.0 << "Young's modulus must be above 0 GPa. Young Modulus (GPa) is unchanged.";
        const QString poisson =
            QStringLiteral("Poisson's ratio must lie above -1 and below 0.5. Poisson Ratio is unchanged.");
        QTest::newRow("Poisson's ratio 0.5") << 5 << "0.5" << 0.0 << poisson;
        QTest::newRow("Poisson's ratio -1") << 5 << "-1" << 0.0 << poisson;
        QTest::newRow("not a number") << 3 << "heavy" << 0.0
                                      << "\"heavy\" is not a number: Density (kg/m³) is unchanged.";
    }
    // The netlist's constants are shown with their units and edited through text; a value no
    // material can have is named under the table and leaves the old one.
    void constantsAreEditedInTheirUnitsAndBadOnesRefused()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(double, stored);
        QFETCH(QString, message);
        Ui::ManageMaterialsDialog dialog;
        auto *model = dialog.model();
        QCOMPARE(model->columnCount(), 6);
        QCOMPARE(model->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Young Modulus (GPa)"));
        const QModelIndex si = model->index(0, column);
        QVERIFY(model->flags(si) & Qt::ItemIsEditable);
        const Material before = model->materials().first();
        auto *table = dialog.findChild<QTableView *>(QStringLiteral("tvwMaterials"));
        auto *delegate = table->itemDelegateForColumn(column);
        QWidget parent;
        std::unique_ptr<QWidget> editor(delegate->createEditor(&parent, {}, si));
        auto *line = qobject_cast<QLineEdit *>(editor.get());
        QVERIFY(line);
        delegate->setEditorData(line, si);
        QCOMPARE(line->text(), QStringLiteral("2329 188 0.28").split(' ').at(column - 3));
        line->setText(typed);
        delegate->setModelData(line, model, si);
        auto *label = dialog.findChild<QLabel *>(QStringLiteral("lblMessage"));
        QCOMPARE(label->text(), message);
        const Material after = model->materials().first();
        const float values[3] = {after.density(), after.youngModulus(), after.poissonRatio()};
        const float old[3] = {before.density(), before.youngModulus(), before.poissonRatio()};
        QCOMPARE(values[column - 3], stored == 0.0 ? old[column - 3] : float(stored));
        // Direct edits are held to the same bounds.
        QCOMPARE(model->setData(si, typed.toDouble()), stored != 0.0);
        if (column == 5 && stored == 0.0) {
            dialog.show();
            saveShot(dialog, QStringLiteral("manage-materials"));
        }
    }

    void acceptedMaterialsReachTheCatalogueTheFileAndTheView()
    {
        CatalogTestHome home;
        auto materials = MaterialFactory::instance();
        MainWindow window;
        auto redraws = std::make_shared<CountingObserver>();
        window.presenter()->workspace().addUpdateObserver(redraws);
        ModalAnswerer answerer({[](QWidget *w) {
            auto *dialog = qobject_cast<Ui::ManageMaterialsDialog *>(w);
            dialog->findChild<QPushButton *>(QStringLiteral("btnAddMaterial"))->click();
            dialog->model()->setData(dialog->model()->index(2, 2), QColor(0, 0, 0, 255));
            dialog->model()->setData(dialog->model()->index(0, 4), 150.0); // GPa
            dialog->accept();
        }});
        window.action("actionManage_Materials")->trigger();
        const auto all = materials->getMaterials();
        QCOMPARE(all.size(), 18);
        QCOMPARE(all.last().name(), QStringLiteral("New Material"));
        QCOMPARE(materials->getMaterial(4).color(), (std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f}));
        const QByteArray written = home.read(QStringLiteral("materials.xml"));
        QVERIFY(written.contains("name=\"New Material\""));
        QCOMPARE(materials->getMaterial(1).youngModulus(), 1.5e11f);
        QVERIFY(written.contains("young-modulus=\"1.5e+11\""));
        QVERIFY(written.contains("material-id=\"" + QByteArray::number(all.last().id()) + "\""));
        QCOMPARE(redraws->count, 1);
    }

    void compatibleMaterialsInsertedRemovedAndStoredOnlyWhenAccepted()
    {
        CatalogTestHome home;
        MainWindow window;
        for (bool accept : {false, true}) {
            ModalAnswerer answerer({[accept](QWidget *w) {
                auto *process = w->findChild<QComboBox *>(QStringLiteral("cbxProcess"));
                auto *available = w->findChild<QListWidget *>(QStringLiteral("listAvailableMaterials"));
                auto *compatible = w->findChild<QListWidget *>(QStringLiteral("listCompatibleMaterials"));
                // Planarization (7) has no compatible material.
                process->setCurrentIndex(process->findData(7u));
                QCOMPARE(available->count(), 17);
                selectByText(available, {"Cu (bulk)", "Au (bulk)"});
                w->findChild<QPushButton *>(QStringLiteral("btnInsert"))->click();
                QCOMPARE(itemTexts(compatible), (QStringList{"Cu (bulk)", "Au (bulk)"}));
                QVERIFY(!itemTexts(available).contains(QStringLiteral("Cu (bulk)")));
                selectByText(compatible, {"Cu (bulk)"});
                w->findChild<QPushButton *>(QStringLiteral("btnRemove"))->click();
                QCOMPARE(itemTexts(compatible), QStringList{"Au (bulk)"});
                QCOMPARE(available->count(), 16);
                accept ? acceptDialog(w) : qobject_cast<QDialog *>(w)->reject();
            }});
            window.action("actionManage_Compatible_Materials")->trigger();
            QCOMPARE(answerer.answered(), size_t(1));
            QCOMPARE(ProcessFactory::instance()->getProcess(7).compatibleMaterialIds(),
                     accept ? QList<uint32_t>{9} : QList<uint32_t>{});
            QCOMPARE(home.read(QStringLiteral("processes.xml")).contains("<CompatibleMaterials>9</"), accept);
        }
    }

    // Accepting a catalogue's dialog when its file cannot be written says so, with the reason.
    void aCatalogueThatCannotBeSavedIsReported()
    {
        CatalogTestHome home;
        QDir(home.folder()).removeRecursively();
        QFile where(home.folder()); // a file where the folder belongs
        QVERIFY(where.open(QIODevice::WriteOnly));
        where.close();
        MainWindow window;
        for (const char *action : {"actionManage_Materials", "actionManage_Compatible_Materials"}) {
            QString text;
            ModalAnswerer answerer({acceptDialog, [&text](QWidget *w) {
                                        text = qobject_cast<QMessageBox *>(w)->text();
                                        w->close();
                                    }});
            window.action(action)->trigger();
            QCOMPARE(answerer.answered(), size_t(2));
            const bool materials = action == QLatin1String("actionManage_Materials");
            QVERIFY2(text.startsWith(QStringLiteral("The %1 catalogue could not be saved to \"%2\": ")
                                         .arg(materials ? "material" : "process",
                                              home.file(materials ? "materials.xml" : "processes.xml"))),
                     qPrintable(text));
            QVERIFY2(text.contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))), qPrintable(text));
        }
        QVERIFY(QFileInfo(home.folder()).isFile());
    }

    void unreadableCataloguesAreReported_data()
    {
        QTest::addColumn<bool>("materials");
        QTest::addColumn<bool>("processes");
        QTest::newRow("none") << false << false;
        QTest::newRow("both") << true << true;
    }
    void unreadableCataloguesAreReported()
    {
        QFETCH(bool, materials);
        QFETCH(bool, processes);
        CatalogTestHome home;
        // A folder in place of a file cannot be read, also by root.
        if (materials)
            QVERIFY(QDir().mkpath(home.file(QStringLiteral("materials.xml"))));
        if (processes)
            QVERIFY(QDir().mkpath(home.file(QStringLiteral("processes.xml"))));
        MaterialFactory::instance()->startUp();
        ProcessFactory::instance()->startUp();

        QString errors;
        QTextStream err(&errors);
        QStringList shown;
        closeNextMessageBox(shown);
        const QString said = Ui::reportCatalogueStartUp(nullptr, err);
        QCoreApplication::processEvents(); // the box that was not there is not waited for

        QStringList expected;
        if (materials)
            expected << MaterialFactory::instance()->startUpReport();
        if (processes)
            expected << ProcessFactory::instance()->startUpReport();
        QCOMPARE(expected.filter(QStringLiteral("could not be read")).size(), int(materials) + int(processes));
        QCOMPARE(said, expected.join(QStringLiteral("\n\n")));
        QCOMPARE(shown, expected.isEmpty() ? QStringList() : (QStringList{"Catalogue files", said}));
        QCOMPARE(errors, expected.isEmpty() ? QString()
                                            : QStringLiteral("cellforge: ") +
                                                  expected.join(QStringLiteral("\ncellforge: ")) + QLatin1Char('\n'));
        // Later tests start from catalogues that loaded cleanly.
        CatalogTestHome clean;
        MaterialFactory::instance()->startUp();
        ProcessFactory::instance()->startUp();
    }

    void watcherTellsEveryChangeOnce()
    {
        auto catalogue = MaterialFactory::instance();
        Ui::CatalogueWatcher watcher(nullptr, 60000);
        QSignalSpy changed(&watcher, &Ui::CatalogueWatcher::changed);
        catalogue->getMaterialByName(QStringLiteral("Si"));
        watcher.check();
        QCOMPARE(changed.count(), 0); // looking up changes nothing

        Material si = catalogue->getMaterial(1);
        si.setColor({1.0f, 0.0f, 0.0f, 1.0f});
        QVERIFY(catalogue->setMaterial(si));
        watcher.check();
        QCOMPARE(changed.count(), 1);
        watcher.check();
        QCOMPARE(changed.count(), 1);
        catalogue->createDefaultMaterials();
        watcher.check();
        QCOMPARE(changed.count(), 2);
    }
};

QTEST_MAIN(tst_MaterialDialogs)
#include "tst_materialdialogs.moc"
