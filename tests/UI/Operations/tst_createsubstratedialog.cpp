#include "Core/Operations/createsubstrateoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/material.h"
#include "UI/Observers/createsubstrateobserver.h"
#include "UI/Operations/createsubstratedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QtTest>

using Ui::Operations::CreateSubstrateDialog;

namespace {

QSpinBox *spin(CreateSubstrateDialog &dialog, const char *name)
{
    auto *box = dialog.findChild<QSpinBox *>(QLatin1String(name));
    if (!box)
        qFatal("no spin box %s", name);
    return box;
}

} // namespace

class tst_CreateSubstrateDialog : public QObject {
    Q_OBJECT
private slots:
    void fieldsStartWithTheirDefaultsAndRanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::newRow("total width") << "sbxTotalWidth" << 1 << 1000000000 << 100;
        QTest::newRow("total length") << "sbxTotalLength" << 1 << 1000000000 << 100;
        QTest::newRow("total height") << "sbxTotalHeight" << 1 << 1000000000 << 80;
        QTest::newRow("box width") << "sbxSubsWidth" << 1 << 100 << 100;
        QTest::newRow("box length") << "sbxSubsLength" << 1 << 100 << 100;
        QTest::newRow("box height") << "sbxSubsHeight" << 1 << 80 << 30;
        QTest::newRow("offset x") << "sbxSubsX" << 0 << 0 << 0;
        QTest::newRow("offset y") << "sbxSubsY" << 0 << 0 << 0;
        QTest::newRow("offset z") << "sbxSubsZ" << 0 << 50 << 0;
        QTest::newRow("centre x") << "sbxSubsCenterX" << 0 << 99 << 0;
        QTest::newRow("centre y") << "sbxSubsCenterY" << 0 << 99 << 0;
        QTest::newRow("centre z") << "sbxSubsCenterZ" << 0 << 79 << 0;
        QTest::newRow("radius") << "sbxSubsRadius" << 1 << 999999999 << 50;
    }

    void fieldsStartWithTheirDefaultsAndRanges()
    {
        QFETCH(QString, name);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, value);
        CreateSubstrateDialog dialog;
        QSpinBox *box = spin(dialog, qPrintable(name));
        QCOMPARE(box->minimum(), minimum);
        QCOMPARE(box->maximum(), maximum);
        QCOMPARE(box->value(), value);
    }

    void titlesTipsAndPosition()
    {
        CreateSubstrateDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Create Substrate"));
        QStringList titles;
        for (auto *group : dialog.findChildren<QGroupBox *>())
            titles << group->title();
        QCOMPARE(titles, (QStringList{"Total Volume Dimensions and Position", "Substrate Dimensions and position"}));
        QCOMPARE(spin(dialog, "sbxTotalHeight")->toolTip(), QStringLiteral("Define the size of the total volume."));
        QCOMPARE(spin(dialog, "sbxSubsLength")->toolTip(), QStringLiteral("Size of the substrate in cells."));
        QCOMPARE(spin(dialog, "sbxSubsZ")->toolTip(),
                 QStringLiteral("Location of the substrate relative to the total volume in cells."));
        auto *x = dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblVolumeX"));
        QVERIFY(x);
        QCOMPARE(x->minimum(), -1e9);
        QCOMPARE(x->maximum(), 1e9);
        QCOMPARE(x->value(), 0.0);
        QVERIFY(!dialog.findChild<QCheckBox *>(QStringLiteral("cbxSubsSphere"))->isChecked());
    }

    void limitSlots_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("newValue");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::newRow("width sets box width max and value") << "sbxTotalWidth" << 40 << "sbxSubsWidth" << 40 << 40;
        QTest::newRow("width leaves no room for an x offset") << "sbxTotalWidth" << 40 << "sbxSubsX" << 0 << 0;
        QTest::newRow("width limits the centre x") << "sbxTotalWidth" << 40 << "sbxSubsCenterX" << 39 << 0;
        QTest::newRow("width grows the box too") << "sbxTotalWidth" << 300 << "sbxSubsWidth" << 300 << 300;
        QTest::newRow("length sets box length") << "sbxTotalLength" << 7 << "sbxSubsLength" << 7 << 7;
        QTest::newRow("length limits the centre y") << "sbxTotalLength" << 7 << "sbxSubsCenterY" << 6 << 0;
        QTest::newRow("height keeps a fitting box height") << "sbxTotalHeight" << 60 << "sbxSubsHeight" << 60 << 30;
        QTest::newRow("height leaves room for a z offset") << "sbxTotalHeight" << 60 << "sbxSubsZ" << 30 << 0;
        QTest::newRow("height clips the box height") << "sbxTotalHeight" << 20 << "sbxSubsHeight" << 20 << 20;
        QTest::newRow("height clipping leaves no z offset") << "sbxTotalHeight" << 20 << "sbxSubsZ" << 0 << 0;
        QTest::newRow("height limits the centre z") << "sbxTotalHeight" << 20 << "sbxSubsCenterZ" << 19 << 0;
        QTest::newRow("box width opens the x offset") << "sbxSubsWidth" << 70 << "sbxSubsX" << 30 << 0;
        QTest::newRow("box length opens the y offset") << "sbxSubsLength" << 1 << "sbxSubsY" << 99 << 0;
        QTest::newRow("box height moves the z offset limit") << "sbxSubsHeight" << 80 << "sbxSubsZ" << 0 << 0;
        QTest::newRow("thin box height") << "sbxSubsHeight" << 5 << "sbxSubsZ" << 75 << 0;
    }

    void limitSlots()
    {
        QFETCH(QString, field);
        QFETCH(int, newValue);
        QFETCH(QString, checked);
        QFETCH(int, maximum);
        QFETCH(int, value);
        CreateSubstrateDialog dialog;
        spin(dialog, qPrintable(field))->setValue(newValue);
        QCOMPARE(spin(dialog, qPrintable(checked))->maximum(), maximum);
        QCOMPARE(spin(dialog, qPrintable(checked))->value(), value);
    }

    void sphereToggleSwitchesTheEnabledFields()
    {
        CreateSubstrateDialog dialog;
        auto *sphere = dialog.findChild<QCheckBox *>(QStringLiteral("cbxSubsSphere"));
        QVERIFY(spin(dialog, "sbxSubsWidth")->isEnabled());
        QVERIFY(!spin(dialog, "sbxSubsRadius")->isEnabled());
        QVERIFY(!dialog.findChild<QLabel *>(QStringLiteral("lblSubsCenterX"))->isEnabled());
        sphere->setChecked(true);
        QVERIFY(!spin(dialog, "sbxSubsWidth")->isEnabled());
        QVERIFY(!spin(dialog, "sbxSubsZ")->isEnabled());
        QVERIFY(!dialog.findChild<QLabel *>(QStringLiteral("lblSubsWidth"))->isEnabled());
        QVERIFY(spin(dialog, "sbxSubsCenterZ")->isEnabled());
        QVERIFY(spin(dialog, "sbxSubsRadius")->isEnabled());
        QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("lblSubsRadius"))->isEnabled());
        QVERIFY(spin(dialog, "sbxTotalWidth")->isEnabled());
        sphere->setChecked(false);
        QVERIFY(spin(dialog, "sbxSubsWidth")->isEnabled());
        QVERIFY(!spin(dialog, "sbxSubsCenterX")->isEnabled());
    }

    void materialListShowsTheCatalogueInOrder()
    {
        CreateSubstrateDialog dialog;
        const QList<Model::Materials::Material> materials{
            Model::Materials::Material(1, QStringLiteral("Si"), 2329, 1.88e11f, 0.28f, {0.5f, 0.5f, 0.5f, 1.0f}),
            Model::Materials::Material(4, QStringLiteral("Al (bulk)"), 2700, 7e10f, 0.14f, {0.7f, 0.7f, 0.7f, 1.0f}),
            Model::Materials::Material(2001, QStringLiteral("Mine"), 1, 1, 1, {1.0f, 0.3f, 0.0f, 1.0f})};
        dialog.setMaterials(materials);
        auto *film = dialog.findChild<QComboBox *>(QStringLiteral("cbxFilm"));
        QCOMPARE(film->count(), 3);
        QCOMPARE(film->currentIndex(), 0);
        QCOMPARE(film->itemText(1), QStringLiteral("Al (bulk)"));
        QCOMPARE(film->itemData(2).toUInt(), 2001u);
        QCOMPARE(dialog.material(), 1u);
        // The swatch is the material's colour, components times 255 truncated (0.7 -> 178, 0.3 -> 76).
        const QImage swatch = film->itemIcon(1).pixmap(100, 100).toImage();
        QCOMPARE(swatch.size(), QSize(100, 100));
        QCOMPARE(QColor(swatch.pixel(50, 50)), QColor(178, 178, 178));
        QCOMPARE(QColor(film->itemIcon(2).pixmap(100, 100).toImage().pixel(0, 0)), QColor(255, 76, 0));
    }

    void observerPassesTheValuesToTheOperation()
    {
        Core::Workspace ws;
        CreateSubstrateDialog dialog;
        dialog.setMaterials({Model::Materials::Material(3, QStringLiteral("Oxide"), 1, 1, 1),
                             Model::Materials::Material(5, QStringLiteral("Cu"), 1, 1, 1)});
        dialog.findChild<QComboBox *>(QStringLiteral("cbxFilm"))->setCurrentIndex(1);
        spin(dialog, "sbxTotalWidth")->setValue(6);
        spin(dialog, "sbxTotalLength")->setValue(5);
        spin(dialog, "sbxTotalHeight")->setValue(4);
        spin(dialog, "sbxSubsHeight")->setValue(2);
        spin(dialog, "sbxSubsZ")->setValue(1);
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblVolumeZ"))->setValue(-3.5);

        auto box = std::make_shared<Core::Operations::CreateSubstrateOperation>(ws);
        Ui::Observers::CreateSubstrateObserver::applyDialog(dialog, *box);
        QVERIFY(box->isReady());
        box->execute();
        auto volume = box->volume();
        QVERIFY(volume);
        QCOMPARE(volume->sizeX(), 6u);
        QCOMPARE(volume->position(), Util::Vector3D(0, 0, -3.5));
        {
            Model::Automaton::CellLock lock(*volume);
            size_t filled = 0;
            for (size_t i = 0; i < volume->cellCount(); ++i)
                filled += lock.cells()[i].state() == 5 ? 1 : 0;
            QCOMPARE(filled, size_t(6 * 5 * 2));
            QCOMPARE(lock.cells()[volume->index(0, 0, 0)].state(), 0u);
            QCOMPARE(lock.cells()[volume->index(0, 0, 1)].state(), 5u);
        }

        dialog.findChild<QCheckBox *>(QStringLiteral("cbxSubsSphere"))->setChecked(true);
        spin(dialog, "sbxSubsCenterX")->setValue(2);
        spin(dialog, "sbxSubsCenterY")->setValue(2);
        spin(dialog, "sbxSubsCenterZ")->setValue(2);
        spin(dialog, "sbxSubsRadius")->setValue(1);
        auto ball = std::make_shared<Core::Operations::CreateSubstrateOperation>(ws);
        Ui::Observers::CreateSubstrateObserver::applyDialog(dialog, *ball);
        ball->execute();
        Model::Automaton::CellLock lock(*ball->volume());
        size_t filled = 0;
        for (size_t i = 0; i < ball->volume()->cellCount(); ++i)
            filled += lock.cells()[i].state() == 5 ? 1 : 0;
        QCOMPARE(filled, size_t(7));
    }

    void observerIgnoresOtherOperations()
    {
        Core::Workspace ws;
        Ui::Observers::CreateSubstrateObserver observer(ws, nullptr);
        observer.notify(); // no current operation: no dialog, no crash
        QVERIFY(!ws.currentOperation());
    }
};

QTEST_MAIN(tst_CreateSubstrateDialog)
#include "tst_createsubstratedialog.moc"
