// The view's arithmetic, worked out by hand: camera angles and offsets, lamps, the pointer gestures, and
// framing a box (the camera's target and zoom).
#include "Model/Volume/totalvolume.h"
#include "Model/document.h"
#include "UI/camera.h"
#include "UI/lampset.h"
#include "UI/mousehandler.h"
#include "UI/viewfit.h"

#include <QtTest>

#include <cmath>
#include <limits>

using Ui::Camera;
using Ui::LampSet;
using Ui::MouseHandler;
using Ui::ViewFit;

namespace {

bool near(double a, double b, double tolerance = 1e-3) { return std::fabs(a - b) < tolerance; }

QMatrix4x4 rotation(double rx, double ry, double rz)
{
    Camera camera;
    camera.setRotation(rx, ry, rz);
    return camera.rotationMatrix();
}

} // namespace

class tst_Camera : public QObject {
    Q_OBJECT
private slots:
    void anglesSurviveTheMatrix_data()
    {
        QTest::addColumn<double>("rx");
        QTest::addColumn<double>("ry");
        QTest::addColumn<double>("rz");
        QTest::newRow("start view") << -60.0 << 0.0 << 30.0;
        QTest::newRow("back") << -90.0 << 0.0 << 180.0;
        QTest::newRow("all three") << 20.0 << 35.0 << -70.0;
    }
    void anglesSurviveTheMatrix()
    {
        QFETCH(double, rx);
        QFETCH(double, ry);
        QFETCH(double, rz);
        double x = 0, y = 0, z = 0;
        Camera::anglesFromMatrix(rotation(rx, ry, rz), x, y, z);
        QVERIFY2(near(x, rx) && near(y, ry) && near(std::remainder(z - rz, 360.0), 0.0),
                 qPrintable(QStringLiteral("%1 %2 %3").arg(x).arg(y).arg(z)));
    }

    void offsetsRotationsAndAxisMoves()
    {
        Camera camera;
        camera.setRotation(0, 0, 90);
        camera.setViewPosition(10, 0);
        // The screen offset, turned into scene axes, lands on screen x again.
        const QVector3D onScreen = camera.rotationMatrix().map(camera.screenOffset());
        QVERIFY(near(onScreen.x(), 10) && near(onScreen.y(), 0) && near(onScreen.z(), 0));

        // The model view applies the rotation, then the axis position and the screen offset.
        camera.setRotation(0, 0, 0);
        camera.setAxisPosition(QVector3D(1, 2, 3));
        camera.setViewPosition(4, 5);
        QCOMPARE(camera.modelView().map(QVector3D(0, 0, 0)), QVector3D(5, 7, 3));

        // Turned 90 degrees about the screen's y axis, scene x points out of the screen.
        camera.rotate(90, QVector3D(0, 1, 0));
        const QVector3D x = camera.rotationMatrix().map(QVector3D(1, 0, 0));
        QVERIFY(near(x.x(), 0) && near(x.z(), -1));
        QVERIFY(near(camera.rotationY(), 90));

        // Looking from the front, screen up is scene +z.
        camera.setRotation(-90, 0, 0);
        camera.setAxisPosition(QVector3D());
        camera.moveAxisAlongScreen(0, 10);
        QVERIFY(near(camera.axisPosition().z(), 10) && near(camera.axisPosition().y(), 0));
    }

    void lampsFromPolarValuesAddedRemovedAndSwitched()
    {
        const auto p = LampSet::position(2.0, M_PI / 6, M_PI / 2);
        QVERIFY(near(p[0], 0) && near(p[1], std::sqrt(3.0)) && near(p[2], 1.0) && p[3] == 1.0f);

        LampSet lamps;
        QVERIFY(!lamps.removeLamp(1)); // the last lamp stays
        for (int i = 2; i <= LampSet::maximum; ++i)
            QVERIFY(lamps.addLamp());
        QVERIFY(!lamps.addLamp());
        QCOMPARE(lamps.count(), 8);
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
        QTest::newRow("large radius scales back") << 330.0 << false << 300.0;
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

    void rotationTranslationAndLampGestures()
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

        // Pressing without moving turns nothing.
        mouse.setFirtPosition(390, 20, MouseHandler::Rotation);
        mouse.setPosition(390, 20);
        QVERIFY(!mouse.rotation(axis, degrees));
        QCOMPARE(degrees, 0.0);

        mouse.setScale(2.0);
        mouse.setFirtPosition(100, 100, MouseHandler::Translation);
        mouse.setPosition(120, 90);
        double dx = 0, dy = 0;
        mouse.translation(dx, dy);
        // Divided by the zoom.
        QCOMPARE(dx, 10.0);
        QCOMPARE(dy, 5.0);
        QCOMPARE(mouse.current().z(), 0.0f);

        mouse.setViewport(200, 200);
        mouse.setScale(1.0);
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

    void fitOfHandWorkedBoxes_data()
    {
        QTest::addColumn<QVector3D>("angles");
        QTest::addColumn<QVector3D>("low");
        QTest::addColumn<QVector3D>("high");
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("zoom");
        // Box [0, 10] x [0, 20] x [0, 4]: half extents 5, 10, 2. Viewport 200 x 100, so 100 and 50
        // pixels each side of the centre and a depth of floor(sqrt(2) * 200) = 282, 141 each way.
        // Top: x reaches 5 (100 / 5 = 20), y 10 (50 / 10 = 5), depth 2 (70.5); 0.9 * 5.
        const QVector3D box(10, 20, 4);
        QTest::newRow("top, the height limits") << QVector3D(0, 0, 0) << QVector3D() << box << 200 << 4.5;
        // Turned 90 degrees about z, x and y swap: 100 / 10 = 10 and 50 / 5 = 10; 0.9 * 10.
        QTest::newRow("turned about z") << QVector3D(0, 0, 90) << QVector3D() << box << 200 << 9.0;
        // Front: the y extent becomes depth: 100 / 5 = 20, 50 / 2 = 25, 141 / 10 = 14.1; 0.9 * 14.1.
        QTest::newRow("front, the depth limits") << QVector3D(-90, 0, 0) << QVector3D() << box << 200 << 12.69;
        // Turned 45 degrees, a square of half side 5 reaches 5 sqrt(2) along x and y: 0.9 * 50 / 7.0711.
        QTest::newRow("oblique") << QVector3D(0, 0, 45) << QVector3D() << QVector3D(10, 10, 4) << 400 << 6.36396;
        // A film with no thickness still has an outline: 10 x 10 from the top, 100 / 5 and 50 / 5; 0.9 * 10.
        QTest::newRow("flat box") << QVector3D(0, 0, 0) << QVector3D(-5, 0, 3) << QVector3D(5, 10, 3) << 200 << 9.0;
    }
    void fitOfHandWorkedBoxes()
    {
        QFETCH(QVector3D, angles);
        QFETCH(QVector3D, low);
        QFETCH(QVector3D, high);
        QFETCH(int, width);
        QFETCH(double, zoom);
        QCOMPARE(ViewFit::depthExtent(200, 100), 282.0);
        const auto fit = ViewFit::toBox(low, high, rotation(angles.x(), angles.y(), angles.z()), width, 100);
        QVERIFY(fit);
        QVERIFY2(near(fit->zoom, zoom, 1e-4), qPrintable(QString::number(fit->zoom)));
        QCOMPARE(fit->axisPosition, -(low + high) / 2);
    }

    void nothingToFrame_data()
    {
        QTest::addColumn<QVector3D>("low");
        QTest::addColumn<QVector3D>("high");
        QTest::addColumn<int>("width");
        const float nan = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("a point") << QVector3D(1, 2, 3) << QVector3D(1, 2, 3) << 200;
        QTest::newRow("inverted") << QVector3D(1, 0, 0) << QVector3D(0, 1, 1) << 200;
        QTest::newRow("not a number") << QVector3D(nan, 0, 0) << QVector3D(1, 1, 1) << 200;
        QTest::newRow("no viewport") << QVector3D(0, 0, 0) << QVector3D(1, 1, 1) << 0;
    }
    void nothingToFrame()
    {
        QFETCH(QVector3D, low);
        QFETCH(QVector3D, high);
        QFETCH(int, width);
        QVERIFY(!ViewFit::toBox(low, high, rotation(-60, 0, 30), width, 100));
    }

    void sceneExtentCoversEveryVolume()
    {
        Model::Document document;
        QVERIFY(!ViewFit::sceneExtent(document));
        QVERIFY(!ViewFit::toScene(document, rotation(0, 0, 0), 200, 100));
        // [-5, -3] x [0, 2] x [0, 2] and, with cells of 2 x 1 x 3, [1, 3] x [1, 5] x [1, 4].
        document.addObject(
            std::make_shared<Model::Automaton::TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(-5, 0, 0)));
        document.addObject(
            std::make_shared<Model::Automaton::TotalVolume>(1, 4, 1, 2.0f, 1.0f, 3.0f, Util::Vector3D(1, 1, 1)));
        const auto extent = ViewFit::sceneExtent(document);
        QVERIFY(extent);
        QCOMPARE(Util::Vector4D(extent->low), Util::Vector4D(-5, 0, 0, 0));
        QCOMPARE(Util::Vector4D(extent->high), Util::Vector4D(3, 5, 4, 0));
        // Half extents 4, 2.5, 2 from the top in 200 x 100: 100 / 4 = 25, 50 / 2.5 = 20; 0.9 * 20.
        const auto fit = ViewFit::toScene(document, rotation(0, 0, 0), 200, 100);
        QVERIFY(fit);
        QVERIFY(near(fit->zoom, 18.0));
        QCOMPARE(fit->axisPosition, QVector3D(1, -2.5f, -2));
    }
};

QTEST_GUILESS_MAIN(tst_Camera)
#include "tst_camera.moc"
