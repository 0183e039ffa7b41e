#include "Core/Engines/Lattice/continuouswetetchengine.h"
#include "Core/Processes/siwetetchingprocess.h"
#include "Model/Volume/silattice.h"
#include "engineoperationcases.h"
#include "siwetetchscenes.h"

#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace Core::Operations;
using Model::Automaton::SiLattice;
using Model::Automaton::SiOrientation;
using Model::Automaton::SiSite;
using Model::Automaton::TotalVolume;
using Normal = Model::Automaton::SiOrientation::Normal;
using namespace WetEtchScene;

Q_DECLARE_METATYPE(SiOrientation)

namespace {

/// Atoms per cubic cell: the unit-cell edge is one cell.
constexpr double atomsPerCell = 8.0;
/// The spacing of the {111} double layers, a / sqrt 3, in cells.
const double layer111 = 1.0 / std::sqrt(3.0);

SiOrientation wafer(Normal normal, double flatAngle)
{
    SiOrientation o;
    o.normal = normal;
    o.flatAngle = flatAngle;
    return o;
}

Core::Processes::SiWetEtchingParameters koh(double minutes, const QString &orientation = QStringLiteral("100"),
                                            double flatAngle = 0.0)
{
    Core::Processes::SiWetEtchingParameters params;
    params.model = QStringLiteral("CCA");
    params.etchant = QStringLiteral("KOH");
    params.concentration = 30.0;
    params.temperature = 70.0;
    params.etchTime = minutes;
    params.cellSize = 1.0;
    params.orientation = orientation;
    params.flatAngle = flatAngle;
    return params;
}

/// 30 % KOH at 70 degC for `minutes`, cell edge 1 um, on a lattice laid for `o`.
void bathEtch(TotalVolume &volume, const SiOrientation &o, double minutes)
{
    if (!volume.siLattice() || volume.siLattice()->orientation() != o)
        volume.createSiLattice(o);
    ContinuousWetEtchEngine(volume, Core::Processes::SiWetEtchingProcess::calibratedSteps(koh(minutes)),
                            ContinuousWetEtchEngine::Calibrated{})
        .run();
}

/// Present atoms in the cells with x and y in [from, to).
double atomsInColumns(TotalVolume &volume, uint32_t from, uint32_t to)
{
    const SiLattice &l = *volume.siLattice();
    const int64_t ny = volume.sizeY();
    const int64_t nz = volume.sizeZ();
    double n = 0;
    l.forEachAtomInSlab(int32_t(from), int32_t(to), [&](const SiSite &s, int64_t cell, int64_t) {
        const int64_t y = (cell / nz) % ny;
        if (y >= from && y < to && l.state(s) == SiLattice::Present)
            ++n;
    });
    return n;
}

/// Cells emptied along y at (x, z).
std::vector<uint32_t> emptyAlongY(TotalVolume &volume, uint32_t x, uint32_t z)
{
    std::vector<uint32_t> row;
    for (uint32_t y = 0; y < volume.sizeY(); ++y)
        row.push_back(stateAt(volume, x, y, z) == 0 ? 1u : 0u);
    return row;
}

/// nx x ny x (height + 2) cells: silicon below `height`, a mask layer at `height` with a slot open
/// for y in [ny / 2 - width / 2, ny / 2 + width / 2) along the whole of x.
std::shared_ptr<TotalVolume> slot(uint32_t nx, uint32_t ny, uint32_t height, uint32_t width)
{
    const uint32_t low = ny / 2 - width / 2;
    return makeVolume(nx, ny, height + 2, [=](uint32_t, uint32_t y, uint32_t z) -> uint32_t {
        if (z < height)
            return Silicon;
        return z == height && (y < low || y >= low + width) ? Mask : 0u;
    });
}


} // namespace

class tst_WaferOrientation : public QObject {
    Q_OBJECT
private slots:
    // The crystal directions the wafer's conventions put on x and along z, and the flat angle's turn.
    void crystalDirectionsLieAlongTheAxes_data()
    {
        QTest::addColumn<SiOrientation>("orientation");
        QTest::addColumn<QVector<double>>("onX");
        QTest::addColumn<QVector<double>>("onZ");
        QTest::newRow("(100) 0") << wafer(Normal::N100, 0) << QVector<double>{1, -1, 0} << QVector<double>{0, 0, 1};
        QTest::newRow("(100) 45") << wafer(Normal::N100, 45) << QVector<double>{0, -1, 0} << QVector<double>{0, 0, 1};
        QTest::newRow("(110) 0") << wafer(Normal::N110, 0) << QVector<double>{-1, 1, 2} << QVector<double>{1, 1, 0};
        // 70.5 degrees on, the other vertical {111} plane's trace lies on x.
        QTest::newRow("(110) 70.53") << wafer(Normal::N110, -std::acos(1.0 / 3.0) * 180.0 / M_PI)
                                     << QVector<double>{1, -1, 2} << QVector<double>{1, 1, 0};
        QTest::newRow("(111) 0") << wafer(Normal::N111, 0) << QVector<double>{1, -1, 0} << QVector<double>{1, 1, 1};
    }
    void crystalDirectionsLieAlongTheAxes()
    {
        QFETCH(SiOrientation, orientation);
        QFETCH(QVector<double>, onX);
        QFETCH(QVector<double>, onZ);
        const auto r = orientation.rotation();
        const double x = std::sqrt(onX[0] * onX[0] + onX[1] * onX[1] + onX[2] * onX[2]);
        const double z = std::sqrt(onZ[0] * onZ[0] + onZ[1] * onZ[1] + onZ[2] * onZ[2]);
        for (int c = 0; c < 3; ++c) {
            QVERIFY2(std::fabs(r[0][c] - onX[c] / x) < 1e-9, qPrintable(QString::number(c)));
            QVERIFY2(std::fabs(r[2][c] - onZ[c] / z) < 1e-9, qPrintable(QString::number(c)));
        }
    }

    // Every cell of a silicon block holds atoms, eight per cell on the whole, whichever way the
    // crystal lies; the unit cells' outlines are the turned crystal axes.
    void turnedLatticesFillTheirCells_data()
    {
        QTest::addColumn<SiOrientation>("orientation");
        QTest::newRow("(100) 45") << wafer(Normal::N100, 45);
        QTest::newRow("(100) 20") << wafer(Normal::N100, 20);
        QTest::newRow("(110) 0") << wafer(Normal::N110, 0);
        QTest::newRow("(111) 15") << wafer(Normal::N111, 15);
    }
    void turnedLatticesFillTheirCells()
    {
        QFETCH(SiOrientation, orientation);
        const uint32_t n = 16;
        auto volume = makeVolume(n, n, n, [](uint32_t, uint32_t, uint32_t) { return Silicon; });
        const auto lattice = volume->createSiLattice(orientation);
        QVERIFY(lattice->isTurned());
        size_t total = 0;
        for (size_t c = 0; c < volume->cellCount(); ++c) {
            QVERIFY2(lattice->atomCount(c) > 0, qPrintable(QString::number(c)));
            total += lattice->atomCount(c);
        }
        QCOMPARE(total, lattice->presentAtomCount());
        // The atoms of a cut through a lattice of 8 per cell: off by at most a layer on each face.
        QVERIFY2(std::fabs(double(total) / (atomsPerCell * n * n * n) - 1.0) < 6.0 * 0.5 / n,
                 qPrintable(QString::number(total)));
        const auto r = orientation.rotation();
        for (unsigned axis = 0; axis < 3; ++axis) {
            const auto corner = lattice->unitCellCorner(1u << axis);
            for (int v = 0; v < 3; ++v)
                QVERIFY(std::fabs(corner[v] - r[v][axis]) < 1e-12);
        }
        // Only the unit cells that reach the volume are stored: an atom lies within half a unit
        // cell's diagonal of its centre and a neighbour a quarter diagonal further. Every stored
        // byte is an atom state or a kept mark.
        const double reach = 0.75 * std::sqrt(3.0) + 1e-6;
        size_t units = 0;
        const auto middle = lattice->unitCellCorner(7);
        for (int32_t i = 0; i < int32_t(lattice->sizeI()); ++i) {
            for (int32_t j = lattice->rowBegin(i); j < lattice->rowEnd(i); ++j) {
                const int64_t column = lattice->columnIndex(i, j);
                for (int32_t k = lattice->columnBegin(column); k < lattice->columnEnd(column); ++k, ++units) {
                    const auto origin = lattice->unitCellOrigin(i, j, k);
                    for (int axis = 0; axis < 3; ++axis) {
                        const double centre = origin[size_t(axis)] + 0.5 * middle[size_t(axis)];
                        QVERIFY2(centre > -reach && centre < n + reach,
                                 qPrintable(QStringLiteral("%1 %2 %3").arg(i).arg(j).arg(k)));
                    }
                }
            }
        }
        QCOMPARE(lattice->storedByteCount(), units * 9);
        // Bytes per cell of what the lattice stores, its tables included.
        qInfo("%s: %.1f bytes per cell", QTest::currentDataTag(), double(lattice->storedBytes()) / (n * n * n));
    }

    // A square opening with <100> edges (flat angle 45) on (100): the walls are vertical {100}
    // planes, which recede as fast as the bottom, so the mask is undercut by about the depth. The
    // {111} planes through the opening's corners bound the pit in the end (a pyramid on the
    // <110> square around the opening, its ridge at 45 degrees under the middle of each edge, W / 2
    // out): an opening W = 28 wide keeps them away from walls of depth d = 6 (W / 2 - d > d).
    void openingWithEdgesAlong100IsUndercutByTheDepth()
    {
        const Pit pit{48, 10, 28};
        auto volume = pit.volume();
        const double minutes = 7.5;
        bathEtch(*volume, wafer(Normal::N100, 45), minutes);
        const double depth = sato100 * minutes;
        const uint32_t middle = pit.n / 2;
        const uint32_t bottom = depthAt(*volume, pit.height, middle, middle);
        QVERIFY2(std::fabs(bottom - depth) <= 1.0, qPrintable(QString::number(bottom)));
        std::vector<uint32_t> undercuts;
        for (uint32_t z = pit.height - 2; z > pit.height - uint32_t(depth); --z) {
            const auto row = emptyAlongY(*volume, middle, z);
            uint32_t cut = 0;
            while (cut < pit.lower() && row[pit.lower() - 1 - cut] == 1)
                ++cut;
            undercuts.push_back(cut);
        }
        QString text;
        for (uint32_t u : undercuts)
            text += QString::number(u) + QLatin1Char(' ');
        for (uint32_t u : undercuts)
            QVERIFY2(std::fabs(u - depth) <= 0.25 * depth, qPrintable(text));
        const auto range = std::minmax_element(undercuts.begin(), undercuts.end());
        QVERIFY2(*range.second - *range.first <= 2, qPrintable(text)); // vertical
        const auto states = cellStates(*volume);
        QCOMPARE(size_t(std::count(states.begin(), states.end(), Mask)), size_t(pit.n * pit.n - pit.width * pit.width));
    }

    // Flat wafers fully exposed: the surface's recession, from the atoms gone from the middle,
    // against the published rate (within 10 %, a high-index plane within 20 %); (111) barely moves once its first, partly filled
    // layer has gone: less than a {111} double layer in 6 minutes.
    void flatWafersRecedeAtThePublishedRates_data()
    {
        QTest::addColumn<SiOrientation>("orientation");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("(110) 0") << wafer(Normal::N110, 0) << sato110 << 0.10;
        QTest::newRow("(110) 30") << wafer(Normal::N110, 30) << sato110 << 0.10;
        QTest::newRow("(111) 0") << wafer(Normal::N111, 0) << sato111 << 0.10;
        QTest::newRow("(100) 20") << wafer(Normal::N100, 20) << sato100 << 0.10;
        // A high-index plane: within 20 %.
        QTest::newRow("(311) 0") << wafer(Normal::N311, 0) << sato311 << 0.20;
    }
    void flatWafersRecedeAtThePublishedRates()
    {
        QFETCH(SiOrientation, orientation);
        QFETCH(double, rate);
        QFETCH(double, tolerance);
        // Held by the volume's faces, the surface bends down over about 1.4 times the depth.
        const Pit open{44, 14, 44};
        const uint32_t from = 16;
        const uint32_t to = 28;
        auto volume = open.volume();
        bathEtch(*volume, orientation, 1.0);
        const double before = atomsInColumns(*volume, from, to);
        const double minutes = 6.0;
        bathEtch(*volume, orientation, minutes);
        const double recession =
            (before - atomsInColumns(*volume, from, to)) / (atomsPerCell * (to - from) * (to - from));
        const QString text = QStringLiteral("%1 cells, published %2").arg(recession).arg(rate * minutes);
        qInfo("%s", qPrintable(text));
        if (rate > sato100 / 2)
            QVERIFY2(std::fabs(recession / (rate * minutes) - 1.0) < tolerance, qPrintable(text));
        else
            QVERIFY2(recession < rate * minutes + layer111, qPrintable(text));
    }

    // A long slot along x on (110) lies along [-1 1 2], the trace of the vertical {111} planes: its
    // walls stay vertical and barely move while the (110) bottom goes down, the same for any
    // number of threads.
    void slotOn110HasVerticalWalls()
    {
        const uint32_t width = 8;
        const uint32_t height = 14;
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> cells;
        for (int threads : {1, 3}) {
            PoolThreads pool(threads);
            auto volume = slot(40, 28, height, width);
            const double minutes = 6.0;
            bathEtch(*volume, wafer(Normal::N110, 0), minutes);
            if (threads == 1) {
                bytes = latticeBytes(*volume->siLattice());
                cells = cellStates(*volume);
                const uint32_t low = 28 / 2 - width / 2;
                const uint32_t bottom = depthAt(*volume, height, 20, 14);
                QVERIFY2(std::fabs(bottom / (sato110 * minutes) - 1.0) < 0.15, qPrintable(QString::number(bottom)));
                for (uint32_t z = height - 1; z > height - bottom; --z) {
                    const auto row = emptyAlongY(*volume, 20, z);
                    QString text;
                    for (uint32_t e : row)
                        text += QString::number(e);
                    // The walls recede by R(111) t = 0.03 cells: the cells beside the slot keep
                    // their silicon, and the slot's own cells are open.
                    QVERIFY2(row[low - 1] == 0 && row[low + width] == 0, qPrintable(text));
                    QVERIFY2(row[low + 1] == 1 && row[low + width - 2] == 1, qPrintable(text));
                }
            } else {
                QVERIFY(latticeBytes(*volume->siLattice()) == bytes);
                QVERIFY(cellStates(*volume) == cells);
            }
        }
    }

    // A bath step on a wafer of another orientation lays the lattice anew. Undone, the cells come
    // back and the lattice is laid again at the next etch; redone, the step's cells and atoms are
    // back on a lattice of its orientation.
    void stepOnAnotherWaferIsUndoneAndRedone()
    {
        const Pit pit{24, 10, 12};
        const uint32_t operationId = 700;
        Core::Workspace ws;
        auto volume = pit.volume();
        ws.document().addObject(volume);
        auto run = [&](const QString &orientation) {
            const EngineCases::Maker make =
                EngineCases::command(Core::Processes::CommandId::ContinuousWetEtch,
                                     EngineCases::values<Core::Processes::SiWetEtchingProcess>(koh(2.0, orientation)));
            auto factory = std::make_shared<TestFactory>();
            factory->makers[operationId] = [&ws, make] { return make(ws, true); };
            ws.setOperationFactory(factory);
            ws.startOperation(operationId);
        };
        const auto start = cellStates(*volume);
        run(QStringLiteral("100"));
        const auto after100 = cellStates(*volume);
        run(QStringLiteral("110"));
        QVERIFY(volume->siLattice()->orientation() == wafer(Normal::N110, 0));
        const auto after110 = cellStates(*volume);
        const auto bytes110 = latticeBytes(*volume->siLattice());
        auto expected = pit.volume();
        bathEtch(*expected, wafer(Normal::N100, 0), 2.0);
        QCOMPARE(after100, cellStates(*expected));
        bathEtch(*expected, wafer(Normal::N110, 0), 2.0);
        QCOMPARE(after110, cellStates(*expected));

        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(cellStates(*volume), after100);
        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(cellStates(*volume), after110);
        QVERIFY(volume->siLattice()->orientation() == wafer(Normal::N110, 0));
        QCOMPARE(latticeBytes(*volume->siLattice()), bytes110);
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));

        // Both undone and redone: each step's lattice is laid again for its own wafer.
        QVERIFY(ws.undoRedo().undo());
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(cellStates(*volume), start);
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(cellStates(*volume), after100);
        QVERIFY(volume->siLattice()->orientation() == wafer(Normal::N100, 0));
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(cellStates(*volume), after110);
        QCOMPARE(latticeBytes(*volume->siLattice()), bytes110);
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
    }
};

QTEST_GUILESS_MAIN(tst_WaferOrientation)
#include "tst_waferorientation.moc"
