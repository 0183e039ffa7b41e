#include "Core/Engines/Columns/photolithography.h"
#include "Core/Engines/Columns/planarization.h"
#include "Core/Engines/Columns/spincoating.h"
#include "Core/Engines/Moore/mooreneighborhooddeposition.h"
#include "Core/Engines/Moore/mooreneighborhoodetching.h"
#include "Core/Formats/gdslayout.h"
#include "Core/Formats/layoutmask.h"
#include "Core/Formats/maskimage.h"
#include "enginetesthelpers.h"
#include "volumetesthelpers.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace Core::Operations;
using EngineTest::scene;
using EngineTest::Scene;
using EngineTest::Shape;
using EngineTest::TotalVolume;
using EngineTest::unchanged;

Q_DECLARE_METATYPE(Core::Operations::LayoutPlacement)

namespace {

constexpr uint32_t columnsX = 10;
constexpr uint32_t columnsY = 8;

// Rows from y = 7 (top) down to y = 0; '#' marks an exposed column.
using Picture = QStringList;

QString layoutFile(const QString &name) { return QStringLiteral(TEST_DATA_DIR "/layouts/") + name; }

Picture rows(const char *picture) { return QString::fromLatin1(picture).split(QLatin1Char(' ')); }

// The mask as a picture, to compare with a hand-drawn one.
Picture pictureOf(const MaskBits &mask)
{
    Picture rows;
    for (int y = int(mask.height) - 1; y >= 0; --y) {
        QString row;
        for (uint32_t x = 0; x < mask.width; ++x)
            row += mask.covers(x, uint32_t(y)) ? QLatin1Char('.') : QLatin1Char('#');
        rows.append(row);
    }
    return rows;
}

LayoutPlacement oneMicronPerCell(int layer, int datatype = 0)
{
    LayoutPlacement placement;
    placement.layer = {layer, datatype};
    placement.micronsPerCell = 1.0;
    return placement;
}

QByteArray storedBytes(const char *name)
{
    QFile file(layoutFile(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr uint32_t positive = 11;
constexpr uint32_t negative = 12;

MaskBits filledMask(uint32_t width, uint32_t height, const QColor &colour)
{
    QImage image(int(width), int(height), QImage::Format_RGB32);
    image.fill(colour);
    return maskFromImage(image);
}

/// Silicon at z = 0, resist at z = 1..3 and empty above, 4 x 3 columns, lit through a top mask;
/// the columns `kept(x, y)` keep their resist, the others are developed.
void exposure(const char *name, uint32_t resist, const MaskBits &top,
              const std::function<bool(uint32_t, uint32_t)> &kept)
{
    scene(
        name, {4, 3, 6}, [=](uint32_t, uint32_t, uint32_t z) { return z == 0 ? 1u : (z <= 3 ? resist : 0u); },
        [=](TotalVolume &v) { Photolithography(v, resist, QBitArray(), 0, 0, top.bits, top.width, top.height).run(); },
        [=](uint32_t x, uint32_t y, uint32_t z) { return z == 0 ? 1u : (z <= 3 && kept(x, y) ? resist : 0u); });
}

/// Positive resist without masks: developed where open to empty space above or below.
void withoutMasks(const char *name, uint32_t nz, const Shape &start, const Shape &expected)
{
    scene(
        name, {2, 2, nz}, start,
        [](TotalVolume &v) { Photolithography(v, positive, QBitArray(), 0, 0, QBitArray(), 0, 0).run(); }, expected);
}

const Shape pattern = [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 7, 3); };

/// Planarization of the 5 x 3 x 6 pattern keeps the cells with z in [from, to).
void planarization(const char *name, uint32_t maximum, uint32_t minimum, uint32_t from, uint32_t to)
{
    scene(
        name, {5, 3, 6}, pattern, [=](TotalVolume &v) { Planarization(v, maximum, minimum).run(); },
        [=](uint32_t x, uint32_t y, uint32_t z) { return z >= from && z < to ? pattern(x, y, z) : 0u; });
}

/// Spin coating fills the empty cells below `filledTo` with material 9 and leaves the others.
void spinCoating(const char *name, uint32_t height, uint32_t filledTo)
{
    scene(
        name, {5, 3, 6}, pattern, [=](TotalVolume &v) { SpinCoating(v, 9, height).run(); },
        [=](uint32_t x, uint32_t y, uint32_t z) {
            return pattern(x, y, z) != 0 ? pattern(x, y, z) : (z < filledTo ? 9u : 0u);
        });
}

/// A closed box of material 3 around a cubic cavity: cells within `layers` of a wall fill.
void cavity(const char *name, uint32_t width, uint32_t layers)
{
    const uint32_t n = width + 2;
    const auto toWall = [n](uint32_t x, uint32_t y, uint32_t z) {
        return std::min({x, y, z, n - 1 - x, n - 1 - y, n - 1 - z});
    };
    scene(
        name, {n, n, n}, [=](uint32_t x, uint32_t y, uint32_t z) { return toWall(x, y, z) == 0 ? 3u : 0u; },
        [=](TotalVolume &v) { MooreNeighborhoodDeposition(v, 4, layers).run(); },
        [=](uint32_t x, uint32_t y, uint32_t z) {
            const uint32_t d = toWall(x, y, z);
            return d == 0 ? 3u : (d <= layers ? 4u : 0u);
        });
}

} // namespace

/// Column-wise engines (lithography, planarization, spin coating), the Moore-neighbourhood film
/// engines, and the masks from images and GDSII layouts that lithography and cuts use.
class tst_ColumnEngines : public QObject {
    Q_OBJECT
private slots:
    void pixelRule()
    {
        const std::pair<QColor, bool> colours[] = {
            {QColor(255, 0, 0), true}, {QColor(0, 0, 0), true}, {QColor(254, 0, 0), false}, {QColor(0, 0, 1), false}};
        for (const auto &[colour, masks] : colours) {
            QImage image(2, 2, QImage::Format_ARGB32);
            image.fill(colour);
            const MaskBits mask = maskFromImage(image);
            QCOMPARE(mask.bits.size(), 4);
            QVERIFY2(mask.bits.count(true) == (masks ? 4 : 0), qPrintable(colour.name()));
        }
    }

    // Broken and missing files are refused in the dialog tests (badMaskFilesWarnAndKeepTheMask).
    void imageFilesLoadCroppedToTheVolumeAndHugeOnesAreRefused()
    {
        QTemporaryDir dir;
        QImage image(6, 4, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setPixel(0, 3, qRgb(0, 0, 0)); // column (0, 0): the bottom row of the image is y = 0
        image.setPixel(2, 2, qRgb(0, 0, 0)); // column (2, 1)
        image.setPixel(5, 0, qRgb(0, 0, 0)); // column (5, 3): beyond a 3 x 2 volume
        image.setPixel(1, 1, qRgb(0, 0, 0)); // column (1, 2): beyond it too
        const QString png = dir.filePath(QStringLiteral("mask.png"));
        QVERIFY(image.save(png));
        MaskBits mask;
        QVERIFY(loadMaskImage(png, mask, 3, 2));
        QCOMPARE(pictureOf(mask), Picture({"##.", ".##"}));

        // A few kilobytes of file must not become gigabytes of mask: refused from the header's size.
        QImage huge(8193, 8193, QImage::Format_Mono);
        huge.fill(1);
        QVERIFY(huge.save(dir.filePath(QStringLiteral("huge.png"))));
        QVERIFY(!loadMaskImage(QString(), mask));
        QVERIFY(!loadMaskImage(dir.filePath(QStringLiteral("huge.png")), mask));
        QCOMPARE(pictureOf(mask), Picture({"##.", ".##"}));
    }

    void handWorkedResults_data()
    {
        QTest::addColumn<Scene>("scene");
        const auto all = [](uint32_t, uint32_t) { return true; };
        const auto none = [](uint32_t, uint32_t) { return false; };
        exposure("positive resist, black mask", positive, filledMask(4, 3, Qt::black), all);
        exposure("negative resist, white mask", negative, filledMask(4, 3, Qt::white), all);
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setPixel(0, 2, qRgb(0, 0, 0));
        exposure("bottom-left pixel shields column (0, 0)", positive, maskFromImage(image),
                 [](uint32_t x, uint32_t y) { return x == 0 && y == 0; });
        // Mask bits for 2 x 2 columns over 4 x 3: beyond them the polarity decides; a wrong bit
        // count is no mask at all.
        const MaskBits small{QBitArray(4, true), 2, 2};
        const MaskBits wrong{QBitArray(5, true), 2, 2};
        const auto inside = [](uint32_t x, uint32_t y) { return x < 2 && y < 2; };
        exposure("positive, small mask", positive, small, inside);
        exposure("positive, wrong bit count", positive, wrong, none);
        MaskBits large = filledMask(10, 10, Qt::white);
        large.bits.setBit(1 * 10 + 1);
        exposure("mask larger than the volume is cropped", positive, large,
                 [](uint32_t x, uint32_t y) { return x == 1 && y == 1; });
        withoutMasks(
            "developed from both sides", 7,
            [](uint32_t, uint32_t, uint32_t z) { return z == 3 ? 1u : (z >= 1 && z <= 5 ? positive : 0u); },
            [](uint32_t, uint32_t, uint32_t z) { return z == 3 ? 1u : 0u; });
        const Shape sandwiched = [](uint32_t, uint32_t, uint32_t z) {
            return z == 0 || z == 3 ? 1u : (z < 3 ? positive : 0u);
        };
        withoutMasks("sandwiched resist is never developed", 7, sandwiched, sandwiched);
        const Shape toTheTop = [](uint32_t, uint32_t, uint32_t z) { return z == 0 ? 1u : positive; };
        withoutMasks("resist touching the volume's top is not exposed", 4, toTheTop, toTheTop);
        // Resist hanging under a silicon layer, open below; the bottom mask shields column (1, 0).
        scene(
            "bottom mask works from below", {2, 1, 5},
            [](uint32_t, uint32_t, uint32_t z) { return z == 3 ? 1u : (z == 1 || z == 2 ? positive : 0u); },
            [](TotalVolume &v) {
                QBitArray bottom(2);
                bottom.setBit(1);
                Photolithography(v, positive, bottom, 2, 1, QBitArray(), 0, 0).run();
            },
            [](uint32_t x, uint32_t, uint32_t z) {
                return z == 3 ? 1u : (x == 1 && (z == 1 || z == 2) ? positive : 0u);
            });
        planarization("planarization of the whole range", 6, 0, 0, 6);
        planarization("planarization of top and bottom", 4, 1, 1, 4);
        planarization("planarization maximum below minimum", 1, 3, 0, 0);
        planarization("planarization minimum above nz", 6, 9, 0, 0);
        spinCoating("spin coating height 3", 3, 3);
        spinCoating("spin coating height above nz", 1000, 6);
        // A 2x2x2 silicon cube in a 14^3 volume grows a cube of film: Chebyshev distance <= layers.
        const auto cube = [](uint32_t x, uint32_t y, uint32_t z) {
            auto axis = [](long v) { return v < 6 ? 6 - v : (v > 7 ? v - 7 : 0); };
            return std::max({axis(x), axis(y), axis(z)});
        };
        scene(
            "cube grows four layers", {14, 14, 14},
            [=](uint32_t x, uint32_t y, uint32_t z) { return cube(x, y, z) == 0 ? 1u : 0u; },
            [](TotalVolume &v) { MooreNeighborhoodDeposition(v, 5, 4).run(); },
            [=](uint32_t x, uint32_t y, uint32_t z) {
                return cube(x, y, z) == 0 ? 1u : (cube(x, y, z) <= 4 ? 5u : 0u);
            });
        cavity("cavity 4 wide fills with 2 layers", 4, 2);
        cavity("cavity 5 wide keeps its middle with 2 layers", 5, 2);
        // Silicon below, three layers of oxide (2) above it: all the oxide goes, the silicon stays.
        scene(
            "etching stops at other materials", {6, 5, 8},
            [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : (z < 5 ? 2u : 0u); },
            [](TotalVolume &v) { MooreNeighborhoodEtching(v, 2, 10).run(); },
            [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : 0u; });
        unchanged(
            "etching does not pass through other materials", {5, 5, 7},
            [](uint32_t x, uint32_t y, uint32_t z) {
                const bool inner = x >= 1 && x <= 3 && y >= 1 && y <= 3 && z >= 1 && z <= 3;
                return z >= 5 ? 0u : (inner ? 2u : 1u);
            },
            [](TotalVolume &v) { MooreNeighborhoodEtching(v, 2, 50).run(); });
        // Oxide everywhere but the empty corner (0, 0, 0): face, edge and corner contacts go at once.
        scene(
            "diagonal contact is etched in the first step", {4, 4, 4},
            [](uint32_t x, uint32_t y, uint32_t z) { return x + y + z == 0 ? 0u : 2u; },
            [](TotalVolume &v) { MooreNeighborhoodEtching(v, 2, 1).run(); },
            [](uint32_t x, uint32_t y, uint32_t z) { return x <= 1 && y <= 1 && z <= 1 ? 0u : 2u; });
        unchanged(
            "zero layers or no material change nothing", {6, 6, 6},
            [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 3, 2); },
            [](TotalVolume &v) {
                MooreNeighborhoodDeposition(v, 1, 0).run();
                MooreNeighborhoodEtching(v, 1, 0).run();
                MooreNeighborhoodDeposition(v, 0, 3).run();
            });
    }
    void handWorkedResults() { EngineTest::checkScene(); }

    // ---- masks from GDSII layouts ----

    void masksWorkedOutByHand_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("datatype");
        QTest::addColumn<Picture>("expected");
        QTest::newRow("square")
            << "square.gds" << 1 << 0
            << rows(".......... .......... .......... .......... ..###..... ..###..... ..###..... ..........");
        QTest::newRow("path with flush ends")
            << "paths.gds" << 1 << 0
            << rows(".......... .......... .#######.. .#######.. .......... .......... .......... ..........");
        QTest::newRow("path with extended ends")
            << "paths.gds" << 2 << 0
            << rows(".......... .......... .......... .......... .......... ...#####.. ...#####.. ..........");
        QTest::newRow("bent path")
            << "paths.gds" << 3 << 0
            << rows(".......... .......... .......... ....##.... ....##.... ....##.... .#####.... .#####....");
        QTest::newRow("array and reference")
            << "arrays.gds" << 1 << 0
            << rows(".......... .#..#..#.. .#..#..#.. .......... .......... .#..#..#.. .#..#..##. ........#.");
        QTest::newRow("rotated, reflected and magnified references")
            << "transformed.gds" << 1 << 0
            << rows(".......... .......... .###...... ....#..... ....#...#. ....#...#. ######..#. ######....");
        QTest::newRow("layer 2")
            << "layers.gds" << 2 << 0
            << rows("......#### ......#### ......#### ......#### ......#### ......#### ......#### ......####");
        QTest::newRow("layer 1 datatype 5")
            << "layers.gds" << 1 << 5
            << rows(".......... .......... .......... .......... .......... .......... ....##.... ....##....");
    }
    void masksWorkedOutByHand()
    {
        QFETCH(QString, file);
        QFETCH(int, layer);
        QFETCH(int, datatype);
        QFETCH(Picture, expected);
        GdsLayout layout;
        QVERIFY2(layout.load(layoutFile(file)), qPrintable(layout.errorString()));
        MaskBits mask;
        QString error;
        QVERIFY2(layoutMask(layout, oneMicronPerCell(layer, datatype), columnsX, columnsY, mask, &error),
                 qPrintable(error));
        QCOMPARE(pictureOf(mask), expected);
    }

    void placementsOfTheSquare_data()
    {
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<Picture>("expected");
        // Fitted, the 3 by 3 square fills the 8 rows: 0.375 micrometres per cell, centred along x.
        Picture full;
        for (int row = 0; row < 8; ++row)
            full << QStringLiteral(".########.");
        QTest::newRow("fitted") << true << full;
        // At 0.5 and offset 1 along x: x from (2 - 1) / 0.5 = 2 to (5 - 1) / 0.5 = 8, y from 2 to 8.
        QTest::newRow("scale and offset")
            << false << rows("..######.. ..######.. ..######.. ..######.. ..######.. ..######.. .......... ..........");
    }
    void placementsOfTheSquare()
    {
        QFETCH(bool, fitted);
        QFETCH(Picture, expected);
        GdsLayout layout;
        QVERIFY(layout.load(layoutFile(QStringLiteral("square.gds"))));
        LayoutPlacement placement = oneMicronPerCell(1);
        placement.micronsPerCell = 0.5;
        placement.offsetX = 1.0;
        if (fitted) {
            placement = fittedPlacement(layout, {1, 0}, columnsX, columnsY);
            QCOMPARE(placement.micronsPerCell, 0.375);
            QCOMPARE(placement.offsetX, 1.625);
            QCOMPARE(placement.offsetY, 1.0);
        }
        MaskBits mask;
        QVERIFY(layoutMask(layout, placement, columnsX, columnsY, mask));
        QCOMPARE(pictureOf(mask), expected);
    }

    void absentAndEmptyLayersAreRefused_data()
    {
        QTest::addColumn<LayoutPlacement>("placement");
        QTest::addColumn<QString>("reason");
        QTest::newRow("absent layer") << oneMicronPerCell(7) << "Layer 7, datatype 0 is not in the layout.";
        LayoutPlacement away = oneMicronPerCell(1);
        away.offsetX = 100.0;
        QTest::newRow("shapes beside the volume")
            << away << "Layer 1, datatype 0 exposes no cell column at this scale and offset.";
        LayoutPlacement zero = oneMicronPerCell(1);
        zero.micronsPerCell = 0.0;
        QTest::newRow("no scale") << zero << "The scale must be a positive number of micrometres per cell.";
    }
    void absentAndEmptyLayersAreRefused()
    {
        QFETCH(LayoutPlacement, placement);
        QFETCH(QString, reason);
        GdsLayout layout;
        QVERIFY(layout.load(layoutFile(QStringLiteral("square.gds"))));
        MaskBits mask;
        mask.width = 1;
        mask.height = 1;
        mask.bits = QBitArray(1, true);
        QString error;
        QVERIFY(!layoutMask(layout, placement, columnsX, columnsY, mask, &error));
        QCOMPARE(error, reason);
        QCOMPARE(mask.width, 1u); // untouched
    }

    void unreadableFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");
        const QByteArray whole = storedBytes("square.gds");
        QTest::newRow("missing file") << QByteArray() << "The file does not exist.";
        QTest::newRow("cut in a record") << whole.left(whole.size() - 7)
                                         << "The file ends before its last record: it is cut short.";
        QByteArray zeroLength = whole;
        zeroLength[6] = 0;
        zeroLength[7] = 0;
        QTest::newRow("record of length 0") << zeroLength << "Record at byte 6 is damaged.";
        // Refused before the reader, which would abort, overflow its stack or expand nine million shapes.
        QTest::newRow("unknown structure")
            << storedBytes("unknown_reference.gds")
            << "Structure \"TOP\" refers to a structure \"ZZ\" that the file does not define.";
        QTest::newRow("cycle") << storedBytes("cycle.gds")
                               << "Structure \"AA\" contains itself through its references.";
        QByteArray huge = storedBytes("arrays.gds");
        const int at = huge.indexOf(QByteArray("\x00\x08\x13\x02\x00\x03\x00\x02", 8));
        QVERIFY(at > 0);
        huge.replace(at, 8, QByteArray("\x00\x08\x13\x02\x0b\xb8\x0b\xb8", 8));
        QTest::newRow("huge expansion") << huge << "Structure \"TOP\" expands to more than 4e+06 shapes.";
    }
    void unreadableFilesAreRefused()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("bad.gds")));
        if (!contents.isNull()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
            file.close();
        }
        GdsLayout layout;
        QVERIFY(layout.load(layoutFile(QStringLiteral("square.gds"))));
        QVERIFY(!layout.load(file.fileName()));
        QCOMPARE(layout.errorString(), reason);
        QVERIFY(layout.layers().isEmpty()); // the earlier layout is forgotten
        MaskBits mask;
        QVERIFY(!layoutMask(layout, oneMicronPerCell(1), columnsX, columnsY, mask));
    }
};

QTEST_GUILESS_MAIN(tst_ColumnEngines)
#include "tst_columnengines.moc"
