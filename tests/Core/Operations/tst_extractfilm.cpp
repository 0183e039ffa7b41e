#include "Core/Operations/extractfilm.h"
#include "Core/Operations/filmextraction.h"
#include "Model/Materials/materialfactory.h"
#include "answeringscene.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>
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
struct ExtractScene : AnsweringScene<ExtractFilm> {
    explicit ExtractScene(const TotalVolumePtr &volume)
        : AnsweringScene(8)
        , source(volume)
    {
        ws.document().addObject(source);
    }
    void extract(uint32_t material)
    {
        answer = [material](ExtractFilm &op) { op.setMaterial(material); };
        ws.selection().toggle(source);
        start();
    }
    TotalVolumePtr source;
};

} // namespace

class tst_ExtractFilm : public QObject {
    Q_OBJECT
private slots:
    void onlyTheFirstBodyInScanOrderIsExtracted()
    {
        // Body A (x = 1) comes first in x, y, z order although it lies higher than body B (x = 3).
        const std::set<Cell> a = {Cell{1, 0, 2}, Cell{1, 1, 2}, Cell{1, 1, 3}};
        const std::set<Cell> b = {Cell{3, 2, 0}, Cell{3, 2, 1}};
        std::set<Cell> both = a;
        both.insert(b.begin(), b.end());
        auto source = cellsAt(5, 4, 4, both);
        FilmExtraction engine(*source, 2, false);
        auto film = engine.run();
        QVERIFY(film);
        QCOMPARE(engine.filmCellCount(), size_t(3));
        // Lowered by its lowest layer, 2.
        QCOMPARE(occupied(*film), (std::set<Cell>{Cell{1, 0, 0}, Cell{1, 1, 0}, Cell{1, 1, 1}}));
        QCOMPARE(stateAt(*film, 1, 1, 1), 2u);
        // The source keeps both bodies.
        QCOMPARE(occupied(*source), both);
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
            FilmExtraction engine(*source, 4, false);
            auto film = engine.run();
            QVERIFY(film);
            QCOMPARE(engine.filmCellCount(), bodySize);
            QCOMPARE(occupied(*film).size(), bodySize);
            QCOMPARE(stateAt(*film, 0, 0, 0), 4u);
        }
    }

    void filmOnASubstrate_data()
    {
        QTest::addColumn<bool>("invert");
        QTest::addColumn<uint32_t>("bumpY");
        QTest::addColumn<uint32_t>("bumpZ");
        QTest::addColumn<uint32_t>("layerZ");
        // Upright: the layer (z = 2) drops to 0 and the bump (1, 0, 3) rests on it.
        QTest::newRow("upright") << false << 0u << 1u << 0u;
        // Turned about x the bump points down: it rests on z = 0 and the layer lies on top of it,
        // and y runs backwards.
        QTest::newRow("inverted") << true << 1u << 0u << 1u;
    }
    void filmOnASubstrate()
    {
        QFETCH(bool, invert);
        QFETCH(uint32_t, bumpY);
        QFETCH(uint32_t, bumpZ);
        QFETCH(uint32_t, layerZ);
        // Substrate 1 in z 0..1, film 2 at z = 2 over the whole footprint with a bump at (1, 0, 3).
        auto source = makeVolume(3, 2, 6, [](uint32_t x, uint32_t y, uint32_t z) {
            if (z < 2)
                return 1u;
            return z == 2 || (z == 3 && x == 1 && y == 0) ? 2u : 0u;
        });
        auto film = FilmExtraction(*source, 2, invert).run();
        QVERIFY(film);
        std::set<Cell> expected;
        for (uint32_t x = 0; x < 3; ++x)
            for (uint32_t y = 0; y < 2; ++y)
                expected.insert(Cell{x, y, layerZ});
        expected.insert(Cell{1, bumpY, bumpZ});
        QCOMPARE(occupied(*film), expected);
        QCOMPARE(film->sizeZ(), 6u);
    }

    void fillMatchesADepthFirstSearch()
    {
        // A random pattern, six cells in ten of material 2 and the rest 0 or 1: the body of the first
        // cell of material 2, found here with a stack instead of a queue, is exactly what the engine copies.
        auto source = makeVolume(12, 10, 8, [](uint32_t x, uint32_t y, uint32_t z) {
            const uint32_t h = patternState(x, y, z, 7, 9);
            return h < 6 ? 2u : h % 2;
        });
        const auto states = cellStates(*source);
        const auto seed = std::find(states.begin(), states.end(), 2u) - states.begin();
        Cell first;
        source->coordinates(size_t(seed), std::get<0>(first), std::get<1>(first), std::get<2>(first));
        std::set<Cell> body;
        std::vector<Cell> stack{first};
        uint32_t low = 8;
        while (!stack.empty()) {
            const Cell c = stack.back();
            stack.pop_back();
            const auto [x, y, z] = c;
            if (!source->contains(x, y, z) || states[source->index(x, y, z)] != 2 || !body.insert(c).second)
                continue;
            low = std::min(low, z);
            for (uint32_t d : {1u, ~0u}) // +1 and -1; below 0 wraps outside the volume
                stack.insert(stack.end(), {Cell{x + d, y, z}, Cell{x, y + d, z}, Cell{x, y, z + d}});
        }
        std::set<Cell> lowered;
        for (const auto &c : body)
            lowered.insert(Cell{std::get<0>(c), std::get<1>(c), std::get<2>(c) - low});
        QVERIFY(body.size() > 100);

        FilmExtraction engine(*source, 2, false);
        auto film = engine.run();
        QVERIFY(film);
        QCOMPARE(occupied(*film), lowered);
        QCOMPARE(engine.filmCellCount(), body.size());
        QVERIFY(engine.largestQueue() <= body.size());
    }

    void filmDoesNotDependOnTheThreadCount()
    {
        // Large enough for the pass that marks the material's cells to be split over the pool.
        auto source = makeVolume(64, 64, 160, [](uint32_t x, uint32_t y, uint32_t z) {
            const uint32_t h = patternState(x, y, z, 11, 9);
            return h < 6 ? 2u : h % 2;
        });
        auto extractWith = [&](int threads) {
            PoolThreads pool(threads);
            FilmExtraction engine(*source, 2, true);
            auto film = engine.run();
            return std::make_pair(cellStates(*film), engine.filmCellCount());
        };
        const auto single = extractWith(1);
        QVERIFY(single.second > 1000);
        QVERIFY(extractWith(2) == single);
        QVERIFY(extractWith(4) == single);
    }

    void noSeedGivesNoVolume()
    {
        auto source = makeVolume(3, 3, 3, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : 0u; });
        QVERIFY(!FilmExtraction(*source, 5, false).run());
        // The last cell is the only one that matches: the scan reaches the end of the array.
        auto last = cellsAt(3, 3, 3, {Cell{2, 2, 2}}, 5);
        auto film = FilmExtraction(*last, 5, false).run();
        QVERIFY(film);
        QCOMPARE(occupied(*film), std::set<Cell>{Cell(2, 2, 0)});
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
        QCOMPARE(film->sizeX(), 4u);
        QCOMPARE(cellStates(*film), cellStates(*source));
        QCOMPARE(f.ws.undoRedo().undoName(), QStringLiteral("Extract Film"));
        QVERIFY(!f.ws.currentOperation());
        QVERIFY(!f.ws.selection().isSelectionMode());
        QVERIFY(f.ws.undoRedo().undo());
        QCOMPARE(f.ws.document().allObjects(), QList<Model::ObjectPtr>{source});
        QVERIFY(f.ws.undoRedo().redo());
        QCOMPARE(f.ws.document().allObjects(), (QList<Model::ObjectPtr>{source, film}));
        QCOMPARE(film->position(), Util::Vector3D(1 + 14 * 2, 2, 3));
        QCOMPARE(cellStates(*film), cellStates(*source));
    }

    void missingMaterialEndsCanceledWithAMessage()
    {
        auto catalogue = Model::Materials::MaterialFactory::instance()->getMaterials();
        QVERIFY(catalogue.size() > 1);
        const auto material = catalogue.at(1);
        ExtractScene f(makeVolume(3, 3, 3, [&](uint32_t, uint32_t, uint32_t) { return material.id() + 1000; }));
        f.extract(material.id());
        QCOMPARE(f.log->lines.last(),
                 QStringLiteral("Extract Film: no cell of ") + material.name() + QStringLiteral(" in the volume."));
        QCOMPARE(f.ws.document().allObjects().size(), 1);
        QVERIFY(!f.ws.undoRedo().canUndo());
        QVERIFY(!f.ws.currentOperation());
        QVERIFY(!f.ws.console().requester());
    }

    // Without a selection it waits for Enter and a volume; a rejected dialog then ends it unchanged.
    void withoutSelectionItWaitsThenARejectedDialogCancels()
    {
        ExtractScene f(cellsAt(2, 2, 2, {Cell{0, 1, 1}}));
        f.start();
        QCOMPARE(f.log->lines, QStringList{"Extract Film: select a cell volume and press Enter/Return."});
        QVERIFY(f.ws.selection().isSelectionMode());
        QCOMPARE(f.ws.console().requester(), f.ws.currentOperation());
        f.enter();
        QCOMPARE(f.operation->step(), 0u);
        f.enter(f.source);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Extract Film: cell volume selected."));
        QCOMPARE(f.ws.document().allObjects().size(), 1);
        QVERIFY(!f.ws.undoRedo().canUndo());
        QVERIFY(!f.ws.currentOperation());
        f.extract(2);
        QCOMPARE(occupied(*f.operation->result()), std::set<Cell>{Cell(0, 1, 0)});
    }
};

QTEST_MAIN(tst_ExtractFilm)
#include "tst_extractfilm.moc"
