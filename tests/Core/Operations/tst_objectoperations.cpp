#include "Core/Engines/Volume/cutcellvolume.h"
#include "Core/Engines/Volume/substratebuilder.h"
#include "Core/Operations/Objects/copyobject.h"
#include "Core/Operations/Objects/createsubstrateoperation.h"
#include "Core/Operations/Objects/deleteobject.h"
#include "Core/Operations/Objects/moveobject.h"
#include "Core/Operations/View/cutcellvolumeoperation.h"
#include "Core/Operations/View/maskedcutcellvolumeoperation.h"
#include "Core/Operations/View/removecutsfromvolumeoperation.h"
#include "Core/Undo/documentchange.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "answeringscene.h"
#include "enginetesthelpers.h"
#include "testobject.h"

#include <QtTest>

#include <algorithm>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Triple = CutCellVolumeOperation::Triple;
Q_DECLARE_METATYPE(Triple)

namespace {

constexpr uint32_t Opaque = 121;

using Box = std::array<float, 6>; // lowest x, y, z, then highest

/// The box that the opaque faces of a volume's shown surface span.
Box drawnBox(const Model::Surfaces::VolumeSurface &surface)
{
    Box box{1e9f, 1e9f, 1e9f, -1e9f, -1e9f, -1e9f};
    for (const auto &face : surface.opaqueFaces())
        for (const auto &corner : face.corners)
            for (int i = 0; i < 3; ++i) {
                box[size_t(i)] = std::min(box[size_t(i)], corner[i]);
                box[size_t(i) + 3] = std::max(box[size_t(i) + 3], corner[i]);
            }
    return box;
}

/// The cut planes operation (16) on one opaque 4 x 3 x 5 volume.
struct PlanesScene : AnsweringScene<CutCellVolumeOperation> {
    PlanesScene()
        : AnsweringScene(16)
    {
        Model::Materials::MaterialFactory::instance()->setMaterial(
            Model::Materials::Material(Opaque, "Cut test", 1, 1, 0.1f, {0.8f, 0.2f, 0.1f, 1.0f}));
        // Shown in a window: the cut planes rebuild the surface it shows.
        ws.setShownSurfaces(std::make_shared<Model::Surfaces::ShownSurfaces>());
        ws.regenerateSurface(volume);
        ws.document().addObject(volume);
    }
    const Model::Surfaces::VolumeSurface &surface() const { return *ws.shownSurfaces()->of(volume); }
    TotalVolumePtr volume = std::make_shared<TotalVolume>(4, 3, 5, 1.0f, 1.0f, 1.0f, Util::Vector3D(), Opaque);
};

/// A mask of width x height whose bit (x, y) is set where `covered` says so.
QBitArray maskBits(uint32_t width, uint32_t height, const std::function<bool(uint32_t, uint32_t)> &covered)
{
    QBitArray bits(int(width * height));
    for (uint32_t x = 0; x < width; ++x)
        for (uint32_t y = 0; y < height; ++y)
            bits.setBit(int(x * height + y), covered(x, y));
    return bits;
}

/// The masked cut (34) on a 6 x 4 x 3 volume.
struct MaskScene : AnsweringScene<MaskedCutCellVolumeOperation> {
    MaskScene()
        : AnsweringScene(34)
    {
        ws.document().addObject(volume);
    }
    void cut(const QBitArray &bits, uint32_t width, uint32_t height)
    {
        answer = [=](MaskedCutCellVolumeOperation &op) { op.setMask(bits, width, height); };
        start();
    }
    std::shared_ptr<TotalVolume> volume =
        makeVolume(6, 4, 3, [](uint32_t x, uint32_t, uint32_t z) { return z < 2 ? 1u + x % 2 : 0u; });
};

std::shared_ptr<TotalVolume> filled(uint32_t nx, uint32_t ny, uint32_t nz)
{
    return makeVolume(nx, ny, nz, [](uint32_t, uint32_t, uint32_t) { return 1u; });
}

/// A workspace whose factory serves the object operations, with two objects in the document.
struct Scene {
    Scene()
    {
        factory->makers[1] = [this] { return std::make_shared<CopyObject>(ws); };
        factory->makers[4] = [this] { return std::make_shared<DeleteObject>(ws); };
        factory->makers[7] = [this] { return std::make_shared<MoveObject>(ws); };
        ws.setOperationFactory(factory);
        ws.console().addObserver(log);
        a->position = Util::Vector4D(1, 1, 1, 0);
        b->position = Util::Vector4D(-2, 0, 5, 0);
        ws.document().addObject(a);
        ws.document().addObject(b);
    }
    void selectBoth()
    {
        ws.selection().toggle(a);
        ws.selection().toggle(b);
    }
    void enter(const QString &line) { ws.console().handleLine(line); }
    QString lastMessage() const { return log->lines.isEmpty() ? QString() : log->lines.last(); }

    Core::Workspace ws;
    std::shared_ptr<TestFactory> factory = std::make_shared<TestFactory>();
    std::shared_ptr<ConsoleLog> log = std::make_shared<ConsoleLog>(ws);
    std::shared_ptr<TestObject> a = std::make_shared<TestObject>();
    std::shared_ptr<TestObject> b = std::make_shared<TestObject>();
};

using Build = std::function<TotalVolumePtr()>;

/// A row of substrates: a 10 x 10 x 80 volume of material 3 filled in a box clipped to it.
void box(const char *name, uint32_t x0, uint32_t y0, uint32_t z0, uint32_t sizeXY, uint32_t sizeZ, size_t filled)
{
    QTest::newRow(name) << Build([=] {
        return SubstrateBuilder(3, 10, 10, 80, Util::Vector3D(1.5, -2, 7), x0, y0, z0, sizeXY, sizeXY, sizeZ)
            .buildVolume();
    }) << EngineTest::Shape([=](uint32_t x, uint32_t y, uint32_t z) {
        return x >= x0 && x < x0 + sizeXY && y >= y0 && y < y0 + sizeXY && z >= z0 && z < z0 + sizeZ ? 3u : 0u;
    }) << filled;
}

/// An n^3 volume of material 9 filled within the radius of the centre, the radius itself included.
void sphere(const char *name, uint32_t n, uint32_t centre, uint32_t radius, size_t filled)
{
    QTest::newRow(name) << Build([=] {
        return SubstrateBuilder(9, n, n, n, Util::Vector3D(1.5, -2, 7), centre, centre, centre, radius).buildVolume();
    }) << EngineTest::Shape([=](uint32_t x, uint32_t y, uint32_t z) {
        const int64_t dx = int64_t(x) - centre, dy = int64_t(y) - centre, dz = int64_t(z) - centre;
        return dx * dx + dy * dy + dz * dz <= int64_t(radius) * radius ? 9u : 0u;
    }) << filled;
}

} // namespace

Q_DECLARE_METATYPE(Build)
Q_DECLARE_METATYPE(EngineTest::Shape)

/// Operations on the document's objects: create, move, copy, delete, and cut planes and cuts.
class tst_ObjectOperations : public QObject {
    Q_OBJECT
private slots:
    void moveByTypedDistanceAndUndoRedo()
    {
        Scene s;
        s.selectBoth();
        s.ws.startOperation(7);
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Left click or enter the distance into the console (x, y, z):"));
        QVERIFY(s.a->isMoving());
        s.enter(QStringLiteral("-4,0.5,10"));
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Object(s) moved"));
        QCOMPARE(s.a->position, Util::Vector4D(-3, 1.5, 11, 0));
        QCOMPARE(s.b->position, Util::Vector4D(-6, 0.5, 15, 0));
        QVERIFY(!s.a->isMoving() && !s.ws.currentOperation());
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Move Objects"));
        QVERIFY(s.ws.pickState().selected().isEmpty());
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(s.a->position, Util::Vector4D(1, 1, 1, 0));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 5, 0));
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(s.a->position, Util::Vector4D(-3, 1.5, 11, 0));
    }

    void moveWithoutSelectionPromptsRefusesBadCoordinatesAndCancels()
    {
        Scene s;
        s.ws.startOperation(7);
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Select the object(s) to be copied and press Enter/Return."));
        QVERIFY(s.ws.console().isEnterRequested());
        s.ws.selection().toggle(s.b);
        s.enter(QString());
        QCOMPARE(s.ws.console().requestKind(), Core::ConsoleInput::RequestKind::Coordinates);
        s.enter(QStringLiteral("1 2 3"));
        QCOMPARE(s.lastMessage(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 5, 0));
        QVERIFY(s.ws.currentOperation());
        // Escape ends the waiting move: nothing moved, nothing to undo, later lines go nowhere.
        s.ws.cancelCurrentOperation();
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Operation canceled"));
        QVERIFY(!s.b->isMoving());
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.console().requestKind(), Core::ConsoleInput::RequestKind::None);
        QCOMPARE(s.ws.undoRedo().undoCount(), size_t(0));
        s.enter(QStringLiteral("1, 1, 1"));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 5, 0));
    }

    void moveFollowsClickedPoints()
    {
        Scene s;
        s.ws.selection().toggle(s.a);
        s.ws.startOperation(7);
        // Base point, then two destinations; the view tells after the last one that no more are wanted.
        QVERIFY(s.ws.pickState().deliverPoint(Util::Vector3D(1, 0, 0), true));
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Left click on destination."));
        QVERIFY(s.ws.pickState().deliverPoint(Util::Vector3D(3, 0, 0), true));
        QCOMPARE(s.a->moveOffset(), Util::Vector3D(2, 0, 0));
        QVERIFY(s.ws.pickState().deliverPoint(Util::Vector3D(3, 4, 0), false));
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Object(s) moved"));
        QCOMPARE(s.a->position, Util::Vector4D(3, 5, 1, 0));
        QCOMPARE(s.a->moveOffset(), Util::Vector3D(0, 0, 0));
    }

    void copyAddsClonesAndUndoRestoresTheDocument()
    {
        Scene s;
        s.selectBoth();
        s.ws.startOperation(1);
        QCOMPARE(s.lastMessage(), QStringLiteral("Copy: Left click or enter the distance into the console (x, y, z):"));
        QVERIFY(!s.a->isMoving()); // the clone moves, not the original
        s.enter(QStringLiteral("10, 0, 0"));
        QCOMPARE(s.lastMessage(), QStringLiteral("Copy: Object(s) copied"));
        const auto objects = s.ws.document().allObjects();
        QCOMPARE(objects.size(), 4);
        QCOMPARE(s.a->position, Util::Vector4D(1, 1, 1, 0));
        auto clone = std::dynamic_pointer_cast<TestObject>(objects.at(2));
        QVERIFY(clone && clone != s.a);
        QCOMPARE(clone->position, Util::Vector4D(11, 1, 1, 0));
        QVERIFY(!clone->isMoving());
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Copy Objects"));

        s.ws.undoRedo().undo();
        QCOMPARE(s.ws.document().allObjects(), (QList<Model::ObjectPtr>{s.a, s.b}));
        s.ws.undoRedo().redo();
        QCOMPARE(s.ws.document().allObjects(), objects);
    }

    // The prompt, Enter without a selection and Escape are in the main window test.
    void deleteRemovesTheSelectionAndUndoBringsItBack()
    {
        Scene s;
        s.ws.selection().toggle(s.b);
        s.ws.startOperation(4);
        QCOMPARE(s.lastMessage(), QStringLiteral("Delete: objects deleted."));
        QCOMPARE(s.ws.document().allObjects(), (QList<Model::ObjectPtr>{s.a}));
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Delete Objects"));
        QVERIFY(!s.b->isSelected());
        s.ws.undoRedo().undo();
        QCOMPARE(s.ws.document().allObjects().size(), 2);
        QVERIFY(s.ws.document().findObject(s.b->id()).second);
        s.ws.undoRedo().redo();
        QCOMPARE(s.ws.document().allObjects(), (QList<Model::ObjectPtr>{s.a}));
    }

    // As Glue Volumes does: two objects out, one in. Undo puts each back where it stood, which
    // takes the lower place first; redo makes the change again.
    void documentChangeUndoPutsObjectsBackInTheirPlaces()
    {
        Scene s;
        const auto c = std::make_shared<TestObject>();
        const auto d = std::make_shared<TestObject>();
        const auto added = std::make_shared<TestObject>();
        s.ws.document().addObject(c);
        s.ws.document().addObject(d);
        DocumentChange change;
        change.make(s.ws, {added}, {c, s.a});
        const QList<Model::ObjectPtr> changed{s.b, d, added};
        QCOMPARE(s.ws.document().allObjects(), changed);
        QVERIFY(change.undo(s.ws));
        QCOMPARE(s.ws.document().allObjects(), (QList<Model::ObjectPtr>{s.a, s.b, c, d}));
        QVERIFY(change.redo(s.ws));
        QCOMPARE(s.ws.document().allObjects(), changed);
    }

    void substrateCells_data()
    {
        QTest::addColumn<Build>("build");
        QTest::addColumn<EngineTest::Shape>("expected");
        QTest::addColumn<size_t>("filled");
        box("lowest thirty layers", 0, 0, 0, 10, 30, 3000);
        box("offset beyond the volume", 0, 0, 90, 10, 5, 0);
        box("partly outside sideways", 8, 9, 79, 10, 10, 2);
        sphere("octant of radius 50 in a corner", 80, 0, 50, 68393);
        sphere("radius 1: the centre and its six neighbours", 11, 5, 1, 7);
    }
    void substrateCells()
    {
        QFETCH(Build, build);
        QFETCH(EngineTest::Shape, expected);
        QFETCH(size_t, filled);
        auto volume = build();
        QCOMPARE(volume->position(), Util::Vector3D(1.5, -2, 7));
        const auto states = cellStates(*volume);
        QCOMPARE(size_t(std::count_if(states.begin(), states.end(), [](uint32_t s) { return s != 0; })), filled);
        const QString mismatch = EngineTest::firstMismatch(*volume, expected);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // Too large for the machine, not an overflow of the cell count (the main window test has that).
    void tooLargeVolumeIsReportedAndNothingIsAdded()
    {
        AnsweringScene<CreateSubstrateOperation> s(2);
        QStringList reported;
        s.ws.setErrorReporter([&](const QString &title, const QString &text) { reported << title << text; });
        s.answer = [](CreateSubstrateOperation &op) {
            op.setSubstrate(SubstrateBuilder(1, 100000, 100000, 100000, Util::Vector3D(), 0, 0, 0, 1, 1, 1));
        };
        s.start();
        QCOMPARE(reported.size(), 2);
        QVERIFY(reported.first() == QStringLiteral("Create Substrate") && !reported.last().isEmpty());
        QVERIFY(s.last().startsWith(QStringLiteral("Create Substrate: ")));
        QVERIFY(s.ws.document().allObjects().isEmpty());
        QVERIFY(!s.ws.undoRedo().canUndo() && !s.ws.currentOperation());
    }

    void limitsAreDrawn_data()
    {
        QTest::addColumn<Triple>("lower");
        QTest::addColumn<Triple>("upper");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<size_t>("faces");
        // The whole volume, a box of one cell (the last one on each axis), slabs.
        QTest::newRow("full range") << Triple{0, 0, 0} << Triple{4, 3, 5} << true << size_t(2 * (12 + 20 + 15));
        QTest::newRow("one cell") << Triple{3, 2, 4} << Triple{4, 3, 5} << true << size_t(6);
        QTest::newRow("slab in x, not previewed")
            << Triple{0, 0, 0} << Triple{1, 3, 5} << false << size_t(2 * (3 + 5 + 15));
    }
    void limitsAreDrawn()
    {
        QFETCH(Triple, lower);
        QFETCH(Triple, upper);
        QFETCH(bool, preview);
        QFETCH(size_t, faces);
        PlanesScene s;
        s.answer = [&](CutCellVolumeOperation &op) {
            op.applyLimits(lower, upper, preview);
            QCOMPARE(op.isPreviewed(), preview);
            QVERIFY(op.limitsSet());
            // Without a preview nothing is drawn before the step ends.
            QCOMPARE(drawnBox(s.surface())[3], preview ? float(upper[0]) : 4.0f);
        };
        s.start();
        QCOMPARE(s.last(), QStringLiteral("Change Cut Planes: Cut planes changed."));
        Triple low, high;
        s.volume->view().cutLimits(low, high);
        QCOMPARE(std::make_pair(low, high), std::make_pair(lower, upper));
        QCOMPARE(drawnBox(s.surface()), (Box{float(lower[0]), float(lower[1]), float(lower[2]), float(upper[0]),
                                             float(upper[1]), float(upper[2])}));
        QCOMPARE(s.surface().opaqueFaces().size(), faces);
        QVERIFY(!s.ws.currentOperation());
        // Looking inside is not a step of the process: nothing to undo, the cells are as they were.
        QVERIFY(!s.ws.undoRedo().canUndo());
        QCOMPARE(cellStates(*s.volume), std::vector<uint32_t>(60, Opaque));
    }

    void engineCutsUncoveredColumnsOnlyAndABadMaskCoversNothing()
    {
        auto volume = filled(5, 3, 2);
        // Covers x < 2 for every y; the mask is narrower than the volume.
        CutCellVolume engine(*volume, maskBits(2, 3, [](uint32_t, uint32_t) { return true; }), 2, 3);
        engine.cut();
        engine.cut();
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t z = 0; z < 2; ++z)
                    QCOMPARE(cutCounts(*volume)[volume->index(x, y, z)], x < 2 ? 0u : 2u);
        engine.uncut();
        QCOMPARE(cutCounts(*volume)[volume->index(4, 2, 1)], 1u);
        engine.removeAllCuts();
        QCOMPARE(cutCounts(*volume)[volume->index(4, 2, 1)], 0u);
        QCOMPARE(cellStates(*volume), std::vector<uint32_t>(30, 1u)); // states are never touched
        // An empty mask, or one whose size does not match its bits, covers nothing.
        for (const auto &mask : {std::make_tuple(0, 0u, 0u), std::make_tuple(3, 2u, 2u)}) {
            auto flat = filled(3, 3, 1);
            CutCellVolume open(*flat, QBitArray(std::get<0>(mask), true), std::get<1>(mask), std::get<2>(mask));
            QVERIFY(!open.covers(0, 0));
            open.cut();
            QCOMPARE(cutCounts(*flat), std::vector<uint32_t>(9, 1u));
        }
    }

    void cutsDoNotDependOnTheThreadCount()
    {
        PoolThreads pool(3);
        auto wide = filled(8, 2, 2);
        QCOMPARE(CutCellVolume(*wide, QBitArray(), 0, 0).sliceCount(), 3u);
        const QBitArray bits = maskBits(8, 2, [](uint32_t x, uint32_t y) { return (x + y) % 3 == 0; });
        CutCellVolume(*wide, bits, 8, 2).cut();
        auto single = filled(8, 2, 2);
        {
            PoolThreads one(1);
            CutCellVolume(*single, bits, 8, 2).cut();
        }
        QCOMPARE(cutCounts(*wide), cutCounts(*single));
    }

    void maskedCutsAddUpUndoRestoresEveryCountAndRemoveCutsGivesZero()
    {
        MaskScene s;
        const auto original = cutCounts(*s.volume);
        s.cut(maskBits(6, 4, [](uint32_t x, uint32_t) { return x < 3; }), 6, 4);
        QCOMPARE(s.last(), QStringLiteral("Masked Cut: Cut planes changed."));
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Masked Cut"));
        QVERIFY(s.volume->upperMask().isEmpty());
        const auto afterFirst = cutCounts(*s.volume);
        s.cut(maskBits(6, 4, [](uint32_t, uint32_t y) { return y < 2; }), 6, 4);
        const auto afterSecond = cutCounts(*s.volume);
        // Cuts add up: a column left open by both masks carries two.
        QCOMPARE(afterSecond[s.volume->index(5, 3, 0)], 2u);
        QCOMPARE(afterSecond[s.volume->index(0, 3, 0)], 1u);
        QCOMPARE(afterSecond[s.volume->index(0, 0, 0)], 0u);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(cutCounts(*s.volume), afterFirst);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(cutCounts(*s.volume), original);
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(cutCounts(*s.volume), afterFirst);
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(cutCounts(*s.volume), afterSecond);
        // Removing every cut gives zero; its undo puts back every count and the mask it took off.
        s.volume->setUpperMask(QBitArray(4, true), 2, 2);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[35] = [&s] { return std::make_shared<RemoveCutsFromVolumeOperation>(s.ws); };
        s.ws.setOperationFactory(factory);
        s.ws.startOperation(35);
        QCOMPARE(s.last(), QStringLiteral("Remove Cuts: Cut planes changed."));
        QCOMPARE(cutCounts(*s.volume), std::vector<uint32_t>(s.volume->cellCount(), 0u));
        QVERIFY(s.volume->upperMask().isEmpty());
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Remove Cuts"));
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(cutCounts(*s.volume), afterSecond);
        QCOMPARE(s.volume->upperMask(), QBitArray(4, true));
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Masked Cut"));
    }

    void maskedCutWithoutMaskCancels_data()
    {
        QTest::addColumn<bool>("previewFirst");
        QTest::newRow("zero height") << false;
        QTest::newRow("previewed mask taken back") << true;
    }
    void maskedCutWithoutMaskCancels()
    {
        QFETCH(bool, previewFirst);
        MaskScene s;
        s.answer = [&](MaskedCutCellVolumeOperation &op) {
            if (previewFirst) {
                op.setMask(QBitArray(6, true), 2, 3);
                QCOMPARE(s.volume->upperMask(), QBitArray(6, true));
            }
            op.setMask(QBitArray(), previewFirst ? 0 : 3, 0);
        };
        s.start();
        QCOMPARE(s.last(), QStringLiteral("Masked Cut: Operation Canceled!"));
        QCOMPARE(cutCounts(*s.volume), std::vector<uint32_t>(s.volume->cellCount(), 0u));
        QVERIFY(!s.ws.undoRedo().canUndo());
        QVERIFY(!s.ws.currentOperation());
    }
};

QTEST_MAIN(tst_ObjectOperations)
#include "tst_objectoperations.moc"
