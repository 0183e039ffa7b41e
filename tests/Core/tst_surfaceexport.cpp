#include "Core/surfaceexport.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "catalogtesthome.h"
#include "meshchecks.h"
#include "meshreader.h"
#include "volumetesthelpers.h"

#include <QTemporaryDir>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;

namespace {

// Silicon (opaque in the built-in catalogue): a 3 x 3 x 2 block, a cell touching it along an
// edge only, and one touching that cell at a corner only. 20 cells.
std::shared_ptr<TotalVolume> body()
{
    auto volume = makeVolume(7, 7, 7, [](uint32_t x, uint32_t y, uint32_t z) {
        const bool block = x >= 1 && x <= 3 && y >= 1 && y <= 3 && z >= 1 && z <= 2;
        const bool edgeNeighbour = x == 4 && y == 4 && z == 2;
        const bool cornerNeighbour = x == 5 && y == 5 && z == 3;
        return block || edgeNeighbour || cornerNeighbour ? 1u : 0u;
    });
    return volume;
}

size_t surfaceTriangles(TotalVolume &volume, uint32_t algorithm)
{
    auto &painter = volume.painter();
    painter.setSurfaceAlgorithm(algorithm);
    painter.regenerateSurface();
    size_t count = 0;
    if (algorithm == 1)
        count = painter.marchingCubeSurface().triangleCount();
    else if (algorithm == 2)
        count = 2 * (painter.octreeSurface().opaqueFaceCount() + painter.octreeSurface().transparentFaceCount());
    else
        count = 2 * (painter.opaqueFaceCount() + painter.transparentFaceCount());
    painter.setSurfaceAlgorithm(0);
    painter.releaseSurface();
    return count;
}

double enclosed(const MeshReader::Stl &stl)
{
    std::vector<std::array<std::array<double, 3>, 3>> triangles;
    for (const auto &t : stl.triangles) {
        std::array<std::array<double, 3>, 3> c;
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 3; ++i)
                c[v][i] = t.corners[v][i];
        triangles.push_back(c);
    }
    return MeshChecks::enclosedVolume(triangles);
}

} // namespace

class tst_SurfaceExport : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void algorithmNames()
    {
        QCOMPARE(Core::SurfaceExport::algorithmNamed(QStringLiteral("cubic")), std::optional<uint32_t>(0));
        QCOMPARE(Core::SurfaceExport::algorithmNamed(QStringLiteral("marching-cubes")), std::optional<uint32_t>(1));
        QCOMPARE(Core::SurfaceExport::algorithmNamed(QStringLiteral("octree")), std::optional<uint32_t>(2));
        QVERIFY(!Core::SurfaceExport::algorithmNamed(QStringLiteral("field")));
        QCOMPARE(Core::SurfaceExport::algorithmNames(), (QStringList{"cubic", "marching-cubes", "octree"}));
    }

    void eachAlgorithmWritesItsOwnTriangles_data()
    {
        QTest::addColumn<uint32_t>("algorithm");
        QTest::newRow("cubic") << 0u;
        QTest::newRow("marching cubes") << 1u;
        QTest::newRow("octree") << 2u;
    }
    void eachAlgorithmWritesItsOwnTriangles()
    {
        QFETCH(uint32_t, algorithm);
        auto volume = body();
        const size_t expected = surfaceTriangles(*volume, algorithm);
        QVERIFY(expected > 0);
        const uint64_t generations = TotalVolumePainter::generationCount();
        const QString file = m_dir.filePath(QStringLiteral("body%1.stl").arg(algorithm));
        QString error;
        size_t written = 0;
        QVERIFY2(Core::SurfaceExport::writeVolume(*volume, algorithm, file, &error, &written), qPrintable(error));
        QCOMPARE(written, expected);
        QCOMPARE(TotalVolumePainter::generationCount(), generations + 1);
        // The volume keeps its own choice and holds no surface afterwards.
        QCOMPARE(volume->painter().surfaceAlgorithm(), 0u);
        QCOMPARE(volume->painter().storedBytes(),
                 TotalVolume(1, 1, 1, 1, 1, 1, Util::Vector3D(), 0u).painter().storedBytes());

        const auto stl = MeshReader::readStl(file);
        QVERIFY(stl.ok);
        QCOMPARE(stl.triangles.size(), expected);
        const auto lattice = MeshReader::onLattice<MeshChecks::Tri>(stl, {0, 0, 0}, {1, 1, 1});
        if (algorithm == 0) {
            // Unit faces only (no T-junctions), every edge shared by two triangles, or by four
            // along the edge where two cells touch.
            QVERIFY(MeshChecks::watertight(lattice));
            QVERIFY(MeshChecks::closedAndOriented(lattice));
        }
        if (algorithm == 1)
            QVERIFY(MeshChecks::closedAndOriented(lattice));
        if (algorithm != 1) {
            // Cubic and octree surfaces wrap the cells exactly: 20 cells of volume 1, normals out.
            QVERIFY(std::fabs(enclosed(stl) - 20.0) < 1e-9);
        } else {
            QVERIFY(enclosed(stl) > 0);
        }
    }

    void shownSurfacesOfSeveralVolumesInWorldUnits()
    {
        auto first = body();
        auto second = makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        second->translate(Util::Vector4D(100, 0, 0, 0));
        first->painter().setSurfaceAlgorithm(2);
        first->painter().regenerateSurface();
        second->painter().regenerateSurface();
        const QString file = m_dir.filePath(QStringLiteral("scene.stl"));
        size_t written = 0;
        QString error;
        QVERIFY2(Core::SurfaceExport::writeShown({first, second}, file, &error, &written), qPrintable(error));
        const auto stl = MeshReader::readStl(file);
        QCOMPARE(stl.triangles.size(), written);
        QCOMPARE(written, 2 * first->painter().octreeSurface().opaqueFaceCount() + 48);
        // The second volume's 2 x 2 x 2 cells (24 faces) lie at x 100..102.
        for (size_t t = written - 48; t < written; ++t)
            for (const auto &c : stl.triangles[t].corners)
                QVERIFY(c[0] >= 100 && c[0] <= 102);
        // The shown surfaces stay.
        QVERIFY(first->painter().octreeSurface().opaqueFaceCount() > 0);
    }

    void theCutWindowIsApplied()
    {
        auto volume = makeVolume(6, 6, 6, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        volume->painter().setCutLimits({0, 0, 0}, {6, 6, 3});
        volume->painter().regenerateSurface();
        const QString file = m_dir.filePath(QStringLiteral("cut.stl"));
        QVERIFY(Core::SurfaceExport::writeShown({volume}, file, nullptr));
        const auto stl = MeshReader::readStl(file);
        // The lower half: a 6 x 6 x 3 box of 2 * (36 + 36 + 4 * 18) = 288 triangles.
        QCOMPARE(stl.triangles.size(), size_t(288));
        QVERIFY(std::fabs(enclosed(stl) - 108.0) < 1e-9);
    }

    void badFilesAreRefusedWithAClearMessage()
    {
        auto volume = body();
        const uint64_t generations = TotalVolumePainter::generationCount();
        QString error;
        QVERIFY(!Core::SurfaceExport::writeVolume(*volume, 1, m_dir.path(), &error));
        QVERIFY2(error.contains(QStringLiteral("must end in .stl")), qPrintable(error));
        QVERIFY(!Core::SurfaceExport::writeVolume(*volume, 1, m_dir.filePath(QStringLiteral("no/such.ply")), &error));
        QVERIFY2(error.contains(QStringLiteral("No such file or directory")), qPrintable(error));
        // A missing folder shows only when the file is opened, after the surface was built.
        QCOMPARE(TotalVolumePainter::generationCount(), generations + 1);
        QCOMPARE(volume->painter().surfaceAlgorithm(), 0u);
    }
};

QTEST_GUILESS_MAIN(tst_SurfaceExport)
#include "tst_surfaceexport.moc"
