#include "Core/Operations/gdslayout.h"
#include "Core/Operations/layoutmask.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Core::Operations;

Q_DECLARE_METATYPE(Core::Operations::LayoutPlacement)

namespace {

constexpr uint32_t columnsX = 10;
constexpr uint32_t columnsY = 8;

// Rows from y = 7 (top) down to y = 0; '#' marks an exposed column.
using Picture = QStringList;

QString layoutFile(const QString &folder, const char *name) { return folder + QLatin1Char('/') + QLatin1String(name); }

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
    QFile file(QStringLiteral(TEST_DATA_DIR "/layouts/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Debian's gdspy writes the layouts again when it is there.
bool writeLayoutsWithGdspy(const QString &folder)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TEST_DATA_DIR "/layouts/make_layouts.py"), folder});
    return python.waitForFinished(60000) && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
}

} // namespace

class tst_GdsLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QFile::exists(layoutFile(m_stored, "square.gds"))); }

    void masksWorkedOutByHand_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("datatype");
        QTest::addColumn<Picture>("expected");
        // The stored files, and the same layouts written afresh by gdspy when it is installed.
        QStringList folders{m_stored};
        if (m_fresh.isValid() && writeLayoutsWithGdspy(m_fresh.path()))
            folders.append(m_fresh.path());
        else
            qInfo("python3-gdspy is not available: only the stored layouts are checked.");
        for (const QString &folder : folders) {
            const QString set = folder == m_stored ? QStringLiteral("stored ") : QStringLiteral("gdspy ");
            QTest::newRow(qPrintable(set + "square"))
                << folder << "square.gds" << 1 << 0 << Picture{"..........", "..........", "..........", "..........",
                                                               "..###.....", "..###.....", "..###.....", ".........."};
            QTest::newRow(qPrintable(set + "path with flush ends"))
                << folder << "paths.gds" << 1 << 0 << Picture{"..........", "..........", ".#######..", ".#######..",
                                                              "..........", "..........", "..........", ".........."};
            QTest::newRow(qPrintable(set + "path with extended ends"))
                << folder << "paths.gds" << 2 << 0 << Picture{"..........", "..........", "..........", "..........",
                                                              "..........", "...#####..", "...#####..", ".........."};
            QTest::newRow(qPrintable(set + "bent path"))
                << folder << "paths.gds" << 3 << 0 << Picture{"..........", "..........", "..........", "....##....",
                                                              "....##....", "....##....", ".#####....", ".#####...."};
            QTest::newRow(qPrintable(set + "array and reference"))
                << folder << "arrays.gds" << 1 << 0 << Picture{"..........", ".#..#..#..", ".#..#..#..", "..........",
                                                               "..........", ".#..#..#..", ".#..#..##.", "........#."};
            QTest::newRow(qPrintable(set + "rotated, reflected and magnified references"))
                << folder << "transformed.gds" << 1 << 0
                << Picture{"..........", "..........", ".###......", "....#.....",
                           "....#...#.", "....#...#.", "######..#.", "######...."};
            QTest::newRow(qPrintable(set + "layer 1"))
                << folder << "layers.gds" << 1 << 0 << Picture{"####......", "####......", "####......", "####......",
                                                               "####......", "####......", "####......", "####......"};
            QTest::newRow(qPrintable(set + "layer 2"))
                << folder << "layers.gds" << 2 << 0 << Picture{"......####", "......####", "......####", "......####",
                                                               "......####", "......####", "......####", "......####"};
            QTest::newRow(qPrintable(set + "layer 1 datatype 5"))
                << folder << "layers.gds" << 1 << 5 << Picture{"..........", "..........", "..........", "..........",
                                                               "..........", "..........", "....##....", "....##...."};
        }
    }
    void masksWorkedOutByHand()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(int, layer);
        QFETCH(int, datatype);
        QFETCH(Picture, expected);
        GdsLayout layout;
        QVERIFY2(layout.load(folder + QLatin1Char('/') + file), qPrintable(layout.errorString()));
        MaskBits mask;
        QString error;
        QVERIFY2(layoutMask(layout, oneMicronPerCell(layer, datatype), columnsX, columnsY, mask, &error),
                 qPrintable(error));
        QCOMPARE(mask.width, columnsX);
        QCOMPARE(mask.height, columnsY);
        QVERIFY(mask.isConsistent());
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
        QTest::newRow("scale and offset") << false << Picture{"..######..", "..######..", "..######..", "..######..",
                                                              "..######..", "..######..", "..........", ".........."};
    }
    void placementsOfTheSquare()
    {
        QFETCH(bool, fitted);
        QFETCH(Picture, expected);
        GdsLayout layout;
        QVERIFY(layout.load(layoutFile(m_stored, "square.gds")));
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
        QTest::newRow("absent datatype") << oneMicronPerCell(1, 3) << "Layer 1, datatype 3 is not in the layout.";
        LayoutPlacement away = oneMicronPerCell(1);
        away.offsetX = 100.0;
        QTest::newRow("shapes beside the volume")
            << away << "Layer 1, datatype 0 exposes no cell column at this scale and offset.";
        LayoutPlacement tiny = oneMicronPerCell(1);
        tiny.micronsPerCell = 1000.0;
        QTest::newRow("shapes smaller than a column")
            << tiny << "Layer 1, datatype 0 exposes no cell column at this scale and offset.";
        LayoutPlacement zero = oneMicronPerCell(1);
        zero.micronsPerCell = 0.0;
        QTest::newRow("no scale") << zero << "The scale must be a positive number of micrometres per cell.";
    }
    void absentAndEmptyLayersAreRefused()
    {
        QFETCH(LayoutPlacement, placement);
        QFETCH(QString, reason);
        GdsLayout layout;
        QVERIFY(layout.load(layoutFile(m_stored, "square.gds")));
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
        QTest::newRow("empty") << QByteArray() << "It is not a GDSII file.";
        QTest::newRow("text") << QByteArray("not a layout at all\n") << "It is not a GDSII file.";
        QTest::newRow("PNG header") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "It is not a GDSII file.";
        QTest::newRow("cut after the header")
            << whole.left(6) << "The file ends before its last record: it is cut short.";
        QTest::newRow("cut in a record") << whole.left(whole.size() - 7)
                                         << "The file ends before its last record: it is cut short.";
        QTest::newRow("cut before the last record")
            << whole.left(whole.size() - 4) << "The file ends before its last record: it is cut short.";
        QByteArray zeroLength = whole;
        zeroLength[6] = 0;
        zeroLength[7] = 0;
        QTest::newRow("record of length 0") << zeroLength << "Record at byte 6 is damaged.";
        // The reading library ends the program on an unknown structure name, overflows its stack on a
        // cycle and expands an array of 3000 by 3000 copies into nine million shapes: such files must
        // be refused before they reach it.
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
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        GdsLayout layout;
        QVERIFY(!layout.load(file.fileName()));
        QCOMPARE(layout.errorString(), reason);
        QVERIFY(layout.layers().isEmpty());
    }

    void aFailedLoadForgetsTheEarlierLayout()
    {
        GdsLayout layout;
        QVERIFY(layout.load(layoutFile(m_stored, "square.gds")));
        QVERIFY(layout.hasLayer({1, 0}));
        QVERIFY(!layout.load(layoutFile(m_stored, "missing.gds")));
        QCOMPARE(layout.errorString(), QStringLiteral("The file does not exist."));
        QVERIFY(!layout.hasLayer({1, 0}));
        MaskBits mask;
        QVERIFY(!layoutMask(layout, oneMicronPerCell(1), columnsX, columnsY, mask));
    }

private:
    const QString m_stored = QStringLiteral(TEST_DATA_DIR "/layouts");
    QTemporaryDir m_fresh;
};

QTEST_GUILESS_MAIN(tst_GdsLayout)
#include "tst_gdslayout.moc"
