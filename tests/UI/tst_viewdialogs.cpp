#include "Core/workspace.h"
#include "UI/glwidget.h"
#include "UI/mainwindowpresenter.h"
#include "UI/viewactions.h"
#include "UI/viewproperties.h"
#include "UI/windowcolorsdialog.h"
#include "Util/vector4d.h"
#include "catalogtesthome.h"
#include "mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QtTest>

#include <cmath>

using Util::ColorTable::BackgroundColor;
using Util::ColorTable::DefaultObjectColor;

/// The view's dialogs, status texts and its wiring into the main window.
class tst_ViewDialogs : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void cleanup()
    {
        Util::ColorTable::loadDefaults();
        Util::ColorTable::setCurrentScheme(0);
    }

    void statusTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rotation") << Ui::ViewStatus::rotation(-60, 0, 30.5)
                                  << "Rotation angles: X Axis = -60 Y Axis = 0 Z axis = 30.5";
        QTest::newRow("axis position") << Ui::ViewStatus::axisPosition(5, -5, 1234567)
                                       << "Volume position in relation to the axes: X = 5 Y = -5 Z = 1.23457e+06";
        QTest::newRow("view position") << Ui::ViewStatus::viewPosition(0.125, 3)
                                       << "Volume position in relation to the screen: X = 0.125 Y = 3";
        QTest::newRow("zoom") << Ui::ViewStatus::zoom(110.00000001) << "Zoom = 110";
        QTest::newRow("lamp") << Ui::ViewStatus::lampPosition(2, 300, 0.5, 1)
                              << QString::fromUtf8(
                                     "Lamp 2 Position : Radius = 300 Angle \u03b8 = 0.5 Angle \u03c6 = 1");
    }
    void statusTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void windowColorsFollowSchemesAndHandChoices()
    {
        Ui::WindowColorsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Change Default Colors"));
        QCOMPARE(dialog.scheme(), 0u);
        QCOMPARE(dialog.color(DefaultObjectColor), Util::Vector4D(0, 0, 0, 1));

        dialog.loadScheme(1);
        QCOMPARE(dialog.scheme(), 1u);
        QCOMPARE(dialog.color(BackgroundColor), Util::Vector4D(1, 1, 1, 0));
        QCOMPARE(dialog.swatch(BackgroundColor)->styleSheet(),
                 QStringLiteral("background-color : #ffffff;\nborder: none;"));

        dialog.setSwatchColor(DefaultObjectColor, QColor(0, 128, 255));
        QCOMPARE(dialog.scheme(), 2u);
        QCOMPARE(dialog.swatch(DefaultObjectColor)->styleSheet(),
                 QStringLiteral("background-color : #0080ff;\nborder: none;"));

        dialog.accept();
        QCOMPARE(Util::ColorTable::currentScheme(), 2u);
        QCOMPARE(Util::ColorTable::entry(BackgroundColor, 2), Util::Vector4D(1, 1, 1, 0));
        QVERIFY(std::fabs(Util::ColorTable::entry(DefaultObjectColor, 2).z - 1.0) < 1e-9);
        // The built-in schemes themselves are untouched.
        QCOMPARE(Util::ColorTable::entry(DefaultObjectColor, 1), Util::Vector4D(1, 1, 1, 1));
    }

    void rejectedWindowColorsChangeNothing()
    {
        Ui::WindowColorsDialog dialog;
        dialog.loadScheme(1);
        dialog.reject();
        QCOMPARE(Util::ColorTable::currentScheme(), 0u);
        QCOMPARE(Util::ColorTable::entry(DefaultObjectColor, 2), Util::Vector4D(1, 0, 0, 1));
    }

    void viewPropertiesApplyAtOnce()
    {
        Core::Workspace workspace;
        Ui::GLWidget view(workspace);
        Ui::ViewProperties dialog(view);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Set vew and lighting"));
        QCOMPARE(dialog.rotation(0)->value(), -60.0);
        QCOMPARE(dialog.rotation(2)->value(), 30.0);

        dialog.rotation(1)->setValue(15);
        QCOMPARE(view.camera().rotationY(), 15.0);
        dialog.zoomBox()->setValue(2.5);
        QCOMPARE(view.zoom(), 2.5);
        dialog.screenPosition(0)->setValue(7);
        QCOMPARE(view.camera().viewX(), 7.0);
        dialog.axisDistance(2)->setValue(-3);
        QCOMPARE(view.camera().axisPosition().z(), -3.0f);

        // Lamp 1 starts at 45 and 60 degrees, shown in degrees, kept in radians.
        QVERIFY(std::fabs(dialog.thetaBox()->value() - 45.0) < 0.01);
        QVERIFY(std::fabs(dialog.phiBox()->value() - 60.0) < 0.01);
        dialog.thetaBox()->setValue(90);
        QVERIFY(std::fabs(view.lamps().lamp(1).theta - M_PI / 2) < 1e-9);
        dialog.enabledBox()->setChecked(false);
        QVERIFY(!view.lamps().lamp(1).enabled);
    }

    void addingAndDeletingLamps()
    {
        Core::Workspace workspace;
        Ui::GLWidget view(workspace);
        Ui::ViewProperties dialog(view);
        dialog.on_btnDelete_clicked();
        QCOMPARE(view.lamps().count(), 1);
        QCOMPARE(dialog.lampBox()->count(), 1);

        dialog.on_btnAddLamp_clicked();
        QCOMPARE(dialog.lampBox()->currentText(), QStringLiteral("Lamp2"));
        QVERIFY(dialog.enabledBox()->isChecked());
        QCOMPARE(dialog.radiusBox()->value(), 0.0);
        dialog.on_btnAddLamp_clicked();
        dialog.radiusBox()->setValue(77);
        QCOMPARE(view.lamps().lamp(3).radius, 77.0);

        dialog.lampBox()->setCurrentIndex(1);
        dialog.on_btnDelete_clicked();
        QCOMPARE(view.lamps().count(), 2);
        QCOMPARE(dialog.lampBox()->count(), 2);
        QCOMPARE(dialog.lampBox()->itemText(1), QStringLiteral("Lamp2"));
        // The third lamp moved up into the second place.
        QCOMPARE(view.lamps().lamp(2).radius, 77.0);
        QCOMPARE(dialog.radiusBox()->value(), 77.0);
    }

    void mainWindowActionsDriveTheView()
    {
        MainWindow window;
        Ui::GLWidget *view = window.view();
        QVERIFY(view);
        QCOMPARE(window.centralWidget(), view);

        QAction *top = window.action(QStringLiteral("actionTop_View"));
        QVERIFY(top->isEnabled());
        top->trigger();
        QCOMPARE(view->camera().rotationX(), 0.0);
        window.action(QStringLiteral("actionFront_View"))->trigger();
        QCOMPARE(view->camera().rotationX(), -90.0);
        QVERIFY(window.statusBar()->currentMessage().startsWith(QStringLiteral("Rotation angles: X Axis = -90")));

        QAction *axes = window.action(QStringLiteral("actionShow_Axis"));
        QVERIFY(axes->isCheckable() && axes->isChecked());
        axes->trigger();
        QVERIFY(!view->showAxes());
        QAction *edges = window.action(QStringLiteral("actionRender_Object_Edges"));
        QVERIFY(!edges->isChecked());
        edges->trigger();
        QVERIFY(view->renderObjectEdges());
        window.action(QStringLiteral("actionGrid"))->trigger();
        QVERIFY(view->renderGrid());
        window.action(QStringLiteral("actionLighting"))->trigger();
        QVERIFY(!view->lighting());

        QStringList keys;
        for (QShortcut *shortcut : window.findChildren<QShortcut *>())
            keys << shortcut->key().toString();
        for (const char *key : {"Q", "W", "E", "A", "S", "D", "L"})
            QVERIFY2(keys.count(QLatin1String(key)) == 1, key);

        view->increaseTranslateY();
        QCOMPARE(window.statusBar()->currentMessage(),
                 QStringLiteral("Volume position in relation to the axes: X = 0 Y = 5 Z = 0"));

        // Operation 6 is served and its menu action enabled.
        QVERIFY(window.action(QStringLiteral("actionChange_Viewing_Options"))->isEnabled());
        // A scene change reaches the view through the update observer without trouble.
        window.presenter()->workspace().notifyUpdate();
    }
};

QTEST_MAIN(tst_ViewDialogs)
#include "tst_viewdialogs.moc"
