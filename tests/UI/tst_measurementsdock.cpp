// Tools > Measurements: named measurements of the first cell volume, taken again after every step,
// undo and redo, in cells or in µm, and what keeps one from being taken.
#include "Core/workspace.h"
#include "UI/measurementsdock.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "modalanswerer.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using Core::Processes::MeasureParameters;

namespace {

MeasureParameters measurement(const QString &name, const QString &kind, uint32_t x, uint32_t y)
{
    MeasureParameters params;
    params.name = name;
    params.kind = kind;
    params.x = x;
    params.y = y;
    params.axis = QStringLiteral("x");
    return params;
}

/// Runs a menu's process with its dialog accepted, `prepare` first.
void runProcess(MainWindow &window, const char *action, const std::function<void(QWidget *)> &prepare = {})
{
    ModalAnswerer answerer({}, [&](QWidget *w) {
        if (prepare)
            prepare(w);
        acceptDialog(w);
    });
    window.action(QLatin1String(action))->trigger();
    QCOMPARE(answerer.answered(), size_t(1));
}

QStringList values(const Ui::MeasurementsDock &dock)
{
    QStringList texts;
    for (int row = 0; row < dock.count(); ++row)
        texts << dock.valueText(row) + QLatin1Char(' ') + dock.unitText(row);
    return texts;
}

} // namespace

class tst_MeasurementsDock : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void toolsMenuShowsTheDock()
    {
        MainWindow window;
        QMenu *tools = nullptr;
        for (QAction *menu : window.menuBar()->actions()) {
            if (menu->text() == QLatin1String("Tools"))
                tools = menu->menu();
        }
        QVERIFY(tools && tools->actions().contains(window.action("actionMeasurements")));
        window.show();
        QVERIFY(!window.measurements()->isVisible());
        window.action("actionMeasurements")->trigger();
        QVERIFY(window.measurements()->isVisible());
        window.measurements()->close(); // its own close button unchecks the menu entry
        QVERIFY(!window.action("actionMeasurements")->isChecked());
    }

    // The default substrate is 30 cells of silicon in a 100 x 100 volume; a film of 4 cells on it
    // makes every column 34 high (4 cells on the top, none on the sides of a full-width slab).
    void valuesFollowStepsUndoAndRedo()
    {
        MainWindow window;
        Ui::MeasurementsDock &dock = *window.measurements();
        dock.addMeasurement(measurement("top", "height", 0, 0));
        dock.addMeasurement(measurement("down", "depth", 50, 50));
        dock.addMeasurement(measurement("far", "height", 100, 0));
        QCOMPARE(values(dock).at(0), QStringLiteral("No cell volume to measure. "));

        runProcess(window, "actionCreate_Substrate");
        QCOMPARE(values(dock).mid(0, 2), (QStringList{"30 cells", "0 cells"}));
        QVERIFY2(dock.valueText(2).startsWith("(X, Y) = (100, 0) lies outside the cell volume of 100 x 100 x "),
                 qPrintable(dock.valueText(2)));
        QCOMPARE(dock.unitText(2), QString());

        runProcess(window, "actionIsotropic_Deposition",
                   [](QWidget *w) { w->findChild<QDoubleSpinBox *>(QStringLiteral("dblThickness"))->setValue(4.0); });
        QCOMPARE(values(dock).mid(0, 2), (QStringList{"34 cells", "0 cells"}));
        window.action("actionUndo")->trigger();
        QCOMPARE(values(dock).at(0), QStringLiteral("30 cells"));
        window.action("actionRedo")->trigger();
        QCOMPARE(values(dock).at(0), QStringLiteral("34 cells"));

        // 0.5 µm cells: 34 cells are 17 µm.
        dock.setMicrometresPerCell(0.5);
        QCOMPARE(values(dock).mid(0, 2), (QStringList{"17 µm", "0 µm"}));
    }

    // An edit measures again, with the list step's messages; Remove takes the current row away.
    void editsAreMeasuredAndRowsRemoved()
    {
        MainWindow window;
        Ui::MeasurementsDock &dock = *window.measurements();
        runProcess(window, "actionCreate_Substrate");
        auto *table = dock.findChild<QTableWidget *>(QStringLiteral("tblMeasurements"));
        dock.findChild<QPushButton *>(QStringLiteral("btnAddMeasurement"))->click();
        QCOMPARE(dock.count(), 1);
        QCOMPARE(values(dock).at(0), QStringLiteral("30 cells")); // a height at (0, 0)
        auto *kind = qobject_cast<QComboBox *>(table->cellWidget(0, Ui::MeasurementsDock::Kind));
        kind->setCurrentText(QStringLiteral("thickness"));
        // No material: the empty cells of the column, 80 - 30 in the default volume.
        QCOMPARE(values(dock).at(0), QStringLiteral("50 cells"));
        table->item(0, Ui::MeasurementsDock::Material)->setText(QStringLiteral("Unobtainium"));
        QCOMPARE(
            dock.valueText(0),
            QStringLiteral("invalid: \"Material\" is \"Unobtainium\", which the material catalogue does not hold"));
        table->item(0, Ui::MeasurementsDock::Material)->setText(QStringLiteral("Si"));
        QCOMPARE(values(dock).at(0), QStringLiteral("30 cells"));
        table->item(0, Ui::MeasurementsDock::X)->setText(QStringLiteral("two"));
        QCOMPARE(dock.valueText(0),
                 QStringLiteral("invalid: \"X\" is \"two\"; it must be a whole number of at least 0"));
        table->setCurrentCell(0, 0);
        dock.findChild<QPushButton *>(QStringLiteral("btnRemoveMeasurement"))->click();
        QCOMPARE(dock.count(), 0);
    }
};

QTEST_MAIN(tst_MeasurementsDock)
#include "tst_measurementsdock.moc"
