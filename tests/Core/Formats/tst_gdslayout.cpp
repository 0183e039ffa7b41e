// The GDSII reader: hostile files end in a message (never a crash, a hang or gigabytes), and what
// it reads is placed as worked out by hand.
#include "Core/Formats/gdslayout.h"
#include "Core/Formats/layoutmask.h"
#include "Util/runcontrol.h"
#include "gdsbytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Core::Operations;
using namespace GdsBytes;

namespace {

// Rows from y = 7 (top) down to y = 0 of 10 by 8 columns at 1 micrometre each; '#' is exposed.
using Picture = QStringList;

Picture rows(const char *picture) { return QString::fromLatin1(picture).split(QLatin1Char(' ')); }

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

// In database units of 1 nm: a 1000 is a micrometre, a column.
const QByteArray square = rectangle(1, 2000, 1000, 5000, 4000);
const QByteArray unit = structure("UNIT", square);
QByteArray top(const QByteArray &elements) { return structure("TOP", elements); }
QByteArray within(const QByteArray &element) { return library(top(element) + unit); }
QByteArray boundaryWith(const QByteArray &records)
{
    return within(record(0x08) + records + points({0, 0, 1000, 0, 1000, 1000, 0, 0}) + endElement());
}
const QByteArray noStrans = record(0x1A, int16s({0}), 1);

} // namespace

class tst_GdsLayout : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("layout.gds"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

private slots:
    void hostileFilesEndInAMessage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        // %1 in a message is the byte of `marker`, the record at fault.
        auto row = [](const char *name, const QByteArray &bytes, const char *message,
                      const QByteArray &marker = QByteArray()) {
            const QString text = QString::fromLatin1(message);
            QTest::newRow(name) << bytes << (marker.isEmpty() ? text : text.arg(bytes.indexOf(marker)));
        };
        const char *shortData = "The %2 record at byte %1 holds %3 bytes of data where %4 are needed.";
        auto shortRow = [&](const char *name, const QByteArray &bytes, const QByteArray &marker, const char *record,
                            int held, int needed) {
            QTest::newRow(name) << bytes
                                << QString::fromLatin1(shortData)
                                       .arg(bytes.indexOf(marker))
                                       .arg(QLatin1String(record))
                                       .arg(held)
                                       .arg(needed);
        };
        // Records with empty or short data.
        shortRow("empty LAYER", boundaryWith(record(0x0D) + datatype(0)), record(0x0D), "LAYER", 0, 2);
        shortRow("empty DATATYPE", boundaryWith(layer(1) + record(0x0E)), record(0x0E), "DATATYPE", 0, 2);
        const QByteArray line = points({0, 0, 5000, 0});
        shortRow("empty WIDTH", within(record(0x09) + layer(1) + datatype(0) + record(0x0F) + line + endElement()),
                 record(0x0F), "WIDTH", 0, 4);
        const QByteArray halfWidth = record(0x0F, int16s({5}), 3);
        shortRow("short WIDTH", within(record(0x09) + layer(1) + datatype(0) + halfWidth + line + endElement()),
                 halfWidth, "WIDTH", 2, 4);
        shortRow("empty PATHTYPE", within(record(0x09) + layer(1) + datatype(0) + record(0x21) + line + endElement()),
                 record(0x21), "PATHTYPE", 0, 2);
        const QByteArray threePoints = points({0, 0, 3000, 0, 0, 3000});
        const QByteArray halfColrow = record(0x13, int16s({3}), 2);
        shortRow("short COLROW", within(record(0x0B) + referenceName("UNIT") + halfColrow + threePoints + endElement()),
                 halfColrow, "COLROW", 2, 4);
        shortRow("empty MAG", within(reference("UNIT", 0, 0, noStrans + record(0x1B))), record(0x1B), "MAG", 0, 8);
        const QByteArray halfAngle = record(0x1C, int32s({0}), 5);
        shortRow("short ANGLE", within(reference("UNIT", 0, 0, noStrans + halfAngle)), halfAngle, "ANGLE", 4, 8);
        shortRow("empty STRANS", within(reference("UNIT", 0, 0, record(0x1A))), record(0x1A), "STRANS", 0, 2);
        shortRow("empty PROPATTR",
                 within(record(0x08) + layer(1) + datatype(0) + points({0, 0, 9, 0, 9, 9, 0, 0}) + record(0x2B) +
                        endElement()),
                 record(0x2B), "PROPATTR", 0, 2);
        const QByteArray halfUnits = record(0x03, real8(1e-3), 5);
        QByteArray shortUnits = library(unit);
        shortUnits.replace(shortUnits.indexOf(QByteArray("\x00\x14\x03\x05", 4)), 20, halfUnits);
        shortRow("short UNITS", shortUnits, halfUnits, "UNITS", 8, 16);
        row("part of a point", boundaryWith(layer(1) + datatype(0) + record(0x10, int32s({1, 2, 3}), 3)),
            "The XY record at byte %1 holds 12 bytes of data, not a whole number of points.",
            record(0x10, int32s({1, 2, 3}), 3));

        // Elements without a record they need.
        const QByteArray sref = record(0x0A);
        const QByteArray aref = record(0x0B);
        row("reference without XY", within(sref + referenceName("UNIT") + endElement()),
            "The SREF at byte %1 in structure \"TOP\" has no XY record.", sref);
        row("reference without name", within(sref + points({0, 0}) + endElement()),
            "The SREF at byte %1 in structure \"TOP\" has no SNAME record.", sref);
        row("reference with an empty name", within(sref + record(0x12) + points({0, 0}) + endElement()),
            "The SNAME record at byte %1 names no structure.", record(0x12));
        row("array without COLROW", within(aref + referenceName("UNIT") + threePoints + endElement()),
            "The AREF at byte %1 in structure \"TOP\" has no COLROW record.", aref);
        row("array of one point",
            within(aref + referenceName("UNIT") + record(0x13, int16s({2, 2}), 2) + points({0, 0}) + endElement()),
            "The AREF at byte %1 in structure \"TOP\" has 1 point where 3 are needed.", aref);
        row("array of no columns",
            within(aref + referenceName("UNIT") + record(0x13, int16s({0, 2}), 2) + threePoints + endElement()),
            "The AREF at byte %1 in structure \"TOP\" has 0 columns and 2 rows; it needs at least one of each.", aref);
        const QByteArray textOpen = record(0x0C) + layer(1) + record(0x16, int16s({0}), 2);
        row("text without STRING", within(textOpen + points({0, 0}) + endElement()),
            "The TEXT at byte %1 in structure \"TOP\" has no STRING record.", record(0x0C));
        row("text without XY", within(textOpen + record(0x19, text("hi"), 6) + endElement()),
            "The TEXT at byte %1 in structure \"TOP\" has no XY record.", record(0x0C));
        row("boundary without LAYER", boundaryWith(datatype(0)),
            "The BOUNDARY at byte %1 in structure \"TOP\" has no LAYER record.", record(0x08));
        QByteArray nameless = unit;
        nameless.remove(nameless.indexOf(QByteArray("\x00\x08\x06\x06UNIT", 8)), 8);
        row("structure without a name", library(nameless), "The structure at byte %1 has no name.",
            QByteArray("\x00\x1C\x05\x02", 4));
        QByteArray emptyName = unit;
        emptyName.replace(emptyName.indexOf(QByteArray("\x00\x08\x06\x06UNIT", 8)), 8, record(0x06));
        row("structure with an empty name", library(emptyName), "The STRNAME record at byte %1 gives no name.",
            record(0x06));

        // Records out of place.
        row("element outside every structure", library(square + unit),
            "Record at byte %1 lies outside every structure.", record(0x08));
        row("element without ENDEL", library(top(record(0x08) + layer(1) + datatype(0) + points({0, 0, 9, 0, 9, 9}))),
            "The ENDSTR record at byte %1 is out of place.", record(0x07));
        QByteArray nested = unit;
        nested.insert(nested.indexOf(square), structure("INNER", QByteArray()));
        row("structure inside a structure", library(nested), "The BGNSTR record at byte %1 is out of place.",
            structure("INNER", QByteArray()));
        QByteArray noUnits = library(unit);
        noUnits.remove(noUnits.indexOf(QByteArray("\x00\x14\x03\x05", 4)), 20);
        row("no UNITS", noUnits, "It has no UNITS record: the size of its database unit is unknown.");
        row("not GDSII", QByteArray("hello, layout\n"), "It is not a GDSII file.");

        // Hierarchies that do not end, or end after too much work.
        row("structure placing itself", library(structure("TOP", square + reference("TOP", 0, 0))),
            "Structure \"TOP\" contains itself through its references.");
        row("array of an empty structure",
            library(top(array("EMPTY", 32767, 32767, 0, 0, 1, 1)) + structure("EMPTY", {})),
            "Structure \"TOP\" expands to more than 4e+06 shapes.");
        row("arrays of arrays of an empty structure",
            library(top(array("MID", 1000, 1000, 0, 0, 1, 1)) +
                    structure("MID", array("EMPTY", 1000, 1000, 0, 0, 1, 1)) + structure("EMPTY", {})),
            "Structure \"TOP\" expands to more than 4e+06 shapes.");
        // A chain S0 -> S1 -> ... -> S70, written from its top and from its bottom.
        QByteArray down;
        QByteArray up = structure("S70", square);
        for (int level = 0; level < 70; ++level) {
            const QByteArray link =
                structure("S" + QByteArray::number(level), reference("S" + QByteArray::number(level + 1), 0, 0));
            down += link;
            up.insert(0, link);
        }
        row("references 70 deep from the top", library(down + structure("S70", square)),
            "References nest more than 64 levels deep.");
        row("references 70 deep from the bottom", library(up), "References nest more than 64 levels deep.");
        QVector<int> manyPoints;
        for (int i = 0; i < 8000; ++i)
            manyPoints << i << (i % 2) * 10;
        manyPoints << 0 << 0;
        const QByteArray big =
            structure("BIG", record(0x08) + layer(1) + datatype(0) + points(manyPoints) + endElement());
        row("arrays of many points", library(top(array("BIG", 100, 70, 0, 0, 100000, 100000)) + big),
            "Structure \"TOP\" expands to more than 5e+07 outline points.");
        row("magnified beyond the coordinates",
            within(reference("UNIT", 0, 0, noStrans + record(0x1B, real8(1.0e6), 5))),
            "Structure \"TOP\" places a shape beyond the coordinates a GDSII file can hold (2147483647 database "
            "units from the origin).");
        row("no magnification", within(reference("UNIT", 0, 0, noStrans + record(0x1B, real8(0.0), 5))),
            "The SREF at byte %1 in structure \"TOP\" has a magnification of 0; it must be positive.", sref);
        row("negative magnification", within(reference("UNIT", 0, 0, noStrans + record(0x1B, real8(-2.0), 5))),
            "The SREF at byte %1 in structure \"TOP\" has a magnification of -2; it must be positive.", sref);
        row("structure defined twice", library(unit + unit), "The file defines structure \"UNIT\" twice.");
        // Control bytes of the file never reach a message.
        row("control bytes in a name", within(reference("\x1b[2J\x07", 0, 0)),
            "Structure \"TOP\" refers to a structure \"\\x1b[2J\\x07\" that the file does not define.");
    }
    void hostileFilesEndInAMessage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        GdsLayout layout;
        QVERIFY(layout.load(write(library(unit))));
        QVERIFY(!layout.load(write(bytes)));
        QCOMPARE(layout.errorString(), message);
        for (const QChar c : layout.errorString())
            QVERIFY2(c.unicode() >= 0x20 && c.unicode() != 0x7F, qPrintable(layout.errorString()));
        QVERIFY(layout.layers().isEmpty()); // the earlier layout is forgotten
        QVERIFY(!layout.wasStopped());
    }

    void shapesArePlacedAsWorkedOutByHand_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("datatype");
        QTest::addColumn<Picture>("expected");
        const Picture squarePicture =
            rows(".......... .......... .......... .......... ..###..... ..###..... ..###..... ..........");
        // A BOX is placed like a boundary; its BOXTYPE is the datatype.
        QTest::newRow("box") << library(top(record(0x2D) + layer(3) + record(0x2E, int16s({2}), 2) +
                                            points({2000, 1000, 5000, 1000, 5000, 4000, 2000, 4000, 2000, 1000}) +
                                            endElement()))
                             << 3 << 2 << squarePicture;
        // Path type 4: the line (1, 5) to (8, 5), 2 wide, starts 1 earlier and ends 1 earlier: x 0 to 7.
        QTest::newRow("path with its own extensions")
            << library(top(record(0x09) + layer(1) + datatype(0) + record(0x21, int16s({4}), 2) +
                           record(0x0F, int32s({2000}), 3) + record(0x30, int32s({1000}), 3) +
                           record(0x31, int32s({-1000}), 3) + points({1000, 5000, 8000, 5000}) + endElement()))
            << 1 << 0
            << rows(".......... .......... #######... #######... .......... .......... .......... ..........");
        // A 3 by 1 bar: reflected about x at (1, 6) it spans y 5 to 6; bit 8 of STRANS (in its second
        // byte) is not the reflection, so at (5, 1) it spans y 1 to 2.
        const QByteArray bar = structure("BAR", rectangle(1, 0, 0, 3000, 1000));
        QTest::newRow("reflection bit in the first byte of STRANS")
            << library(top(reference("BAR", 1000, 6000, record(0x1A, int16s({0x8000}), 1)) +
                           reference("BAR", 5000, 1000, record(0x1A, int16s({0x0080}), 1))) +
                       bar)
            << 1 << 0
            << rows(".......... .......... .###...... .......... .......... .......... .....###.. ..........");
        // A layout editor's notes place the others (and themselves): they are passed over.
        QTest::newRow("CONTEXT_INFO places nothing")
            << library(structure("CONTEXT_INFO", reference("UNIT", 3000, 3000) + reference("CONTEXT_INFO", 0, 0)) +
                       unit)
            << 1 << 0 << squarePicture;
    }
    void shapesArePlacedAsWorkedOutByHand()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, layer);
        QFETCH(int, datatype);
        QFETCH(Picture, expected);
        GdsLayout layout;
        QVERIFY2(layout.load(write(bytes)), qPrintable(layout.errorString()));
        QCOMPARE(layout.layers().size(), 1);
        LayoutPlacement placement;
        placement.layer = {layer, datatype};
        MaskBits mask;
        QString error;
        QVERIFY2(layoutMask(layout, placement, 10, 8, mask, &error), qPrintable(error));
        QCOMPARE(pictureOf(mask), expected);
    }

    void twoThousandLayersAreEachListedOnce()
    {
        QByteArray shapes;
        for (int l = 0; l < 2000; ++l)
            shapes += rectangle(l, 1000 * l, 0, 1000 * l + 500, 250, l % 3);
        GdsLayout layout;
        QVERIFY2(layout.load(write(library(top(shapes)))), qPrintable(layout.errorString()));
        const QVector<LayoutLayer> layers = layout.layers();
        QCOMPARE(layers.size(), 2000);
        for (int l = 0; l < 2000; ++l) {
            QCOMPARE(layers[l].layer, l);
            QCOMPARE(layers[l].datatype, l % 3);
            QCOMPARE(layout.shapeCount(layers[l]), 1);
            const QRectF box = layout.boundingBox(layers[l]);
            QVERIFY(qAbs(box.left() - l) < 1e-9 && qAbs(box.width() - 0.5) < 1e-9 && qAbs(box.height() - 0.25) < 1e-9);
        }
    }

    void readingEndsWhenStoppedOrOutOfTime()
    {
        const QString path = write(library(top(array("UNIT", 40, 40, 0, 0, 10000, 10000)) + unit));
        Util::RunControl control;
        control.requestStop();
        GdsLayout stopped;
        stopped.setRunControl(&control);
        QVERIFY(!stopped.load(path));
        QCOMPARE(stopped.errorString(), QStringLiteral("Reading the layout was stopped."));
        QVERIFY(stopped.wasStopped());
        GdsLayout late;
        late.setTimeLimit(0);
        QVERIFY(!late.load(path));
        QCOMPARE(late.errorString(), QStringLiteral("Reading the layout took longer than 0 s; it was given up."));
        QVERIFY(!late.wasStopped());
        // Without a limit the 1600 placed squares are all there, and the control followed them.
        Util::RunControl counting;
        GdsLayout whole;
        whole.setRunControl(&counting);
        QVERIFY(whole.load(path));
        QCOMPARE(whole.shapeCount({1, 0}), 1600);
        QCOMPARE(counting.total(), uint64_t(1600));
        QCOMPARE(counting.done(), uint64_t(1600));
    }
};

QTEST_GUILESS_MAIN(tst_GdsLayout)
#include "tst_gdslayout.moc"
