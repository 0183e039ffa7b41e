#include "Core/Operations/snapshotrecord.h"
#include "Model/Automaton/voxel.h"

#include <QtTest>

using Core::Operations::SnapshotRecord;
using Runs = SnapshotRecord::Runs;

Q_DECLARE_METATYPE(Runs)

namespace {

/// States that differ from cell to cell and reach the top of the range.
uint32_t stateOf(uint64_t index)
{
    return index % 7 == 3 ? 0xFFFFFFFFu : static_cast<uint32_t>(index * 2654435761u % 5000);
}

QByteArray encode(uint64_t cellCount, const Runs &runs, const QString &key = QStringLiteral("Key"), uint64_t number = 9)
{
    return SnapshotRecord::encode(key, number, cellCount, runs, [](uint64_t first, uint64_t length, uint32_t *out) {
        for (uint64_t i = 0; i < length; ++i)
            out[i] = stateOf(first + i);
    });
}

QByteArray fixed(uint64_t value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

/// A one-block record around a hand-made raw block, to feed the reader what the writer never makes.
QByteArray handMade(uint64_t cellCount, uint64_t changed, const QByteArray &raw)
{
    const QByteArray packed = qCompress(raw);
    return QByteArray("CFSR\x01", 5) + fixed(1, 2) + "K" + fixed(9, 8) + fixed(cellCount, 8) + fixed(changed, 8) +
           fixed(1, 4) + fixed(static_cast<uint64_t>(raw.size()), 4) + fixed(static_cast<uint64_t>(packed.size()), 4) +
           packed;
}

} // namespace

class tst_SnapshotRecord : public QObject {
    Q_OBJECT
private slots:
    void layoutWorkedByHand()
    {
        // Cells 2, 3, 4 and 9 of 12, with the states 20, 21, 22 and 300.
        const std::vector<uint32_t> states{20, 21, 22, 300};
        const QByteArray record = SnapshotRecord::encode(
            QStringLiteral("K"), 5, 12, {{2, 3}, {9, 1}}, [&](uint64_t first, uint64_t length, uint32_t *out) {
                const uint64_t at = first == 9 ? 3 : first - 2;
                std::copy_n(states.begin() + static_cast<long>(at), length, out);
            });
        const QByteArray header =
            QByteArray("CFSR\x01", 5) + fixed(1, 2) + "K" + fixed(5, 8) + fixed(12, 8) + fixed(4, 8) + fixed(1, 4);
        QCOMPARE(record.left(header.size()), header);
        // Two runs: gap 2 and length 3, then gap 9 - 5 = 4 and length 1; then the states as
        // varints (300 = 0xAC 0x02).
        const QByteArray raw("\x02\x02\x03\x04\x01\x14\x15\x16\xAC\x02", 10);
        QCOMPARE(record.mid(header.size(), 4), fixed(10, 4));
        const QByteArray packed = record.mid(header.size() + 8);
        QCOMPARE(record.mid(header.size() + 4, 4), fixed(static_cast<uint64_t>(packed.size()), 4));
        QCOMPARE(qUncompress(packed), raw);

        SnapshotRecord decoded;
        QString error;
        QVERIFY2(decoded.decode(record, &error), qPrintable(error));
        QCOMPARE(decoded.key, QStringLiteral("K"));
        QCOMPARE(decoded.number, uint64_t(5));
        QCOMPARE(decoded.cellCount, uint64_t(12));
        QCOMPARE(decoded.runs, (Runs{{2, 3}, {9, 1}}));
        QCOMPARE(decoded.states, states);
    }

    void roundTrip_data()
    {
        QTest::addColumn<qulonglong>("cellCount");
        QTest::addColumn<Runs>("runs");
        const uint64_t block = SnapshotRecord::blockCells;
        Runs scattered;
        for (uint64_t i = 5; i < 40000; i += 37)
            scattered.push_back({i, 1 + i % 3});
        Runs manyRuns;
        for (uint64_t i = 0; i < block + 100; ++i)
            manyRuns.push_back({2 * i + 1, 1});
        QTest::newRow("nothing changed") << qulonglong(12) << Runs{};
        QTest::newRow("first cell") << qulonglong(12) << Runs{{0, 1}};
        QTest::newRow("last cell") << qulonglong(12) << Runs{{11, 1}};
        QTest::newRow("every cell") << qulonglong(12) << Runs{{0, 12}};
        QTest::newRow("scattered") << qulonglong(40000) << scattered;
        QTest::newRow("run across a block boundary") << qulonglong(3 * block) << Runs{{5, block + 10}};
        QTest::newRow("more runs than a block holds") << qulonglong(2 * block + 300) << manyRuns;
    }

    void roundTrip()
    {
        QFETCH(qulonglong, cellCount);
        QFETCH(Runs, runs);
        const QByteArray record = encode(cellCount, runs);
        SnapshotRecord decoded;
        QString error;
        QVERIFY2(decoded.decode(record, &error), qPrintable(error));
        QCOMPARE(decoded.cellCount, uint64_t(cellCount));
        QCOMPARE(decoded.runs, runs);
        std::vector<uint32_t> expected;
        for (const auto &run : runs)
            for (uint64_t i = run.first; i < run.first + run.length; ++i)
                expected.push_back(stateOf(i));
        QCOMPARE(decoded.states, expected);
    }

    void applyChangesOnlyTheListedCells()
    {
        SnapshotRecord record;
        record.cellCount = 6;
        record.runs = {{1, 2}, {5, 1}};
        record.states = {10, 11, 12};
        std::vector<Model::Automaton::Voxel> cells(6, Model::Automaton::Voxel(3));
        record.apply(cells.data());
        std::vector<uint32_t> result;
        for (const auto &cell : cells)
            result.push_back(cell.state());
        QCOMPARE(result, (std::vector<uint32_t>{3, 10, 11, 3, 3, 12}));
    }

    void everyShortenedRecordIsRefused()
    {
        const QByteArray record = encode(500, {{3, 4}, {100, 50}, {499, 1}});
        for (int length = 0; length < record.size(); ++length) {
            SnapshotRecord decoded;
            QString error;
            QVERIFY2(!decoded.decode(record.left(length), &error), qPrintable(QString::number(length)));
            QVERIFY(!error.isEmpty());
        }
    }

    void everyChangedBlockByteIsRefused()
    {
        const QByteArray record = encode(500, {{3, 4}, {100, 50}, {499, 1}});
        const int headerSize = 4 + 1 + 2 + 3 + 8 + 8 + 8 + 4;
        for (int at = headerSize; at < record.size(); ++at) {
            QByteArray damaged = record;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x21);
            SnapshotRecord decoded;
            QVERIFY2(!decoded.decode(damaged, nullptr), qPrintable(QString::number(at)));
        }
    }

    void inconsistentRecordsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("reason");
        // Raw blocks: run count, (gap, length) per run, then the states.
        QTest::newRow("run past the last cell")
            << handMade(10, 2, QByteArray("\x01\x09\x02\x05\x05", 5)) << "names cells outside the volume";
        QTest::newRow("run of no cells") << handMade(10, 1, QByteArray("\x01\x02\x00\x05", 4)) << "block 1 is damaged";
        QTest::newRow("fewer cells than the header says")
            << handMade(10, 3, QByteArray("\x01\x02\x02\x05\x05", 5)) << "does not match its header";
        QTest::newRow("more changed cells than the volume has")
            << handMade(1, 2, QByteArray("\x01\x00\x02\x05\x05", 5)) << "header is inconsistent";
        QTest::newRow("state wider than 32 bits")
            << handMade(10, 1, QByteArray("\x01\x00\x01\xFF\xFF\xFF\xFF\x7F", 8)) << "block 1 is damaged";
        QTest::newRow("bytes left over in the block")
            << handMade(10, 1, QByteArray("\x01\x00\x01\x05\x05", 5)) << "block 1 is damaged";
        QTest::newRow("bytes after the record") << encode(10, {{1, 1}}) + "x"
                                                << "does not match its header";
        QTest::newRow("not a record") << QByteArray("Key 5 1 2 3\n") << "does not start like a cell record";
    }

    void inconsistentRecordsAreRefused()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, reason);
        SnapshotRecord decoded;
        QString error;
        QVERIFY(!decoded.decode(record, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(tst_SnapshotRecord)
#include "tst_snapshotrecord.moc"
