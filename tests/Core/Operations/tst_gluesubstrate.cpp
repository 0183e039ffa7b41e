#include "Core/Operations/gluelayout.h"
#include "Core/Operations/gluesubstrate.h"
#include "Core/Operations/gluesubstrateoperation.h"
#include "answeringscene.h"
#include "volumetesthelpers.h"

#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

/// A volume whose cells of material `state` fill the layers [low, end) of every column.
TotalVolumePtr layered(uint32_t nx, uint32_t ny, uint32_t nz, uint32_t low, uint32_t end, uint32_t state = 1)
{
    return makeVolume(nx, ny, nz, [=](uint32_t, uint32_t, uint32_t z) { return z >= low && z < end ? state : 0u; });
}

/// The glue operation (12) with a base and a top in the document.
struct GlueScene : AnsweringScene<GlueSubstrateOperation> {
    GlueScene(const TotalVolumePtr &b, const TotalVolumePtr &t)
        : AnsweringScene(12)
        , base(b)
        , top(t)
    {
        ws.document().addObject(base);
        ws.document().addObject(top);
    }
    /// Picks the base, starts the glue, picks the top and presses Enter.
    void glue()
    {
        ws.selection().toggle(base);
        start();
        enter(top);
    }
    TotalVolumePtr base;
    TotalVolumePtr top;
};

TotalVolumePtr onlyVolume(Core::Workspace &ws)
{
    const auto objects = ws.document().allObjects();
    return objects.size() == 1 ? std::dynamic_pointer_cast<TotalVolume>(objects.first()) : nullptr;
}

} // namespace

class tst_GlueSubstrate : public QObject {
    Q_OBJECT
private slots:
    // A 6 x 5 base and a 4 x 3 top, occupied in the layers [low, end): the top's range is found as it
    // is, the base's top is its end (at least 1: the scan starts from 0).
    void preparationFindsTheOccupiedLayers_data()
    {
        QTest::addColumn<uint32_t>("baseLow");
        QTest::addColumn<uint32_t>("baseEnd");
        QTest::addColumn<uint32_t>("topLow");
        QTest::addColumn<uint32_t>("topEnd");
        QTest::addColumn<uint32_t>("baseTop");
        QTest::addColumn<uint32_t>("stacked");
        QTest::newRow("base to 9, top 0 to 4") << 0u << 10u << 0u << 5u << 10u << 15u;
        QTest::newRow("top floating at 3 to 5") << 0u << 4u << 3u << 6u << 4u << 7u;
        QTest::newRow("base with a gap below") << 2u << 5u << 1u << 2u << 5u << 6u;
        QTest::newRow("empty base") << 0u << 0u << 0u << 3u << 1u << 4u;
        QTest::newRow("empty top") << 0u << 6u << 0u << 0u << 6u << 6u;
    }
    void preparationFindsTheOccupiedLayers()
    {
        QFETCH(uint32_t, baseLow);
        QFETCH(uint32_t, baseEnd);
        QFETCH(uint32_t, topLow);
        QFETCH(uint32_t, topEnd);
        QFETCH(uint32_t, baseTop);
        QFETCH(uint32_t, stacked);
        const GlueLayout l =
            GlueLayout::prepare(*layered(6, 5, 12, baseLow, baseEnd), *layered(4, 3, 8, topLow, topEnd));
        QCOMPARE(l.baseTop, baseTop);
        QCOMPARE(l.topLowest, topLow);
        QCOMPARE(l.topEnd, topEnd);
        QCOMPARE(l.stackedHeight, stacked);
        QCOMPARE(l.finalZ, stacked + 1);
        QCOMPARE(l.wideX, 6u);
        QCOMPARE(l.wideY, 5u);
        QCOMPARE(l.roomX, 2u);
        QCOMPARE(l.roomY, 2u);
    }

    // The result lies where the base lay, with the larger cell size along each axis and the wider footprint.
    void resultTakesTheBasePositionTheLargerCellsAndTheWiderFootprint()
    {
        auto base = std::make_shared<TotalVolume>(3, 7, 4, 1.0f, 2.0f, 0.5f, Util::Vector3D(3, -4, 5), 1u);
        auto top = std::make_shared<TotalVolume>(5, 2, 4, 1.5f, 1.0f, 0.25f, Util::Vector3D(40, 40, 40), 2u);
        GlueScene f(base, top);
        f.glue();
        const GlueLayout &l = f.operation->layout();
        QCOMPARE(l.roomX, 0u);
        QCOMPARE(l.roomY, 5u);
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        QCOMPARE(result->position(), Util::Vector3D(3, -4, 5));
        QCOMPARE(result->cellSizeX(), 1.5f);
        QCOMPARE(result->cellSizeY(), 2.0f);
        QCOMPARE(result->cellSizeZ(), 0.5f);
        QCOMPARE(result->sizeX(), 5u);
        QCOMPARE(result->sizeY(), 7u);
    }

    void rejectedDialogGluesWithTheDefaults()
    {
        // Base top 10, top 0..4: stacked 15, and the default height is one more.
        GlueScene f(layered(6, 5, 12, 0, 10), layered(4, 3, 8, 0, 5, 2));
        f.glue();
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        QCOMPARE(result->sizeX(), 6u);
        QCOMPARE(result->sizeY(), 5u);
        QCOMPARE(result->sizeZ(), 16u);
        QCOMPARE(f.operation->step(), 3u);
        QCOMPARE(f.ws.undoRedo().undoName(), QStringLiteral("Glue Volumes"));
        QCOMPARE(f.log->lines.mid(f.log->lines.size() - 2),
                 (QStringList{"Glue Volumes: top cell volume selected.", "Glue Volumes: volumes glued."}));
        QVERIFY(!f.ws.selection().isSelectionMode());
    }

    void sameFootprintStacksWithoutShift()
    {
        // Base: material 1 in z 0..1. Top: material 2 in z 1..2 (its lowest occupied layer is 1).
        GlueScene f(layered(4, 4, 6, 0, 2, 1), layered(4, 4, 5, 1, 3, 2));
        f.answer = [](GlueSubstrateOperation &op) {
            QCOMPARE(op.roomX(), 0u);
            QCOMPARE(op.roomY(), 0u);
            op.setShift(3, 3); // no room: stays at 0
            op.setFinalSize(4, 4, op.stackedHeight());
        };
        f.glue();
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        QCOMPARE(f.operation->layout().shiftX, 0u);
        QCOMPARE(result->sizeZ(), 4u);
        const std::vector<uint32_t> column = {1, 1, 2, 2};
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t y = 0; y < 4; ++y)
                for (uint32_t z = 0; z < 4; ++z)
                    QCOMPARE(stateAt(*result, x, y, z), column[z]);
    }

    void smallerTopShiftedByTheRoom()
    {
        // A 2 x 2 x 2 top of distinct states on a full 6 x 5 x 3 base, shifted by the whole room (4, 3).
        auto top = makeVolume(2, 2, 2, [](uint32_t x, uint32_t y, uint32_t z) { return 10 + 4 * x + 2 * y + z; });
        GlueScene f(layered(6, 5, 3, 0, 3, 1), top);
        f.answer = [](GlueSubstrateOperation &op) {
            op.setShift(op.roomX(), op.roomY());
            op.setFinalSize(op.wideX(), op.wideY(), op.stackedHeight());
        };
        f.glue();
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        QCOMPARE(result->sizeZ(), 5u);
        for (uint32_t x = 0; x < 6; ++x) {
            for (uint32_t y = 0; y < 5; ++y) {
                for (uint32_t z = 0; z < 3; ++z)
                    QCOMPARE(stateAt(*result, x, y, z), 1u);
                for (uint32_t z = 3; z < 5; ++z) {
                    const bool underTop = x >= 4 && y >= 3;
                    const uint32_t expected = underTop ? 10 + 4 * (x - 4) + 2 * (y - 3) + (z - 3) : 0u;
                    QCOMPARE(stateAt(*result, x, y, z), expected);
                }
            }
        }
    }

    void invertPutsTheHighestLayerOnTheBase()
    {
        // Top layers 5, 6, 7 from z = 0 up; a mark 8 in the highest layer at x = 0 shows the turn in x.
        auto top = makeVolume(3, 2, 4, [](uint32_t x, uint32_t, uint32_t z) {
            if (z == 2 && x == 0)
                return 8u;
            return z < 3 ? 5 + z : 0u;
        });
        GlueScene f(layered(3, 2, 2, 0, 1, 1), top);
        f.answer = [](GlueSubstrateOperation &op) { op.setInvert(true); };
        f.glue();
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        QCOMPARE(result->sizeZ(), 5u); // 1 + 3, plus the default spare layer
        for (uint32_t y = 0; y < 2; ++y) {
            for (uint32_t x = 0; x < 3; ++x) {
                QCOMPARE(stateAt(*result, x, y, 0), 1u);
                // Turned about y: the top's x = 0 lies at x = 2, its highest layer on the base top.
                QCOMPARE(stateAt(*result, x, y, 1), x == 2 ? 8u : 7u);
                QCOMPARE(stateAt(*result, x, y, 2), 6u);
                QCOMPARE(stateAt(*result, x, y, 3), 5u);
                QCOMPARE(stateAt(*result, x, y, 4), 0u);
            }
        }
    }

    void consolePromptsForBaseThenTopAndRefusesTheSameVolumeTwice()
    {
        GlueScene f(layered(2, 2, 2, 0, 1), layered(2, 2, 2, 0, 1, 2));
        f.start();
        QCOMPARE(f.log->lines, QStringList{"Glue Volumes: select the base cell volume and press Enter/Return."});
        QVERIFY(f.ws.selection().isSelectionMode());
        QCOMPARE(f.ws.console().requester(), f.ws.currentOperation());
        f.log->lines.clear();
        f.enter(f.base);
        const QString askTop = QStringLiteral("Glue Volumes: select the top cell volume and press Enter/Return.");
        QCOMPARE(
            f.log->lines,
            (QStringList{"Glue Volumes: base cell volume selected. Select top cell volume and press enter", askTop}));
        QCOMPARE(f.operation->step(), 1u);
        QVERIFY(f.ws.selection().selected().isEmpty());
        QVERIFY(f.ws.selection().isSelectionMode());
        f.log->lines.clear();
        f.enter(f.base);
        QCOMPARE(f.log->lines, QStringList{askTop});
        QCOMPARE(f.operation->step(), 1u);
        QCOMPARE(f.ws.console().requester(), f.ws.currentOperation());
        // Cancelled while waiting, it writes nothing.
        f.log->lines.clear();
        f.ws.cancelCurrentOperation();
        QVERIFY(f.log->lines.isEmpty());
        QVERIFY(!f.ws.currentOperation());
        QVERIFY(!f.ws.console().requester());
        QCOMPARE(f.ws.document().allObjects().size(), 2);
    }

    void undoAndRedoRestoreTheExactDocument()
    {
        auto base = makeVolume(5, 4, 6, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 1, 3); });
        auto top = makeVolume(3, 4, 5, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 2, 3); });
        const auto baseStates = cellStates(*base);
        const auto topStates = cellStates(*top);
        GlueScene f(base, top);
        const auto before = f.ws.document().allObjects();
        f.glue();
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        const auto resultStates = cellStates(*result);

        QVERIFY(f.ws.undoRedo().undo());
        QCOMPARE(f.ws.document().allObjects(), before);
        QCOMPARE(cellStates(*base), baseStates);
        QCOMPARE(cellStates(*top), topStates);
        QCOMPARE(f.ws.undoRedo().redoName(), QStringLiteral("Glue Volumes"));

        QVERIFY(f.ws.undoRedo().redo());
        QCOMPARE(f.ws.document().allObjects(), QList<Model::ObjectPtr>{result});
        QCOMPARE(cellStates(*result), resultStates);

        QVERIFY(f.ws.undoRedo().undo());
        QCOMPARE(f.ws.document().allObjects(), before);
    }

    void resultDoesNotDependOnTheThreadCount_data()
    {
        QTest::addColumn<bool>("invert");
        QTest::newRow("upright") << false;
        QTest::newRow("inverted") << true;
    }
    void resultDoesNotDependOnTheThreadCount()
    {
        QFETCH(bool, invert);
        auto base =
            makeVolume(17, 5, 6, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 3, 4); });
        auto top = makeVolume(13, 4, 7, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 4, 4); });
        auto glueWith = [&](int threads, uint32_t &workers) {
            PoolThreads pool(threads);
            GlueLayout l = GlueLayout::prepare(*base, *top);
            l.setShift(3, 1);
            l.invert = invert;
            GlueSubstrate engine(*base, *top, l);
            auto result = engine.run();
            workers = engine.workerCount();
            return cellStates(*result);
        };
        uint32_t workers = 0;
        const auto single = glueWith(1, workers);
        QCOMPARE(workers, 1u);
        QCOMPARE(glueWith(4, workers), single);
        QCOMPARE(workers, 4u); // 17 / 4 and 13 / 4 columns are at least two per task
        QCOMPARE(glueWith(3, workers), single);
        QCOMPARE(workers, 3u);
        // 13 / 7 is less than two columns per task: one pass in the calling thread.
        QCOMPARE(glueWith(7, workers), single);
        QCOMPARE(workers, 1u);
    }

    void engineRefusesLayoutsThatDoNotFit_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<uint32_t>("value");
        // Set directly, past the setters' clamping: each would write outside the result.
        QTest::newRow("shift x beyond the room") << 0 << 3u;
        QTest::newRow("shift y beyond the result") << 1 << 100u;
        QTest::newRow("lower than the stacked height") << 2 << 4u;
        QTest::newRow("narrower than the base") << 3 << 5u;
    }
    void engineRefusesLayoutsThatDoNotFit()
    {
        QFETCH(int, field);
        QFETCH(uint32_t, value);
        auto base = layered(6, 4, 3, 0, 3);
        auto top = layered(4, 4, 3, 0, 2, 2);
        GlueLayout l = GlueLayout::prepare(*base, *top);
        QCOMPARE(l.roomX, 2u);
        QCOMPARE(l.stackedHeight, 5u);
        uint32_t *fields[] = {&l.shiftX, &l.shiftY, &l.finalZ, &l.finalX};
        *fields[field] = value;
        QVERIFY_EXCEPTION_THROWN(GlueSubstrate(*base, *top, l).run(), std::invalid_argument);
        // The same volume as base and top would lock its cells twice.
        GlueLayout same = GlueLayout::prepare(*base, *base);
        QVERIFY_EXCEPTION_THROWN(GlueSubstrate(*base, *base, same).run(), std::invalid_argument);
    }

    void emptyTopLeavesTheBaseAlone()
    {
        auto base = makeVolume(4, 3, 5, [](uint32_t x, uint32_t, uint32_t z) { return z < 2 + x % 2 ? 1u : 0u; });
        GlueScene f(base, layered(4, 3, 5, 0, 0));
        f.answer = [](GlueSubstrateOperation &op) {
            // The base reaches z = 2 in its odd columns; the empty top adds nothing.
            QCOMPARE(op.stackedHeight(), 3u);
            op.setFinalSize(op.wideX(), op.wideY(), op.stackedHeight());
        };
        f.glue();
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        QVERIFY(f.log->lines.contains(QStringLiteral(
            "Glue Volumes: the top cell volume holds no occupied cell; the result holds the base alone.")));
        QCOMPARE(result->sizeZ(), 3u);
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t z = 0; z < 3; ++z)
                    QCOMPARE(stateAt(*result, x, y, z), stateAt(*base, x, y, z));
    }

    void resultTooLargeIsRefusedAndTheDocumentStays()
    {
        GlueScene f(layered(4, 4, 4, 0, 2), layered(4, 4, 4, 0, 2, 2));
        f.answer = [](GlueSubstrateOperation &op) { op.setFinalSize(4, 4, 4000000000u); };
        const auto before = f.ws.document().allObjects();
        f.glue();
        QCOMPARE(f.ws.document().allObjects(), before);
        QVERIFY(!f.ws.undoRedo().canUndo());
        QVERIFY(!f.ws.currentOperation());
        QVERIFY(!f.operation->result());
        QVERIFY2(f.log->lines.last().startsWith(
                     QStringLiteral("Glue Volumes: Cannot create a cell volume of 4 x 4 x 4000000000 cells:")),
                 qPrintable(f.log->lines.last()));
    }
};

QTEST_MAIN(tst_GlueSubstrate)
#include "tst_gluesubstrate.moc"
