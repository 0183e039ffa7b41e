// Surfaces exported from cell volumes, and what cellforge-batch writes beside the document:
// surfaces, netlists, data fields and image data, outputs it cannot write, the example lists it runs.
#include "Core/BatchRun/batchrunner.h"
#include "Core/Formats/surfaceexport.h"
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/particlecounts.h"
#include "batchlists.h"
#include "batchprocess.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "filecontents.h"
#include "meshchecks.h"
#include "meshreader.h"
#include "volumetesthelpers.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <new>
#include <optional>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Core::BatchRun;
using CantileverScenes::Beam;
using Model::Automaton::ParticleCounts;
using Model::Automaton::SurfaceAlgorithm;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Surfaces::ShownSurfaces;
using Model::Surfaces::VolumeSurface;

namespace {

std::vector<MeshChecks::Tri> onLattice(const MeshReader::Stl &stl)
{
    return MeshReader::onLattice<MeshChecks::Tri>(stl, {0, 0, 0}, {1, 1, 1});
}

// Silicon (opaque in the built-in catalogue): a 3 x 3 x 2 block, a cell touching it along an
// edge only, and one touching that cell at a corner only. 20 cells.
std::shared_ptr<TotalVolume> body()
{
    return makeVolume(7, 7, 7, [](uint32_t x, uint32_t y, uint32_t z) {
        const bool block = x >= 1 && x <= 3 && y >= 1 && y <= 3 && z >= 1 && z <= 2;
        return block || (x == 4 && y == 4 && z == 2) || (x == 5 && y == 5 && z == 3) ? 1u : 0u;
    });
}

QStringList exampleLists() { return QDir(QStringLiteral(EXAMPLES_DIR)).entryList({QStringLiteral("*.plst")}); }

// A folder where this process may write nothing, holding `fileName` when given, for as long as it lives: a read-only
// tmpfs as root (whose rights open every folder), otherwise a folder and file without write permission.
class ReadOnlyFolder {
public:
    ReadOnlyFolder(const QString &path, const QString &fileName)
        : m_path(path)
    {
        QDir().mkpath(path);
        m_mounted = ::geteuid() == 0;
        if (m_mounted && QProcess::execute(QStringLiteral("mount"),
                                           {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                            QStringLiteral("size=64k"), QStringLiteral("cellforge-test"), path}) != 0)
            return;
        const QString file = QDir(path).filePath(fileName);
        if (!fileName.isEmpty() && !writeFileContents(file, "earlier contents"))
            return;
        m_ready = m_mounted ? QProcess::execute(QStringLiteral("mount"),
                                                {QStringLiteral("-o"), QStringLiteral("remount,ro"), path}) == 0
                            : (fileName.isEmpty() || QFile::setPermissions(file, QFile::ReadOwner)) &&
                                  QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyFolder()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_path});
        else
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool isReady() const { return m_ready; }

private:
    QString m_path;
    bool m_mounted = false;
    bool m_ready = false;
};

} // namespace

class tst_BatchExports : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;
    QString m_slab;    // an 8 x 8 x 8 volume with silicon 3 cells high
    QString m_walk;    // silicon doped by a random walk, with its particle counts
    QString m_nothing; // a film of thickness 0: it runs a step and changes nothing

private slots:
    void initTestCase()
    {
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
        m_slab = writeFile(m_dir, QStringLiteral("slab.plst"), listXml(stepXml(boxSubstrate(8, 8, 8, 3))));
        m_walk = m_dir.filePath(QStringLiteral("walk.plst"));
        QVERIFY(Core::BatchRun::ProcessListFile({boxSubstrate(12, 10, 24, 20), walkStep(boronWalk())}).save(m_walk));
        m_nothing = writeFile(m_dir, QStringLiteral("nothing.plst"),
                              listXml(stepXml(batchStep(Core::BatchRun::IsotropicDeposition,
                                                        {{"Material_Id", 3u}, {"Film Thickness", 0.0}}))));
    }

    // The option parser's names of the algorithms are tested with the command line.
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
        const uint64_t generations = VolumeSurface::generationCount();
        const QString file = m_dir.filePath(QStringLiteral("body%1.stl").arg(algorithm));
        QString error;
        size_t written = 0;
        QVERIFY2(Core::SurfaceExport::writeVolume(*volume, SurfaceAlgorithm(algorithm), file, &error, &written),
                 qPrintable(error));
        QCOMPARE(VolumeSurface::generationCount(), generations + 1);
        // The volume keeps its own choice (the export's surface was its own and is gone).
        QCOMPARE(volume->view().surfaceAlgorithm(), SurfaceAlgorithm::CubicFaces);

        const auto stl = MeshReader::readStl(file);
        QVERIFY(stl.ok);
        QCOMPARE(stl.triangles.size(), written);
        const auto lattice = onLattice(stl);
        // Cubic faces are unit squares (no T-junctions); every surface is closed with normals out.
        if (algorithm == 0)
            QVERIFY(MeshChecks::watertight(lattice));
        QVERIFY(algorithm == 2 || MeshChecks::closedAndOriented(lattice));
        // Cubic and octree surfaces wrap the 20 cells exactly.
        if (algorithm != 1)
            QVERIFY(std::fabs(enclosedVolume(stl) - 20.0) < 1e-9);
        else
            QVERIFY(enclosedVolume(stl) > 0);
    }

    // What the volumes show, in world units: the octree of the body and a 6 x 6 x 6 block at x = 100
    // cut to its lower half, a 6 x 6 x 3 box of 2 * (36 + 36 + 4 * 18) = 288 triangles.
    void shownSurfacesOfSeveralVolumesInWorldUnits()
    {
        auto first = body();
        auto second = makeVolume(6, 6, 6, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        second->translate(Util::Vector4D(100, 0, 0, 0));
        second->view().setCutLimits({0, 0, 0}, {6, 6, 3});
        first->view().setSurfaceAlgorithm(SurfaceAlgorithm::Octree);
        ShownSurfaces shown;
        shown.regenerate(first);
        shown.regenerate(second);
        const QString file = m_dir.filePath(QStringLiteral("scene.stl"));
        size_t written = 0;
        QString error;
        QVERIFY2(Core::SurfaceExport::writeShown(shown, {first, second}, file, &error, &written), qPrintable(error));
        const auto stl = MeshReader::readStl(file);
        QCOMPARE(stl.triangles.size(), written);
        QCOMPARE(written, 2 * shown.of(first)->octreeSurface().opaqueFaceCount() + 288);
        for (size_t t = written - 288; t < written; ++t)
            for (const auto &c : stl.triangles[t].corners)
                QVERIFY(c[0] >= 100 && c[0] <= 106 && c[2] <= 3);
        QVERIFY(std::fabs(enclosedVolume(stl) - 20.0 - 108.0) < 1e-9);
        // The shown surfaces stay.
        QVERIFY(shown.of(first)->octreeSurface().opaqueFaceCount() > 0);
    }

    void aSurfaceWithoutMemoryIsReportedOnce()
    {
        const QString file = m_dir.filePath(QStringLiteral("cube.cfw"));
        Model::Document document;
        document.addObject(std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
        QVERIFY(Model::Persistence::saveDocumentFile(file, document, Model::Persistence::ArchiverRegistry::standard()));
        Core::Workspace window;
        window.setShownSurfaces(std::make_shared<ShownSurfaces>());
        QStringList reported;
        window.setErrorReporter([&reported](const QString &, const QString &text) { reported << text; });
        VolumeSurface::setGenerationProbe([](const char *) { throw std::bad_alloc(); });
        const bool opened = Core::Operations::OpenDocumentOperation::loadFile(window, file, {}).ok;
        VolumeSurface::setGenerationProbe({});
        QVERIFY(opened);
        QCOMPARE(window.document().allObjects().size(), 1);
        auto volume = std::dynamic_pointer_cast<TotalVolume>(window.document().allObjects().first());
        QCOMPARE(window.shownSurfaces()->of(volume)->opaqueFaceCount(), size_t(0));
        QCOMPARE(cellStates(*volume), std::vector<uint32_t>(8, 1u));
        window.notifyUpdate();
        QCOMPARE(reported, QStringList{"Not enough memory to draw the surface of this cell volume."});
    }

    // A device, pipe or folder is never replaced by a regular file, and an output that cannot be written (a missing
    // folder, a folder or a file that may not be written) refuses the run before it starts, not after a long run.
    void outputsThatCannotBeWrittenFail_data()
    {
        QTest::addColumn<QStringList>("option");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QStringList output{"--output"}, vti{"--export-vti"}, surface{"--export-surface"}, netlist{"--netlist"},
            csv{"--export-csv", ParticleCounts::pTypeName()};
        auto row = [](const char *name, const QStringList &option, const char *kind, const char *message,
                      int exitCode = 4) {
            QTest::newRow(name) << option << QString(kind) << exitCode << QString(message);
        };
        row("document to a pipe", output, "pipe", "is not a regular file");
        row("document to a link to a device", output, "link", "is not a regular file");
        row("document to a folder", output, "folder", "The document could not be saved to");
        row("document in a missing folder", output, "missing",
            "The document could not be saved to \"%1\": the folder \"%2\" cannot be reached: No such file or "
            "directory.");
        row("document below a file", output, "below a file",
            "The document could not be saved to \"%1\": \"%2\" is not a folder.");
        row("image data to a folder", vti, "folder", "is a folder, not a file.");
        row("image data in a missing folder", vti, "missing",
            "The cell volume cannot be exported to \"%1\": the folder");
        row("image data in a read-only folder", vti, "read-only folder",
            "The cell volume cannot be exported to \"%1\": no file can be created in the folder \"%2\": ");
        row("surface to a folder", surface, "folder", "The surface could not be exported to");
        row("surface over a read-only file", surface, "read-only file",
            "The surface could not be exported to \"%1\": \"%1\" may not be replaced: ");
        row("netlist to a folder", netlist, "folder", "The netlist could not be saved to");
        row("netlist in a read-only folder", netlist, "read-only folder",
            "The netlist could not be saved to \"%1\": no file can be created in the folder");
        row("field to a folder", csv, "folder", "is a folder, not a file.");
        row("field in a missing folder", csv, "missing",
            "Cannot export to \"%1\": the folder \"%2\" cannot be reached: No such file or directory.");
        row("field over a read-only file", csv, "read-only file",
            "Cannot export to \"%1\": \"%1\" may not be replaced: ");
        row("field the volume lacks", {"--export-csv", ParticleCounts::nTypeName()}, "new",
            "no field \"Random Walk Particle Count Type N\"", 1);
    }
    void outputsThatCannotBeWrittenFail()
    {
        QFETCH(QStringList, option);
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString extension =
            option[0] == QLatin1String("--export-surface") ? QStringLiteral(".stl") : QStringLiteral(".out");
        const QString folder = kind == QLatin1String("missing")              ? dir.filePath(QStringLiteral("no"))
                               : kind == QLatin1String("below a file")       ? dir.filePath(QStringLiteral("plain"))
                               : kind.startsWith(QLatin1String("read-only")) ? dir.filePath(QStringLiteral("ro"))
                                                                             : dir.path();
        const QString target = folder + QStringLiteral("/target") + extension;
        const QByteArray node = QFile::encodeName(target);
        std::optional<ReadOnlyFolder> readOnly;
        mode_t type = S_IFIFO;
        if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(node.constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QFileInfo(target).fileName()));
            type = S_IFDIR;
        } else if (kind == QLatin1String("below a file")) {
            QVERIFY(writeFileContents(folder, "a file, not a folder"));
        } else if (kind.startsWith(QLatin1String("read-only"))) {
            readOnly.emplace(folder,
                             kind == QLatin1String("read-only file") ? QFileInfo(target).fileName() : QString());
            if (!readOnly->isReady())
                QSKIP("No read-only folder could be made (mount failed).");
        } else if (kind == QLatin1String("link")) {
            // A private copy of /dev/null's device number: the real one is never put at risk.
            const QByteArray device = node + ".dev";
            if (::mknod(device.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                QSKIP("Device nodes can be made only with root rights.");
            QCOMPARE(::symlink(device.constData(), node.constData()), 0);
            type = S_IFCHR;
        }
        const QString beam =
            volumeDocument(m_dir, QStringLiteral("beam.cfw"), CantileverScenes::block({Beam{4, 20, 4, 2}}));
        // A field comes from the random walk, anything else from the beam.
        const QStringList input =
            option.size() > 1 ? QStringList{m_walk} : QStringList{m_nothing, QStringLiteral("--input"), beam};
        const BatchResult r = runBatch(input + option + QStringList{target});
        QCOMPARE(r.exitCode, exitCode);
        const QString said = message.contains(QLatin1String("%2"))   ? message.arg(target, folder)
                             : message.contains(QLatin1String("%1")) ? message.arg(target)
                                                                     : message;
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        QVERIFY(r.err.startsWith(QLatin1String("cellforge-batch: ")));
        // Refused before the first step ran, unless the output was fine.
        QCOMPARE(r.out.isEmpty(), exitCode == 4);
        if (kind == QLatin1String("pipe") || kind == QLatin1String("link") || kind == QLatin1String("folder")) {
            struct stat status;
            QCOMPARE(::stat(node.constData(), &status), 0);
            QCOMPARE(status.st_mode & S_IFMT, type);
        } else if (kind == QLatin1String("read-only file")) {
            QCOMPARE(readFile(target), QByteArray("earlier contents"));
        } else {
            QVERIFY(!QFileInfo::exists(target));
        }
        // The probe that found out is gone again.
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral(".cellforge-probe*")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // The writers are tested with the surface export and the algorithm names with the options.
    void surfaceIsWrittenBesideTheRun()
    {
        const QString out = m_dir.filePath(QStringLiteral("slab.ply"));
        const BatchResult r = runBatch({m_slab, QStringLiteral("--export-surface"), out});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        // The 8 x 8 x 3 slab, cubic by default: 2 * 64 + 4 * 24 unit faces, two triangles each.
        QCOMPARE(MeshReader::readPly(out).faces.size(), size_t(2 * (128 + 96)));
    }

    void netlistOfADocumentsCantilever_data()
    {
        QTest::addColumn<QString>("scene");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("netlist");
        // 1 micrometre cells: aluminium 30 x 4 x 3 has k = 70 N/m and m = 2.29114e-13 kg.
        QTest::newRow("1 um cells") << "30" << QStringList{"--cell-size-um", "1"} << 0
                                    << "Model extracted by Cellforge\nc1 1 0 2.29114e-13 \nl1 1 0 0.0142857 \n.end \n";
        QTest::newRow("supported beam") << "supported" << QStringList() << 1 << QString();
    }
    void netlistOfADocumentsCantilever()
    {
        QFETCH(QString, scene);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, netlist);
        auto volume = scene == QLatin1String("30") ? CantileverScenes::block({Beam{4, 30, 4, 3}})
                                                   : CantileverScenes::supported(Beam{4, 20, 4, 2});
        const QString input = volumeDocument(m_dir, scene + QStringLiteral(".cfw"), volume);
        const QString file = m_dir.filePath(scene + QStringLiteral(".cir"));
        const BatchResult r = runBatch(
            QStringList{m_nothing, QStringLiteral("--input"), input, QStringLiteral("--netlist"), file} + options);
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(QFileInfo::exists(file), exitCode == 0);
        QCOMPARE(QString::fromUtf8(readFile(file)), netlist);
        if (exitCode == 0)
            QVERIFY(r.out.contains(QLatin1String("Netlist of 1 cantilever beam written to")));
        else
            QVERIFY2(r.err.contains(QLatin1String("cellforge-batch: No model data was extracted.")), qPrintable(r.err));
    }

    void fieldIsExported()
    {
        const QString csv = m_dir.filePath(QStringLiteral("walk.csv"));
        const BatchResult r = runBatch({m_walk, QStringLiteral("--seed"), QStringLiteral("11"),
                                        QStringLiteral("--export-csv"), ParticleCounts::pTypeName(), csv});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QByteArray text = readFile(csv);
        // 12 blocks of a heading, 10 rows and two empty lines; the surface cells hold 100 particles.
        QVERIFY(text.startsWith("X: 0\n"));
        QCOMPARE(text.count('\n'), 12 * (1 + 10 + 2));
        QCOMPARE(text.count(" ; "), 12 * 10 * 24);
        QVERIFY(text.contains("1.0000000000e+02 ; "));
    }

    void exampleGivesTheSameCellsEverywhere_data()
    {
        QTest::addColumn<QString>("list");
        for (const QString &name : exampleLists())
            QTest::newRow(qPrintable(name)) << name;
        QVERIFY(exampleLists().size() >= 3);
    }
    void exampleGivesTheSameCellsEverywhere()
    {
        QFETCH(QString, list);
        const QString path = QStringLiteral(EXAMPLES_DIR "/") + list;
        ProcessListFile file;
        QVERIFY2(file.load(path), qPrintable(file.errorString()));
        QVERIFY(file.materialReport().isEmpty());
        // The runner in this process with one thread, then the command line with two.
        PoolThreads pool(1);
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        runner.setSeed(7);
        runner.setListFolder(QStringLiteral(EXAMPLES_DIR)); // the layouts that lists name lie beside them
        const RunSummary summary = runner.run(file.steps());
        QVERIFY2(summary.succeeded(), qPrintable(summary.failure.name + QLatin1String(": ") + summary.failure.message));
        const TotalVolumePtr expected = runner.target();
        const std::vector<uint32_t> expectedStates = cellStates(*expected);

        const QString output = m_dir.filePath(list + QStringLiteral(".cfw"));
        const BatchResult r = runBatch({path, QStringLiteral("--output"), output, QStringLiteral("--threads"),
                                        QStringLiteral("2"), QStringLiteral("--seed"), QStringLiteral("7")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), file.steps().size());
        const TotalVolumePtr written = documentVolume(output);
        QVERIFY(written);
        QCOMPARE(written->sizeX(), expected->sizeX());
        QCOMPARE(written->sizeZ(), expected->sizeZ());
        QVERIFY(cellStates(*written) == expectedStates);
    }
};

QTEST_GUILESS_MAIN(tst_BatchExports)
#include "tst_batchexports.moc"
