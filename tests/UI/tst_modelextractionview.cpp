#include "Core/Operations/runmodelextraction.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "UI/glwidget.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "testoperations.h"

#include <QtTest>

using Core::Operations::RunModelExtraction;

namespace {

bool isRed(QRgb p) { return qRed(p) > 60 && qRed(p) > 2 * qGreen(p) && qRed(p) > 2 * qBlue(p); }
bool isGreen(QRgb p) { return qGreen(p) > 60 && qGreen(p) > 2 * qRed(p) && qGreen(p) > 2 * qBlue(p); }

struct Columns {
    int redLeft = 0, redRight = 0, greenLeft = 0, greenRight = 0;
    int minRedX = 1 << 30, maxRedX = -1, minGreenX = 1 << 30;
};

Columns scan(const QImage &frame)
{
    Columns c;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb p = frame.pixel(x, y);
            if (isRed(p)) {
                ++(x < frame.width() / 2 ? c.redLeft : c.redRight);
                c.minRedX = std::min(c.minRedX, x);
                c.maxRedX = std::max(c.maxRedX, x);
            } else if (isGreen(p)) {
                ++(x < frame.width() / 2 ? c.greenLeft : c.greenRight);
                c.minGreenX = std::min(c.minGreenX, x);
            }
        }
    }
    return c;
}

} // namespace

class tst_ModelExtractionView : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase() { Model::Materials::MaterialFactory::instance()->createDefaultMaterials(); }

    void boxesInThePlaceOfTheVolumeAndBeamsBesideIt()
    {
        Util::ColorTable::setCurrentScheme(0);
        Core::Workspace ws;
        auto factory = std::make_shared<TestFactory>();
        factory->makers[1000] = [&ws] { return std::make_shared<RunModelExtraction>(ws); };
        ws.setOperationFactory(factory);
        // An aluminium beam (grey) 20 cells out of a silicon block (grey), 27 cells in all, left of the centre.
        auto volume = CantileverScenes::block({CantileverScenes::Beam{4, 20, 6, 3}});
        volume->translate(Util::Vector4D(-30.0, -5.0, 0.0, 0.0));
        volume->painter().regenerateSurface();
        ws.document().addObject(volume);

        Ui::GLWidget view(ws);
        view.resize(320, 160);
        view.setZoom(4.0); // four pixels a cell
        view.setShowAxes(false);
        view.setStandardView(QStringLiteral("top"));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const Columns plain = scan(view.frontBuffer());
        QCOMPARE(plain.redLeft + plain.redRight + plain.greenLeft + plain.greenRight, 0);

        ws.startOperation(1000);
        auto op = std::dynamic_pointer_cast<RunModelExtraction>(ws.currentOperation());
        QVERIFY(op && op->runPreprocessing());
        const Columns boxes = scan(view.frontBuffer());
        // The red boxes cover the volume's place (x from -30 to -3) and nothing else: from above, the
        // block's 4 x 10 cells and the beam's 20 x 6, 16 pixels each, less the outlines.
        QVERIFY2(boxes.redLeft > 1000, qPrintable(QString::number(boxes.redLeft)));
        QCOMPARE(boxes.redRight, 0);

        QVERIFY(op->runFeatureDetection());
        const Columns both = scan(view.frontBuffer());
        // The green beam stands beside the volume, 10 cells right of its end.
        QVERIFY2(both.greenRight > 1000, qPrintable(QString::number(both.greenRight)));
        QCOMPARE(both.greenLeft, 0);
        QVERIFY(both.minGreenX > both.maxRedX + 5);

        op->execute();
        const Columns after = scan(view.frontBuffer());
        QCOMPARE(after.redLeft + after.redRight + after.greenLeft + after.greenRight, 0);
    }
};

QTEST_MAIN(tst_ModelExtractionView)
#include "tst_modelextractionview.moc"
