#include "UI/camera.h"
#include "UI/lampset.h"
#include "UI/mousehandler.h"

#include <QtTest>

#include <cmath>

using Ui::Camera;
using Ui::LampSet;
using Ui::MouseHandler;

namespace {
bool near(double a, double b, double tolerance = 1e-3) { return std::fabs(a - b) < tolerance; }
} // namespace

/// The view's arithmetic: camera angles and offsets, lamps, and the pointer gestures.
class tst_Camera : public QObject {
    Q_OBJECT
private slots:
    void anglesSurviveTheMatrix_data()
    {
        QTest::addColumn<double>("rx");
        QTest::addColumn<double>("ry");
        QTest::addColumn<double>("rz");
        QTest::newRow("start view") << -60.0 << 0.0 << 30.0;
        QTest::newRow("front") << -90.0 << 0.0 << 0.0;
        QTest::newRow("back") << -90.0 << 0.0 << 180.0;
        QTest::newRow("right") << -90.0 << 0.0 << -90.0;
        QTest::newRow("all three") << 20.0 << 35.0 << -70.0;
    }
    void anglesSurviveTheMatrix()
    {
        QFETCH(double, rx);
        QFETCH(double, ry);
        QFETCH(double, rz);
        Camera camera;
        camera.setRotation(rx, ry, rz);
        double x = 0, y = 0, z = 0;
        Camera::anglesFromMatrix(camera.rotationMatrix(), x, y, z);
        QVERIFY2(near(x, rx) && near(y, ry) && near(std::remainder(z - rz, 360.0), 0.0),
                 qPrintable(QStringLiteral("%1 %2 %3").arg(x).arg(y).arg(z)));
    }

    void screenOffsetFollowsTheRotation()
    {
        Camera camera;
        camera.setRotation(0, 0, 90);
        camera.setViewPosition(10, 0);
        // The offset, turned into scene axes, lands on screen x again.
        const QVector3D onScreen = camera.rotationMatrix().map(camera.screenOffset());
        QVERIFY(near(onScreen.x(), 10) && near(onScreen.y(), 0) && near(onScreen.z(), 0));
    }

    void modelViewAppliesRotationThenTranslations()
    {
        Camera camera;
        camera.setRotation(0, 0, 0);
        camera.setAxisPosition(QVector3D(1, 2, 3));
        camera.setViewPosition(4, 5);
        QCOMPARE(camera.modelView().map(QVector3D(0, 0, 0)), QVector3D(5, 7, 3));
    }

    void rotatingAboutScreenAxes()
    {
        Camera camera;
        camera.setRotation(0, 0, 0);
        camera.rotate(90, QVector3D(0, 1, 0));
        // Scene x now points out of the screen.
        const QVector3D x = camera.rotationMatrix().map(QVector3D(1, 0, 0));
        QVERIFY(near(x.x(), 0) && near(x.z(), -1));
        QVERIFY(near(camera.rotationY(), 90));
    }

    void axisMovesAlongTheScreen()
    {
        Camera camera;
        camera.setRotation(-90, 0, 0);
        camera.moveAxisAlongScreen(0, 10);
        // Looking from the front, screen up is scene +z.
        QVERIFY(near(camera.axisPosition().z(), 10) && near(camera.axisPosition().y(), 0));
    }

    void lampPositionFromPolarValues()
    {
        LampSet lamps;
        QCOMPARE(lamps.count(), 1);
        QCOMPARE(lamps.active(), 1);
        const auto first = lamps.lamp(1);
        QCOMPARE(first.radius, 300.0);
        QVERIFY(first.enabled);
        const auto p = LampSet::position(2.0, M_PI / 6, M_PI / 2);
        QVERIFY(near(p[0], 0) && near(p[1], std::sqrt(3.0)) && near(p[2], 1.0) && p[3] == 1.0f);
    }

    void addingRemovingAndSwitchingLamps()
    {
        LampSet lamps;
        QVERIFY(!lamps.removeLamp(1));
        for (int i = 2; i <= LampSet::maximum; ++i)
            QVERIFY(lamps.addLamp());
        QVERIFY(!lamps.addLamp());
        QCOMPARE(lamps.count(), 8);
        QVERIFY(lamps.lamp(8).enabled);
        QCOMPARE(lamps.lamp(8).radius, 0.0);

        lamps.setPolar(3, 42, 0.1, 0.2);
        QVERIFY(lamps.removeLamp(2));
        QCOMPARE(lamps.count(), 7);
        QCOMPARE(lamps.lamp(2).radius, 42.0);

        lamps.setActive(7);
        lamps.switchActive();
        QCOMPARE(lamps.active(), 1);
        lamps.switchActive();
        QCOMPARE(lamps.active(), 2);
    }

    void shiftWheelRadiusRule_data()
    {
        QTest::addColumn<double>("radius");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<double>("expected");
        QTest::newRow("large radius scales forward") << 300.0 << true << 330.0;
        QTest::newRow("large radius scales back") << 330.0 << false << 300.0;
        QTest::newRow("half forward becomes two") << 0.5 << true << 2.0;
        QTest::newRow("half back becomes zero") << 0.5 << false << 0.0;
        QTest::newRow("zero forward becomes two") << 0.0 << true << 2.0;
        QTest::newRow("one scales") << 1.0 << true << 1.1;
    }
    void shiftWheelRadiusRule()
    {
        QFETCH(double, radius);
        QFETCH(bool, forward);
        QFETCH(double, expected);
        const double factor = forward ? 1.1 : 1.0 / 1.1;
        QVERIFY(near(LampSet::wheelRadius(radius, forward, factor), expected, 1e-9));
    }

    void rotationGestureOfAHorizontalDrag()
    {
        MouseHandler mouse;
        mouse.setViewport(400, 300);
        mouse.setFirtPosition(200, 150, MouseHandler::Rotation);
        // The centre lies on top of the sphere: z = (w + h) / 2 / sqrt(1).
        QVERIFY(near(mouse.current().z(), 350));
        mouse.setPosition(230, 150);
        QVector3D axis;
        double degrees = 0;
        QVERIFY(mouse.rotation(axis, degrees));
        QVERIFY(near(axis.y(), 1) && near(axis.x(), 0) && near(axis.z(), 0));
        const double expected = std::atan2(30.0, std::sqrt((1 - 900.0 / 160000) * 350 * 350)) * 180 / M_PI;
        QVERIFY(near(degrees, expected, 1e-2));
    }

    void pressingWithoutMovingTurnsNothing()
    {
        MouseHandler mouse;
        mouse.setViewport(400, 300);
        mouse.setFirtPosition(390, 20, MouseHandler::Rotation);
        mouse.setPosition(390, 20);
        QVector3D axis;
        double degrees = 1;
        QVERIFY(!mouse.rotation(axis, degrees));
        QCOMPARE(degrees, 0.0);
    }

    void translationIsDividedByTheZoom()
    {
        MouseHandler mouse;
        mouse.setViewport(400, 300);
        mouse.setScale(2.0);
        mouse.setFirtPosition(100, 100, MouseHandler::Translation);
        mouse.setPosition(120, 90);
        double dx = 0, dy = 0;
        mouse.translation(dx, dy);
        QCOMPARE(dx, 10.0);
        QCOMPARE(dy, 5.0);
        QCOMPARE(mouse.current().z(), 0.0f);
    }

    void lampAnglesOfAPoint()
    {
        MouseHandler mouse;
        mouse.setViewport(200, 200);
        mouse.setSphereRadius(100);
        mouse.setFirtPosition(100, 100, MouseHandler::Lamp);
        double phi = 1, theta = 0;
        mouse.lampAngles(phi, theta);
        QVERIFY(near(theta, M_PI / 2));
        // Outside the sphere z is 0 and the lamp lies in the x-y plane.
        mouse.setFirtPosition(100, 0, MouseHandler::Lamp);
        mouse.lampAngles(phi, theta);
        QVERIFY(near(theta, 0) && near(phi, M_PI / 2));
    }
};

QTEST_GUILESS_MAIN(tst_Camera)
#include "tst_camera.moc"
