#include "Core/Operations/maskimage.h"
#include "Core/Operations/photolithography.h"
#include "Core/Operations/photolithographyoperation.h"
#include "Core/workspace.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

constexpr uint32_t positive = 11;
constexpr uint32_t negative = 12;

MaskBits filledMask(uint32_t width, uint32_t height, const QColor &colour)
{
    QImage image(int(width), int(height), QImage::Format_RGB32);
    image.fill(colour);
    return maskFromImage(image);
}

/// Silicon at z = 0, resist at z = 1..3, empty above: a column is either developed or not.
std::shared_ptr<TotalVolume> resistOnSilicon(uint32_t resist, uint32_t nx = 4, uint32_t ny = 3)
{
    return makeVolume(nx, ny, 6,
                      [resist](uint32_t, uint32_t, uint32_t z) { return z == 0 ? 1u : (z <= 3 ? resist : 0u); });
}

bool columnDeveloped(TotalVolume &volume, uint32_t x, uint32_t y)
{
    return stateAt(volume, x, y, 1) == 0 && stateAt(volume, x, y, 2) == 0 && stateAt(volume, x, y, 3) == 0;
}

bool columnIntact(TotalVolume &volume, uint32_t x, uint32_t y, uint32_t resist)
{
    return stateAt(volume, x, y, 1) == resist && stateAt(volume, x, y, 2) == resist &&
           stateAt(volume, x, y, 3) == resist;
}

} // namespace

class tst_Photolithography : public QObject {
    Q_OBJECT
private slots:
    void pixelRule_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("masks");
        QTest::newRow("pure red") << QColor(255, 0, 0) << true;
        QTest::newRow("pure black") << QColor(0, 0, 0) << true;
        QTest::newRow("red with alpha") << QColor(255, 0, 0, 10) << true;
        QTest::newRow("almost red") << QColor(254, 0, 0) << false;
        QTest::newRow("dark grey") << QColor(30, 30, 30) << false;
        QTest::newRow("almost black") << QColor(0, 0, 1) << false;
        QTest::newRow("white") << QColor(255, 255, 255) << false;
        QTest::newRow("green") << QColor(0, 255, 0) << false;
    }
    void pixelRule()
    {
        QFETCH(QColor, colour);
        QFETCH(bool, masks);
        QImage image(2, 2, QImage::Format_ARGB32);
        image.fill(colour);
        const MaskBits mask = maskFromImage(image);
        QCOMPARE(mask.width, 2u);
        QCOMPARE(mask.height, 2u);
        QCOMPARE(mask.bits.size(), 4);
        QCOMPARE(mask.bits.count(true), masks ? 4 : 0);
    }

    void bottomRowOfTheImageIsYZero()
    {
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setPixel(0, 1, qRgb(0, 0, 0));   // bottom-left pixel
        image.setPixel(2, 0, qRgb(255, 0, 0)); // top-right pixel
        const MaskBits mask = maskFromImage(image);
        QCOMPARE(mask.bits.count(true), 2);
        QVERIFY(mask.covers(0, 0));
        QVERIFY(mask.covers(2, 1));
        QVERIFY(mask.bits.testBit(0 * 2 + 0));
        QVERIFY(mask.bits.testBit(2 * 2 + 1));
        QVERIFY(!mask.covers(0, 1));
        QVERIFY(!mask.covers(3, 0));
    }

    void imageFilesLoadAndBadOnesAreRefused()
    {
        QTemporaryDir dir;
        QImage image(5, 4, QImage::Format_RGB32);
        image.fill(Qt::black);
        const QString png = dir.filePath(QStringLiteral("mask.png"));
        QVERIFY(image.save(png));
        const QString bmp = dir.filePath(QStringLiteral("mask.bmp"));
        QVERIFY(image.save(bmp));
        QFile junk(dir.filePath(QStringLiteral("junk.png")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not an image");
        junk.close();

        MaskBits mask;
        QVERIFY(loadMaskImage(png, mask));
        QCOMPARE(mask.bits.count(true), 20);
        MaskBits fromBmp;
        QVERIFY(loadMaskImage(bmp, fromBmp));
        QCOMPARE(fromBmp.bits, mask.bits);

        MaskBits kept = filledMask(2, 2, Qt::black);
        QVERIFY(!loadMaskImage(junk.fileName(), kept));
        QVERIFY(!loadMaskImage(dir.filePath(QStringLiteral("missing.png")), kept));
        QVERIFY(!loadMaskImage(QString(), kept));
        QCOMPARE(kept.width, 2u);
        QCOMPARE(kept.bits.count(true), 4);
    }

    // A few kilobytes of file must not become gigabytes of mask: refused from the header's size.
    void oversizedImagesAreRefused()
    {
        QTemporaryDir dir;
        QImage image(8193, 8193, QImage::Format_Mono);
        image.fill(1);
        const QString png = dir.filePath(QStringLiteral("huge.png"));
        QVERIFY(image.save(png));
        MaskBits kept = filledMask(2, 2, Qt::black);
        QVERIFY(!loadMaskImage(png, kept));
        QCOMPARE(kept.width, 2u);
    }

    void loadedMaskKeepsOnlyTheVolumesColumns()
    {
        QTemporaryDir dir;
        QImage image(6, 4, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setPixel(0, 3, qRgb(0, 0, 0)); // column (0, 0)
        image.setPixel(2, 2, qRgb(0, 0, 0)); // column (2, 1)
        image.setPixel(5, 0, qRgb(0, 0, 0)); // column (5, 3): beyond a 3 x 2 volume
        image.setPixel(1, 1, qRgb(0, 0, 0)); // column (1, 2): beyond it too
        const QString png = dir.filePath(QStringLiteral("mask.png"));
        QVERIFY(image.save(png));
        MaskBits mask;
        QVERIFY(loadMaskImage(png, mask, 3, 2));
        QCOMPARE(mask.width, 3u);
        QCOMPARE(mask.height, 2u);
        QCOMPARE(mask.bits.size(), 6);
        QCOMPARE(mask.bits.count(true), 2);
        QVERIFY(mask.covers(0, 0));
        QVERIFY(mask.covers(2, 1));
        // The same by cropping a whole mask.
        QVERIFY(loadMaskImage(png, mask));
        QCOMPARE(mask.cropped(3, 2).bits, maskFromImage(image, 3, 2).bits);
    }

    void operationKeepsOnlyTheMaskOverTheVolume()
    {
        Core::Workspace ws;
        auto volume = resistOnSilicon(positive); // 4 x 3 columns
        auto op = std::make_shared<PhotolithographyOperation>(ws);
        op->setVolume(volume);
        const MaskBits large = filledMask(40, 30, Qt::black);
        op->setTopMask(large.bits, large.width, large.height);
        uint32_t w = 0, h = 0;
        volume->upperMaskSize(w, h);
        QCOMPARE(w, 4u);
        QCOMPARE(h, 3u);
        QCOMPARE(volume->upperMask().count(true), 12);
    }

    void projectMasksLoad_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("square opening") << QStringLiteral("square_opening.png");
        QTest::newRow("lines and spaces") << QStringLiteral("lines_and_spaces.png");
        QTest::newRow("cross") << QStringLiteral("cross.png");
    }
    void projectMasksLoad()
    {
        QFETCH(QString, file);
        MaskBits mask;
        QVERIFY(loadMaskImage(QStringLiteral(EXAMPLES_DIR "/masks/") + file, mask));
        QCOMPARE(mask.width, 100u);
        QCOMPARE(mask.height, 100u);
        // Each pattern masks some columns and leaves others open.
        QVERIFY(mask.bits.count(true) > 0);
        QVERIFY(mask.bits.count(false) > 0);
    }

    void topMaskDevelopsResist_data()
    {
        QTest::addColumn<uint32_t>("resist");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("developed");
        QTest::newRow("positive, white") << positive << QColor(Qt::white) << true;
        QTest::newRow("positive, black") << positive << QColor(Qt::black) << false;
        QTest::newRow("negative, white") << negative << QColor(Qt::white) << false;
        QTest::newRow("negative, black") << negative << QColor(Qt::black) << true;
    }
    void topMaskDevelopsResist()
    {
        QFETCH(uint32_t, resist);
        QFETCH(QColor, colour);
        QFETCH(bool, developed);
        auto volume = resistOnSilicon(resist);
        const MaskBits top = filledMask(4, 3, colour);
        Photolithography engine(*volume, resist, QBitArray(), 0, 0, top.bits, top.width, top.height);
        QCOMPARE(engine.isNegative(), resist == negative);
        engine.run();
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t y = 0; y < 3; ++y) {
                QVERIFY(developed ? columnDeveloped(*volume, x, y) : columnIntact(*volume, x, y, resist));
                QCOMPARE(stateAt(*volume, x, y, 0), 1u);
            }
    }

    void sandwichedResistIsNeverDeveloped()
    {
        auto volume = makeVolume(
            3, 3, 7, [](uint32_t, uint32_t, uint32_t z) { return z == 0 || z == 3 ? 1u : (z < 3 ? positive : 0u); });
        const auto before = cellStates(*volume);
        Photolithography(*volume, positive, QBitArray(), 0, 0, QBitArray(), 0, 0).run();
        QCOMPARE(cellStates(*volume), before);
    }

    void withoutMasksPositiveResistDevelopsFromBothSides()
    {
        // Empty at z = 0 and z = 6, resist runs at 1..2 and 4..5 around a silicon layer at 3.
        auto volume = makeVolume(
            2, 2, 7, [](uint32_t, uint32_t, uint32_t z) { return z == 3 ? 1u : ((z >= 1 && z <= 5) ? positive : 0u); });
        Photolithography(*volume, positive, QBitArray(), 0, 0, QBitArray(), 0, 0).run();
        for (uint32_t z = 0; z < 7; ++z)
            QCOMPARE(stateAt(*volume, 1, 1, z), z == 3 ? 1u : 0u);
    }

    void resistTouchingTheTopOfTheVolumeIsNotExposed()
    {
        auto volume = makeVolume(2, 2, 4, [](uint32_t, uint32_t, uint32_t z) { return z == 0 ? 1u : positive; });
        const auto before = cellStates(*volume);
        Photolithography(*volume, positive, QBitArray(), 0, 0, QBitArray(), 0, 0).run();
        QCOMPARE(cellStates(*volume), before);
    }

    void bottomLeftPixelControlsColumnZero()
    {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setPixel(0, 2, qRgb(0, 0, 0));
        const MaskBits top = maskFromImage(image);
        auto volume = resistOnSilicon(positive);
        Photolithography(*volume, positive, QBitArray(), 0, 0, top.bits, top.width, top.height).run();
        QVERIFY(columnIntact(*volume, 0, 0, positive));
        QVERIFY(columnDeveloped(*volume, 0, 2));
        QVERIFY(columnDeveloped(*volume, 1, 0));
        QVERIFY(columnDeveloped(*volume, 3, 2));
    }

    void bottomMaskWorksFromBelow()
    {
        // Resist hanging under a silicon layer, open space below it.
        auto volume = makeVolume(2, 1, 5, [](uint32_t, uint32_t, uint32_t z) {
            return z == 0 ? 0u : (z <= 2 ? positive : (z == 3 ? 1u : 0u));
        });
        QBitArray bottom(2);
        bottom.setBit(1 * 1 + 0); // column (1, 0) shielded
        Photolithography engine(*volume, positive, bottom, 2, 1, QBitArray(), 0, 0);
        QVERIFY(!engine.keepsBottom(0, 0));
        QVERIFY(engine.keepsBottom(1, 0));
        engine.run();
        QCOMPARE(stateAt(*volume, 0, 0, 1), 0u);
        QCOMPARE(stateAt(*volume, 0, 0, 2), 0u);
        QCOMPARE(stateAt(*volume, 1, 0, 1), positive);
        QCOMPARE(stateAt(*volume, 1, 0, 2), positive);
    }

    void keepMapsOutsideTheMask_data()
    {
        QTest::addColumn<uint32_t>("resist");
        QTest::addColumn<bool>("consistent");
        QTest::addColumn<bool>("insideKept");
        QTest::addColumn<bool>("outsideKept");
        // A black 2x2 mask over a 4x3 volume.
        QTest::newRow("positive") << positive << true << true << false;
        QTest::newRow("negative") << negative << true << false << true;
        QTest::newRow("positive, wrong bit count") << positive << false << false << false;
        QTest::newRow("negative, wrong bit count") << negative << false << false << false;
    }
    void keepMapsOutsideTheMask()
    {
        QFETCH(uint32_t, resist);
        QFETCH(bool, consistent);
        QFETCH(bool, insideKept);
        QFETCH(bool, outsideKept);
        auto volume = resistOnSilicon(resist);
        QBitArray bits(consistent ? 4 : 5, true);
        Photolithography engine(*volume, resist, QBitArray(), 0, 0, bits, 2, 2);
        QCOMPARE(engine.keepsTop(1, 1), insideKept);
        QCOMPARE(engine.keepsTop(2, 0), outsideKept);
        QCOMPARE(engine.keepsTop(0, 2), outsideKept);
        // An empty bottom mask keeps what the resist's polarity keeps.
        QCOMPARE(engine.keepsBottom(0, 0), resist == negative);
    }

    void maskLargerThanTheVolumeIsCropped()
    {
        auto volume = resistOnSilicon(positive, 2, 2);
        MaskBits top = filledMask(10, 10, Qt::white);
        top.bits.setBit(1 * 10 + 1);
        Photolithography(*volume, positive, QBitArray(), 0, 0, top.bits, top.width, top.height).run();
        QVERIFY(columnIntact(*volume, 1, 1, positive));
        QVERIFY(columnDeveloped(*volume, 0, 1));
    }

    void resultsDoNotDependOnThreads_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<uint32_t>("nx");
        QTest::newRow("two slices") << 2 << 13u;
        QTest::newRow("five slices") << 5 << 13u;
        QTest::newRow("narrow volume") << 8 << 13u;
    }
    void resultsDoNotDependOnThreads()
    {
        QFETCH(int, threads);
        QFETCH(uint32_t, nx);
        auto pattern = [](uint32_t x, uint32_t y, uint32_t z) {
            const uint32_t s = patternState(x, y, z, 5, 5);
            return s < 2 ? 0u : (s < 5 ? positive : 1u);
        };
        QBitArray top(int(nx * 7));
        for (int i = 0; i < top.size(); i += 3)
            top.setBit(i);
        auto reference = makeVolume(nx, 7, 9, pattern);
        {
            PoolThreads pool(1);
            Photolithography(*reference, positive, QBitArray(), 0, 0, top, nx, 7).run();
        }
        auto volume = makeVolume(nx, 7, 9, pattern);
        PoolThreads pool(threads);
        Photolithography(*volume, positive, QBitArray(), 0, 0, top, nx, 7).run();
        QCOMPARE(cellStates(*volume), cellStates(*reference));
        QVERIFY(cellStates(*volume) != cellStates(*makeVolume(nx, 7, 9, pattern)));
    }

    void operationPreviewsMasksAndClearsThemAfterTheRun()
    {
        Core::Workspace ws;
        auto volume = resistOnSilicon(positive);
        ws.document().addObject(volume);
        auto updates = std::make_shared<CountingObserver>();
        ws.addUpdateObserver(updates);
        auto observer = std::make_shared<CountingObserver>();
        auto op = withObserver(std::make_shared<PhotolithographyOperation>(ws), observer);
        const MaskBits top = filledMask(4, 3, Qt::black);
        const MaskBits bottom = filledMask(1, 1, Qt::white);
        observer->onNotify = [&] {
            const int before = updates->count;
            op->setTopMask(top.bits, top.width, top.height);
            QCOMPARE(volume->upperMask(), top.bits);
            op->setBottomMask(bottom.bits, bottom.width, bottom.height);
            uint32_t w = 0, h = 0;
            volume->lowerMaskSize(w, h);
            QCOMPARE(w, 1u);
            QCOMPARE(updates->count, before + 2);
            op->setMaterial(positive);
        };
        op->start();
        QCOMPARE(ws.console().message(), QStringLiteral("Photolithography: Operation finished."));
        QVERIFY(columnIntact(*volume, 2, 2, positive));
        QVERIFY(volume->upperMask().isEmpty());
        QVERIFY(volume->lowerMask().isEmpty());
        uint32_t w = 9, h = 9;
        volume->upperMaskSize(w, h);
        QCOMPARE(w + h, 0u);
        QCOMPARE(ws.lastOperation(volume->id()), 20u);
        QVERIFY(!ws.undoRedo().canUndo());
    }

    void operationWithoutMaterialCancels()
    {
        Core::Workspace ws;
        auto volume = resistOnSilicon(positive);
        ws.document().addObject(volume);
        const auto before = cellStates(*volume);
        auto op = std::make_shared<PhotolithographyOperation>(ws);
        op->start();
        QCOMPARE(ws.console().message(), QStringLiteral("Photolithography: Operation Canceled!"));
        QCOMPARE(cellStates(*volume), before);
    }
};

QTEST_GUILESS_MAIN(tst_Photolithography)
#include "tst_photolithography.moc"
