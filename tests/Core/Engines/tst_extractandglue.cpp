#include "Core/Engines/Volume/filmextractionengine.h"
#include "Core/Engines/Volume/gluelayout.h"
#include "Core/Engines/Volume/gluesubstrate.h"
#include "Core/Operations/Objects/filmextractionoperation.h"
#include "Core/Operations/Objects/gluesubstrateoperation.h"
#include "Model/Materials/materialfactory.h"
#include "answeringscene.h"
#include "enginetesthelpers.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <set>
#include <tuple>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

using Cell = std::tuple<uint32_t, uint32_t, uint32_t>;

/// A volume holding `state` exactly at the listed cells.
TotalVolumePtr cellsAt(uint32_t nx, uint32_t ny, uint32_t nz, const std::set<Cell> &cells, uint32_t state = 2)
{
    return makeVolume(nx, ny, nz, [&](uint32_t x, uint32_t y, uint32_t z) {
        return cells.count(Cell{x, y, z}) ? state : 0u;
    });
}

/// The cells of a volume whose state is not 0.
std::set<Cell> occupied(TotalVolume &volume)
{
    std::set<Cell> result;
    for (uint32_t x = 0; x < volume.sizeX(); ++x)
        for (uint32_t y = 0; y < volume.sizeY(); ++y)
            for (uint32_t z = 0; z < volume.sizeZ(); ++z)
                if (stateAt(volume, x, y, z) != 0)
                    result.insert(Cell{x, y, z});
    return result;
}

/// The extraction (8) with one source volume in the document.
struct ExtractScene : AnsweringScene<FilmExtractionOperation> {
    explicit ExtractScene(const TotalVolumePtr &volume)
        : AnsweringScene(8)
        , source(volume)
    {
        ws.document().addObject(source);
    }
    void extract(uint32_t material)
    {
        answer = [material](FilmExtractionOperation &op) { op.setMaterial(material); };
        ws.selection().toggle(source);
        start();
    }
    TotalVolumePtr source;
};

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
    /// Picks the base and starts the glue: the other volume is the top.
    void glue()
    {
        ws.selection().toggle(base);
        start();
    }
    TotalVolumePtr base;
    TotalVolumePtr top;
};

TotalVolumePtr onlyVolume(Core::Workspace &ws)
{
    const auto objects = ws.document().allObjects();
    return objects.size() == 1 ? std::dynamic_pointer_cast<TotalVolume>(objects.first()) : nullptr;
}

/// A glue worked by hand: base, top, the dialog's answers, and the result's height and cells.
struct Glued {
    TotalVolumePtr base;
    TotalVolumePtr top;
    std::function<void(GlueSubstrateOperation &)> answer;
    uint32_t nz;
    EngineTest::Shape expected;
    QString said = QString(); // a console line the glue must write
};

} // namespace

Q_DECLARE_METATYPE(Glued)

/// Operations that make a new volume from others: film extraction and gluing.
class tst_ExtractAndGlue : public QObject {
    Q_OBJECT
private slots:
    // A 6 x 5 base and a 4 x 3 top, occupied in the layers [low, end): the top's range is found as it
    // is, the base's top is its end (at least 1: the scan starts from 0).
    void preparationFindsTheOccupiedLayers_data()
    {
        QTest::addColumn<QVector<uint32_t>>("layers"); // base low, end; top low, end; base top, stacked height
        QTest::newRow("base to 9, top 0 to 4") << QVector<uint32_t>{0, 10, 0, 5, 10, 15};
        QTest::newRow("top floating at 3 to 5") << QVector<uint32_t>{0, 4, 3, 6, 4, 7};
        QTest::newRow("base with a gap below") << QVector<uint32_t>{2, 5, 1, 2, 5, 6};
        QTest::newRow("empty base") << QVector<uint32_t>{0, 0, 0, 3, 1, 4};
        QTest::newRow("empty top") << QVector<uint32_t>{0, 6, 0, 0, 6, 6};
    }
    void preparationFindsTheOccupiedLayers()
    {
        QFETCH(QVector<uint32_t>, layers);
        const GlueLayout l =
            GlueLayout::prepare(*layered(6, 5, 12, layers[0], layers[1]), *layered(4, 3, 8, layers[2], layers[3]));
        const QVector<uint32_t> found{l.baseTop, l.topLowest, l.topEnd, l.stackedHeight, l.finalZ,
                                      l.wideX,   l.wideY,     l.roomX,  l.roomY};
        QCOMPARE(found, (QVector<uint32_t>{layers[4], layers[2], layers[3], layers[5], layers[5] + 1, 6, 5, 2, 2}));
    }

    // The result lies where the base lay, with the larger cell size along each axis and the wider footprint.
    void resultTakesTheBasePositionTheLargerCellsAndTheWiderFootprint()
    {
        auto base = std::make_shared<TotalVolume>(3, 7, 4, 1.0f, 2.0f, 0.5f, Util::Vector3D(3, -4, 5), 1u);
        auto top = std::make_shared<TotalVolume>(5, 2, 4, 1.5f, 1.0f, 0.25f, Util::Vector3D(40, 40, 40), 2u);
        GlueScene f(base, top);
        f.glue();
        const GlueLayout &l = f.operation->layout();
        QCOMPARE(std::make_pair(l.roomX, l.roomY), std::make_pair(0u, 5u));
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        QCOMPARE(result->position(), Util::Vector3D(3, -4, 5));
        QCOMPARE(Util::Vector3D(result->cellSizeX(), result->cellSizeY(), result->cellSizeZ()),
                 Util::Vector3D(1.5, 2, 0.5));
        QCOMPARE(Util::Vector3D(result->sizeX(), result->sizeY(), 0), Util::Vector3D(5, 7, 0));
    }

    void gluedCellsWorkedByHand_data()
    {
        QTest::addColumn<Glued>("glued");
        // Top in z 1..2 on a base in z 0..1: lowered onto it; with no room the shift stays 0.
        QTest::newRow("same footprint") << Glued{layered(4, 4, 6, 0, 2, 1), layered(4, 4, 5, 1, 3, 2),
                                                 [](GlueSubstrateOperation &op) {
                                                     op.setShift(3, 3);
                                                     op.setFinalSize(4, 4, op.stackedHeight());
                                                 },
                                                 4, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : 2u; }};
        // A 2 x 2 x 2 top of distinct states on a full 6 x 5 x 3 base, shifted by the whole room (4, 3).
        QTest::newRow("smaller top shifted by the room")
            << Glued{layered(6, 5, 3, 0, 3, 1),
                     makeVolume(2, 2, 2, [](uint32_t x, uint32_t y, uint32_t z) { return 10 + 4 * x + 2 * y + z; }),
                     [](GlueSubstrateOperation &op) {
                         op.setShift(op.roomX(), op.roomY());
                         op.setFinalSize(op.wideX(), op.wideY(), op.stackedHeight());
                     },
                     5,
                     [](uint32_t x, uint32_t y, uint32_t z) {
                         if (z < 3)
                             return 1u;
                         return x >= 4 && y >= 3 ? 10 + 4 * (x - 4) + 2 * (y - 3) + (z - 3) : 0u;
                     }};
        // Top layers 5, 6, 7 with a mark 8 at x = 0 in the highest: turned about y it lies at x = 2,
        // the highest layer on the base; 1 + 3 layers and the default spare one.
        QTest::newRow("inverted") << Glued{layered(3, 2, 2, 0, 1, 1),
                                           makeVolume(3, 2, 4,
                                                      [](uint32_t x, uint32_t, uint32_t z) {
                                                          return z == 2 && x == 0 ? 8u : z < 3 ? 5 + z : 0u;
                                                      }),
                                           [](GlueSubstrateOperation &op) { op.setInvert(true); }, 5,
                                           [](uint32_t x, uint32_t, uint32_t z) {
                                               const uint32_t column[5] = {1, x == 2 ? 8u : 7u, 6, 5, 0};
                                               return column[z];
                                           }};
        // The base reaches z = 2 in its odd columns; the empty top adds nothing.
        const EngineTest::Shape uneven = [](uint32_t x, uint32_t, uint32_t z) { return z < 2 + x % 2 ? 1u : 0u; };
        QTest::newRow("empty top") << Glued{
            makeVolume(4, 3, 5, uneven),
            layered(4, 3, 5, 0, 0),
            [](GlueSubstrateOperation &op) { op.setFinalSize(op.wideX(), op.wideY(), op.stackedHeight()); },
            3,
            uneven,
            "Glue Volumes: the top cell volume holds no occupied cell; the result holds the base alone."};
    }
    void gluedCellsWorkedByHand()
    {
        QFETCH(Glued, glued);
        GlueScene f(glued.base, glued.top);
        f.answer = glued.answer;
        f.glue();
        auto result = onlyVolume(f.ws);
        QVERIFY(result);
        QCOMPARE(Util::Vector3D(result->sizeX(), result->sizeY(), result->sizeZ()),
                 Util::Vector3D(glued.base->sizeX(), glued.base->sizeY(), glued.nz));
        const QString mismatch = EngineTest::firstMismatch(*result, glued.expected);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        QVERIFY(glued.said.isEmpty() || f.log->lines.contains(glued.said));
    }

    void consolePromptsForBaseThenTopAndRefusesTheSameVolumeTwice()
    {
        // With three volumes the top is not obvious.
        GlueScene f(layered(2, 2, 2, 0, 1), layered(2, 2, 2, 0, 1, 2));
        f.ws.document().addObject(layered(2, 2, 2, 0, 1, 3));
        f.start();
        QCOMPARE(f.ws.console().requester(), f.ws.currentOperation());
        f.enter(f.base);
        QVERIFY(f.ws.selection().selected().isEmpty());
        f.enter(f.base);
        const QString askTop = QStringLiteral("Glue Volumes: select the top cell volume and press Enter/Return.");
        QCOMPARE(f.log->lines, (QStringList{"Glue Volumes: select the base cell volume and press Enter/Return.",
                                            "Glue Volumes: base cell volume selected. Select top cell volume and "
                                            "press enter",
                                            askTop, askTop}));
        QCOMPARE(f.operation->step(), 1u);
        QVERIFY(f.ws.selection().isSelectionMode());
        // Cancelled while waiting, it writes nothing.
        f.ws.cancelCurrentOperation();
        QCOMPARE(f.log->lines.size(), 4);
        QVERIFY(!f.ws.currentOperation() && !f.ws.console().requester());
        QCOMPARE(f.ws.document().allObjects().size(), 3);
    }

    void withTwoVolumesThePickedOneIsTheBaseAndWithOneNothingWaits()
    {
        GlueScene f(layered(2, 2, 2, 0, 1), layered(2, 2, 2, 0, 1, 2));
        f.answer = [](GlueSubstrateOperation &) {};
        f.ws.selection().toggle(f.top);
        f.start();
        QCOMPARE(f.operation->base(), f.top);
        QCOMPARE(f.operation->top(), f.base);
        QCOMPARE(f.last(), QStringLiteral("Glue Volumes: volumes glued."));
        QVERIFY(!f.ws.console().requester());

        // One volume cannot be glued: said at once, instead of a wait for a second one.
        GlueScene one(layered(2, 2, 2, 0, 1), layered(2, 2, 2, 0, 1, 2));
        one.ws.document().removeObject(one.top);
        one.start();
        QCOMPARE(one.log->lines, QStringList{"Glue Volumes: gluing takes two cell volumes; the document holds 1."});
        QVERIFY(!one.ws.currentOperation() && !one.ws.console().requester());
        QVERIFY(!one.ws.selection().isSelectionMode());
    }

    void resultDoesNotDependOnTheThreadCount()
    {
        auto base =
            makeVolume(17, 5, 6, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 3, 4); });
        auto top = makeVolume(13, 4, 7, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 4, 4); });
        auto glueWith = [&](int threads, uint32_t &workers) {
            PoolThreads pool(threads);
            GlueLayout l = GlueLayout::prepare(*base, *top);
            l.setShift(3, 1);
            l.invert = true;
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
        GlueLayout l = GlueLayout::prepare(*base, *top); // room 2 along x, stacked height 5
        uint32_t *fields[] = {&l.shiftX, &l.shiftY, &l.finalZ, &l.finalX};
        *fields[field] = value;
        QVERIFY_EXCEPTION_THROWN(GlueSubstrate(*base, *top, l).run(), std::invalid_argument);
        // The same volume as base and top would lock its cells twice.
        GlueLayout same = GlueLayout::prepare(*base, *base);
        QVERIFY_EXCEPTION_THROWN(GlueSubstrate(*base, *base, same).run(), std::invalid_argument);
    }

    void resultTooLargeIsRefusedAndTheDocumentStays()
    {
        GlueScene f(layered(4, 4, 4, 0, 2), layered(4, 4, 4, 0, 2, 2));
        f.answer = [](GlueSubstrateOperation &op) { op.setFinalSize(4, 4, 4000000000u); };
        const auto before = f.ws.document().allObjects();
        f.glue();
        QCOMPARE(f.ws.document().allObjects(), before);
        QVERIFY(!f.ws.undoRedo().canUndo() && !f.ws.currentOperation() && !f.operation->result());
        QVERIFY2(f.log->lines.last().startsWith(
                     QStringLiteral("Glue Volumes: Cannot create a cell volume of 4 x 4 x 4000000000 cells:")),
                 qPrintable(f.log->lines.last()));
    }

    void onlyTheFirstBodyInScanOrderIsExtracted()
    {
        // Body A (x = 1) comes first in x, y, z order although it lies higher than body B (x = 3).
        const std::set<Cell> both = {Cell{1, 0, 2}, Cell{1, 1, 2}, Cell{1, 1, 3}, Cell{3, 2, 0}, Cell{3, 2, 1}};
        auto source = cellsAt(5, 4, 4, both);
        FilmExtractionEngine engine(*source, 2, false);
        auto film = engine.run();
        QVERIFY(film);
        QCOMPARE(engine.filmCellCount(), size_t(3));
        // Lowered by its lowest layer, 2; the source keeps both bodies.
        QCOMPARE(occupied(*film), (std::set<Cell>{Cell{1, 0, 0}, Cell{1, 1, 0}, Cell{1, 1, 1}}));
        QCOMPARE(stateAt(*film, 1, 1, 1), 2u);
        QCOMPARE(occupied(*source), both);
        // A seed in the very last cell is found: the scan reaches the end of the array.
        auto last = FilmExtractionEngine(*cellsAt(3, 3, 3, {Cell{2, 2, 2}}, 5), 5, false).run();
        QVERIFY(last);
        QCOMPARE(occupied(*last), std::set<Cell>{Cell(2, 2, 0)});
    }

    // A second cell beside (0, 0, 0) joins its body only across a face, not along an edge or at a corner.
    void onlyFaceContactJoinsCells()
    {
        for (uint32_t n = 1; n < 8; ++n) {
            const uint32_t x = n & 1;
            const uint32_t y = (n >> 1) & 1;
            const uint32_t z = n >> 2;
            const size_t bodySize = x + y + z == 1 ? 2 : 1;
            auto source = cellsAt(2, 2, 2, {Cell{0, 0, 0}, Cell{x, y, z}}, 4);
            FilmExtractionEngine engine(*source, 4, false);
            auto film = engine.run();
            QVERIFY(film);
            QCOMPARE(engine.filmCellCount(), bodySize);
            QCOMPARE(occupied(*film).size(), bodySize);
            QCOMPARE(stateAt(*film, 0, 0, 0), 4u);
        }
    }

    void filmOnASubstrate()
    {
        // Substrate 1 in z 0..1, film 2 at z = 2 over the whole footprint with a bump at (1, 0, 3).
        auto source = makeVolume(3, 2, 6, [](uint32_t x, uint32_t y, uint32_t z) {
            if (z < 2)
                return 1u;
            return z == 2 || (z == 3 && x == 1 && y == 0) ? 2u : 0u;
        });
        // Upright the layer drops to 0 and the bump rests on it; turned about x the bump rests on z = 0
        // under the layer, and y runs backwards.
        for (uint32_t invert : {0u, 1u}) {
            auto film = FilmExtractionEngine(*source, 2, invert == 1).run();
            QVERIFY(film);
            std::set<Cell> expected{Cell{1, invert, 1 - invert}};
            for (uint32_t x = 0; x < 3; ++x)
                for (uint32_t y = 0; y < 2; ++y)
                    expected.insert(Cell{x, y, invert});
            QCOMPARE(occupied(*film), expected);
            QCOMPARE(film->sizeZ(), 6u);
        }
    }

    void operationPlacesTheFilmBesideTheSourceAndUndoTakesItAway()
    {
        auto source = std::make_shared<TotalVolume>(4, 3, 5, 1.0f, 2.0f, 0.5f, Util::Vector3D(1, 2, 3), 2u);
        ExtractScene f(source);
        f.extract(2);
        QCOMPARE(f.log->lines, (QStringList{"Extract Film: cell volume selected.", "Extract Film: film extracted."}));
        auto film = f.operation->result();
        QVERIFY(film);
        QCOMPARE(f.ws.document().allObjects(), (QList<Model::ObjectPtr>{source, film}));
        // (nx + 10) times the largest cell size, 2, along x.
        QCOMPARE(film->position(), Util::Vector3D(1 + 14 * 2, 2, 3));
        QCOMPARE(film->cellSizeY(), 2.0f);
        QCOMPARE(cellStates(*film), cellStates(*source));
        QCOMPARE(f.ws.undoRedo().undoName(), QStringLiteral("Extract Film"));
        QVERIFY(!f.ws.currentOperation() && !f.ws.selection().isSelectionMode());
        QVERIFY(f.ws.undoRedo().undo());
        QCOMPARE(f.ws.document().allObjects(), QList<Model::ObjectPtr>{source});
        QVERIFY(f.ws.undoRedo().redo());
        QCOMPARE(f.ws.document().allObjects(), (QList<Model::ObjectPtr>{source, film}));
    }

    // Without a selection it waits for Enter and a volume; a rejected dialog ends it unchanged, and so
    // does a material the volume lacks, with a message.
    void withoutSelectionItWaitsThenARejectedDialogOrAMissingMaterialCancels()
    {
        ExtractScene f(cellsAt(2, 2, 2, {Cell{0, 1, 1}}));
        f.ws.document().addObject(cellsAt(1, 1, 1, {})); // two volumes: the choice is the user's
        f.start();
        QCOMPARE(f.log->lines, QStringList{"Extract Film: select a cell volume and press Enter/Return."});
        f.enter();
        QCOMPARE(f.operation->step(), 0u);
        f.enter(f.source);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Extract Film: cell volume selected."));
        QVERIFY(!f.ws.currentOperation());
        const auto material = Model::Materials::MaterialFactory::instance()->getMaterials().at(1);
        QVERIFY(material.id() != 2);
        f.extract(material.id());
        QCOMPARE(f.log->lines.last(),
                 QStringLiteral("Extract Film: no cell of ") + material.name() + QStringLiteral(" in the volume."));
        QCOMPARE(f.ws.document().allObjects().size(), 2);
        QVERIFY(!f.ws.undoRedo().canUndo() && !f.ws.currentOperation() && !f.ws.console().requester());
        f.extract(2);
        QCOMPARE(occupied(*f.operation->result()), std::set<Cell>{Cell(0, 1, 0)});
    }
};

QTEST_MAIN(tst_ExtractAndGlue)
#include "tst_extractandglue.moc"
