#include "Core/Operations/opendocumentoperation.h"
#include "Core/surfaceexport.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Persistence/documentarchive.h"
#include "catalogtesthome.h"
#include "meshchecks.h"
#include "meshreader.h"
#include "volumetesthelpers.h"

#include <QTemporaryDir>
#include <QtTest>

#include <new>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;

namespace {

const QString outOfMemory = QStringLiteral("Not enough memory to draw the surface of this cell volume.");

/// Makes every surface generation run out of memory while it lives.
class OutOfMemory {
public:
    OutOfMemory()
    {
        TotalVolumePainter::setGenerationProbe([](const char *) { throw std::bad_alloc(); });
    }
    ~OutOfMemory() { TotalVolumePainter::setGenerationProbe({}); }
};

// Silicon (opaque in the built-in catalogue): a 3 x 3 x 2 block, a cell touching it along an
// edge only, and one touching that cell at a corner only. 20 cells.
std::shared_ptr<TotalVolume> body()
{
    return makeVolume(7, 7, 7, [](uint32_t x, uint32_t y, uint32_t z) {
        const bool block = x >= 1 && x <= 3 && y >= 1 && y <= 3 && z >= 1 && z <= 2;
        return block || (x == 4 && y == 4 && z == 2) || (x == 5 && y == 5 && z == 3) ? 1u : 0u;
    });
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
    void eachAlgorithmWritesItsOwnTriangles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint32_t>("algorithm");
        QTest::newRow("cubic") << "cubic" << 0u;
        QTest::newRow("marching cubes") << "marching-cubes" << 1u;
        QTest::newRow("octree") << "octree" << 2u;
    }
    void eachAlgorithmWritesItsOwnTriangles()
    {
        QFETCH(QString, name);
        QFETCH(uint32_t, algorithm);
        QCOMPARE(Core::SurfaceExport::algorithmNamed(name), std::optional<uint32_t>(algorithm));
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
        // Cubic faces are unit squares (no T-junctions); every surface is closed with normals out.
        if (algorithm == 0)
            QVERIFY(MeshChecks::watertight(lattice));
        QVERIFY(algorithm == 2 || MeshChecks::closedAndOriented(lattice));
        // Cubic and octree surfaces wrap the 20 cells exactly.
        if (algorithm != 1)
            QVERIFY(std::fabs(enclosed(stl) - 20.0) < 1e-9);
        else
            QVERIFY(enclosed(stl) > 0);
    }

    // What the volumes show, in world units: the octree of the body and a 6 x 6 x 6 block at x = 100
    // cut to its lower half, a 6 x 6 x 3 box of 2 * (36 + 36 + 4 * 18) = 288 triangles.
    void shownSurfacesOfSeveralVolumesInWorldUnits()
    {
        auto first = body();
        auto second = makeVolume(6, 6, 6, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        second->translate(Util::Vector4D(100, 0, 0, 0));
        second->painter().setCutLimits({0, 0, 0}, {6, 6, 3});
        first->painter().setSurfaceAlgorithm(2);
        first->painter().regenerateSurface();
        second->painter().regenerateSurface();
        const QString file = m_dir.filePath(QStringLiteral("scene.stl"));
        size_t written = 0;
        QString error;
        QVERIFY2(Core::SurfaceExport::writeShown({first, second}, file, &error, &written), qPrintable(error));
        const auto stl = MeshReader::readStl(file);
        QCOMPARE(stl.triangles.size(), written);
        QCOMPARE(written, 2 * first->painter().octreeSurface().opaqueFaceCount() + 288);
        for (size_t t = written - 288; t < written; ++t)
            for (const auto &c : stl.triangles[t].corners)
                QVERIFY(c[0] >= 100 && c[0] <= 106 && c[2] <= 3);
        QVERIFY(std::fabs(enclosed(stl) - 20.0 - 108.0) < 1e-9);
        // The shown surfaces stay.
        QVERIFY(first->painter().octreeSurface().opaqueFaceCount() > 0);
    }

    void badNamesAreRefusedWithAClearMessage()
    {
        QVERIFY(!Core::SurfaceExport::algorithmNamed(QStringLiteral("field")));
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

    // A document opened without memory for its surface keeps its cells, shows nothing, and the user
    // is told why, once.
    void aSurfaceWithoutMemoryIsReportedOnce()
    {
        const QString file = m_dir.filePath(QStringLiteral("cube.cfw"));
        Model::Document document;
        document.addObject(std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
        QVERIFY(Model::Persistence::saveDocumentFile(file, document, Model::Persistence::ArchiverRegistry::standard()));
        Core::Workspace window;
        QStringList reported;
        window.setErrorReporter([&reported](const QString &, const QString &text) { reported << text; });
        {
            OutOfMemory failing;
            QVERIFY(Core::Operations::OpenDocumentOperation::loadFile(window, file, {}).ok);
        }
        QCOMPARE(window.document().allObjects().size(), 1);
        auto volume = std::dynamic_pointer_cast<TotalVolume>(window.document().allObjects().first());
        QCOMPARE(volume->painter().opaqueFaceCount(), size_t(0));
        QCOMPARE(cellStates(*volume), std::vector<uint32_t>(8, 1u));
        window.notifyUpdate();
        QCOMPARE(reported, QStringList{outOfMemory});
    }
};

QTEST_GUILESS_MAIN(tst_SurfaceExport)
#include "tst_surfaceexport.moc"
