#include "Model/Automaton/totalvolume.h"
#include "Model/document.h"
#include "UI/camera.h"
#include "UI/viewfit.h"

#include <QtTest>

#include <cmath>
#include <limits>

using Ui::Camera;
using Ui::ViewFit;

namespace {

bool near(double a, double b, double tolerance = 1e-4) { return std::fabs(a - b) < tolerance; }

QMatrix4x4 rotation(double rx, double ry, double rz)
{
    Camera camera;
    camera.setRotation(rx, ry, rz);
    return camera.rotationMatrix();
}

} // namespace

/// Framing a box: the camera's target and zoom worked out by hand for small boxes.
class tst_ViewFit : public QObject {
    Q_OBJECT
private slots:
    void handWorkedBoxes_data()
    {
        QTest::addColumn<QVector3D>("angles");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("zoom");
        // Box [0, 10] x [0, 20] x [0, 4]: half extents 5, 10, 2. Viewport 200 x 100, so 100 and 50
        // pixels each side of the centre and a depth of floor(sqrt(2) * 200) = 282, 141 each way.
        // Top: x reaches 5 (100 / 5 = 20), y 10 (50 / 10 = 5), depth 2 (70.5); 0.9 * 5.
        QTest::newRow("top, the height limits") << QVector3D(0, 0, 0) << 200 << 100 << 4.5;
        // Turned 90 degrees about z, x and y swap: 100 / 10 = 10 and 50 / 5 = 10; 0.9 * 10.
        QTest::newRow("turned about z") << QVector3D(0, 0, 90) << 200 << 100 << 9.0;
        // Front: the y extent becomes depth: 100 / 5 = 20, 50 / 2 = 25, 141 / 10 = 14.1; 0.9 * 14.1.
        QTest::newRow("front, the depth limits") << QVector3D(-90, 0, 0) << 200 << 100 << 12.69;
        // A wide viewport: 400 / 2 / 5 = 40, 100 / 2 / 10 = 5, floor(565.69) / 2 / 2 = 141.25; 0.9 * 5.
        QTest::newRow("wide viewport") << QVector3D(0, 0, 0) << 400 << 100 << 4.5;
    }
    void handWorkedBoxes()
    {
        QFETCH(QVector3D, angles);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, zoom);
        const auto fit = ViewFit::toBox(QVector3D(0, 0, 0), QVector3D(10, 20, 4),
                                        rotation(angles.x(), angles.y(), angles.z()), width, height);
        QVERIFY(fit);
        QVERIFY2(near(fit->zoom, zoom), qPrintable(QString::number(fit->zoom)));
        QCOMPARE(fit->axisPosition, QVector3D(-5, -10, -2));
    }

    void depthExtentIsTheProjections() { QCOMPARE(ViewFit::depthExtent(200, 100), 282.0); }

    void flatBoxIsFramedByItsOutline()
    {
        // A film with no thickness still has an outline: 10 x 10 seen from the top in 200 x 100.
        const auto fit = ViewFit::toBox(QVector3D(-5, 0, 3), QVector3D(5, 10, 3), rotation(0, 0, 0), 200, 100);
        QVERIFY(fit);
        QVERIFY(near(fit->zoom, 9.0));
        QCOMPARE(fit->axisPosition, QVector3D(0, -5, -3));
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

    void framedBoxTouchesTheFillLineFromAnyAngle_data()
    {
        QTest::addColumn<QVector3D>("angles");
        QTest::addColumn<QVector3D>("low");
        QTest::addColumn<QVector3D>("high");
        QTest::newRow("start view, substrate") << QVector3D(-60, 0, 30) << QVector3D(0, 0, 0) << QVector3D(100, 80, 20);
        QTest::newRow("odd angles, off centre")
            << QVector3D(20, 35, -70) << QVector3D(-30, 40, 5) << QVector3D(10, 45, 60);
        QTest::newRow("tall column seen end on") << QVector3D(0, 0, 0) << QVector3D(0, 0, 0) << QVector3D(2, 2, 500);
    }
    void framedBoxTouchesTheFillLineFromAnyAngle()
    {
        // With the camera set as the fit says, every corner lies inside the view and the depth range,
        // and the tightest of them sits exactly on the fill line.
        QFETCH(QVector3D, angles);
        QFETCH(QVector3D, low);
        QFETCH(QVector3D, high);
        const int width = 640;
        const int height = 480;
        Camera camera;
        camera.setRotation(angles.x(), angles.y(), angles.z());
        const auto fit = ViewFit::toBox(low, high, camera.rotationMatrix(), width, height);
        QVERIFY(fit);
        camera.setAxisPosition(fit->axisPosition);
        camera.setViewPosition(0, 0);
        const double room[3] = {width / 2.0, height / 2.0, ViewFit::depthExtent(width, height) / 2.0};
        double tightest = 0;
        for (int corner = 0; corner < 8; ++corner) {
            const QVector3D p(corner & 1 ? high.x() : low.x(), corner & 2 ? high.y() : low.y(),
                              corner & 4 ? high.z() : low.z());
            const QVector3D eye = camera.modelView().map(p);
            for (int axis = 0; axis < 3; ++axis) {
                const double share = std::fabs(eye[axis]) * fit->zoom / room[axis];
                QVERIFY2(share <= ViewFit::fill + 1e-4, qPrintable(QString::number(share)));
                tightest = std::max(tightest, share);
            }
        }
        QVERIFY2(near(tightest, ViewFit::fill), qPrintable(QString::number(tightest)));
    }
};

QTEST_GUILESS_MAIN(tst_ViewFit)
#include "tst_viewfit.moc"
