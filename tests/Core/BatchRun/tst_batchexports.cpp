// What cellforge-batch writes beside the document: surfaces, netlists and data fields, and outputs
// it cannot write.
#include "Model/Automaton/particlecounts.h"
#include "Model/Materials/materialfactory.h"
#include "batchlists.h"
#include "batchprocess.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "meshchecks.h"
#include "meshreader.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using CantileverScenes::Beam;
using Model::Automaton::ParticleCounts;

namespace {

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

std::vector<MeshChecks::Tri> onLattice(const MeshReader::Stl &stl)
{
    return MeshReader::onLattice<MeshChecks::Tri>(stl, {0, 0, 0}, {1, 1, 1});
}

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

    // A device, pipe or folder is never replaced by a regular file, and the run is refused before
    // it starts; a missing folder is found when the file is written.
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
        row("document to a device", output, "device", "is not a regular file");
        row("document to a link to a device", output, "link", "is not a regular file");
        row("document to a folder", output, "folder", "The document could not be saved to");
        row("document in a missing folder", output, "missing", "The document could not be saved to");
        row("image data to a folder", vti, "folder", "is a folder, not a file.");
        row("image data in a missing folder", vti, "missing", "The cell volume could not be exported to");
        row("surface to a folder", surface, "folder", "The surface could not be exported to");
        row("surface in a missing folder", surface, "missing", "The surface could not be exported to");
        row("netlist to a folder", netlist, "folder", "The netlist could not be saved to");
        row("netlist in a missing folder", netlist, "missing", "The netlist could not be saved to");
        row("field to a folder", csv, "folder", "is a folder, not a file.");
        row("field in a missing folder", csv, "missing", "No such file or directory");
        row("field the volume lacks", {"--export-csv", ParticleCounts::nTypeName()}, "missing",
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
        const QString target = dir.filePath(kind == QLatin1String("missing") ? QStringLiteral("no/out") + extension
                                                                             : QStringLiteral("target") + extension);
        const QByteArray node = QFile::encodeName(target);
        mode_t type = S_IFIFO;
        if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(node.constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QFileInfo(target).fileName()));
            type = S_IFDIR;
        } else if (kind != QLatin1String("missing")) {
            // A private copy of /dev/null's device number: the real one is never put at risk.
            const QByteArray device = kind == QLatin1String("link") ? node + ".dev" : node;
            if (::mknod(device.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                QSKIP("Device nodes can be made only with root rights.");
            if (kind == QLatin1String("link"))
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
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.startsWith(QLatin1String("cellforge-batch: ")));
        if (kind == QLatin1String("missing")) {
            QVERIFY(!r.out.isEmpty()); // found when the file is written, after the run
            QVERIFY(!QFileInfo::exists(target));
        } else {
            QVERIFY(r.out.isEmpty()); // refused before the first step ran
            struct stat status;
            QCOMPARE(::stat(node.constData(), &status), 0);
            QCOMPARE(status.st_mode & S_IFMT, type);
        }
    }

    // The writers themselves are tested with the surface export; here the options choose them.
    void surfaceOfTheChosenKindIsWritten_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("file");
        QTest::newRow("cubic") << QStringList{"--surface", "cubic"} << "cubic.stl";
        QTest::newRow("marching cubes") << QStringList{"--surface", "marching-cubes"} << "marching-cubes.stl";
        QTest::newRow("octree") << QStringList{"--surface", "octree"} << "octree.stl";
        QTest::newRow("cubic by default, as PLY") << QStringList() << "default.ply";
    }
    void surfaceOfTheChosenKindIsWritten()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, file);
        const QString out = m_dir.filePath(file);
        const BatchResult r = runBatch(QStringList{m_slab, QStringLiteral("--export-surface"), out} + options);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        // The 8 x 8 x 3 slab: 2 * 64 + 4 * 24 unit faces, two triangles each.
        const size_t cubicTriangles = 2 * (128 + 96);
        if (file.endsWith(QLatin1String(".ply"))) {
            QCOMPARE(MeshReader::readPly(out).faces.size(), cubicTriangles);
            return;
        }
        const auto stl = MeshReader::readStl(out);
        QVERIFY(stl.ok);
        if (file.startsWith(QLatin1String("cubic")))
            QCOMPARE(stl.triangles.size(), cubicTriangles);
        if (file.startsWith(QLatin1String("octree")))
            QVERIFY(stl.triangles.size() < cubicTriangles);
        if (!file.startsWith(QLatin1String("marching"))) {
            QVERIFY(std::fabs(enclosed(stl) - 192.0) < 1e-9);
            return;
        }
        // The lower layers of the volume count as empty: corners 1..3 up, 1..7 across, so the
        // surface lies within 0.5 .. 7.5 and 0.5 .. 3.5.
        QVERIFY(MeshChecks::closedAndOriented(onLattice(stl)));
        for (const auto &t : stl.triangles)
            for (const auto &c : t.corners)
                QVERIFY(c[0] >= 0.5f && c[0] <= 7.5f && c[2] >= 0.5f && c[2] <= 3.5f);
    }

    void netlistOfADocumentsCantilever_data()
    {
        QTest::addColumn<QString>("scene");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("netlist");
        // Aluminium 20 x 4 x 2 cells at the default edge: the values worked out in tst_modelextraction.
        QTest::newRow("released beam")
            << "20" << QStringList() << 0
            << "Model extracted by Cellforge\nc1 1 0 2.03789e-12 \nl1 1 0 0.00526176 \n.end \n";
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
        auto volume = scene == QLatin1String("20")   ? CantileverScenes::block({Beam{4, 20, 4, 2}})
                      : scene == QLatin1String("30") ? CantileverScenes::block({Beam{4, 30, 4, 3}})
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

    void exampleCantileverGivesItsBeamAndAClosedSurface()
    {
        // examples/released_cantilever.plst releases a poly-silicon beam 50 x 10 x 6 cells. Its values
        // at the default edge a, with the catalogue's 2329 kg/m^3 and 1.88e11 Pa:
        const QString netlist = m_dir.filePath(QStringLiteral("example.cir"));
        const QString mesh = m_dir.filePath(QStringLiteral("example.stl"));
        const BatchResult r =
            runBatch({QStringLiteral(EXAMPLES_DIR "/released_cantilever.plst"), QStringLiteral("--netlist"), netlist,
                      QStringLiteral("--export-surface"), mesh});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const double a = std::cbrt(2.00129819772e-17);
        const double m = 50 * 10 * 6 * a * a * a * 2329.0 * 33.0 / 140.0;
        const double k = 3 * 1.88e11 * (10 * a * std::pow(6 * a, 3) / 12) / std::pow(50 * a, 3);
        QCOMPARE(QString::fromUtf8(readFile(netlist)),
                 QStringLiteral("Model extracted by Cellforge\nc1 1 0 %1 \nl1 1 0 %2 \n.end \n")
                     .arg(m, 0, 'g', 6)
                     .arg(1.0 / k, 0, 'g', 6));
        const auto stl = MeshReader::readStl(mesh);
        QVERIFY(stl.ok);
        QVERIFY(stl.triangles.size() > 1000);
        QVERIFY(MeshChecks::watertight(onLattice(stl)));
        QVERIFY(MeshChecks::closedAndOriented(onLattice(stl)));
        QVERIFY(enclosed(stl) > 0);
    }

    void fieldIsExportedTheSameForAnyThreadCount()
    {
        QByteArray first;
        for (const char *threads : {"1", "2"}) {
            const QString csv = m_dir.filePath(QStringLiteral("walk-%1.csv").arg(QLatin1String(threads)));
            const BatchResult r =
                runBatch({m_walk, QStringLiteral("--seed"), QStringLiteral("11"), QStringLiteral("--threads"),
                          QLatin1String(threads), QStringLiteral("--export-csv"), ParticleCounts::pTypeName(), csv});
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
            const QByteArray text = readFile(csv);
            QVERIFY(text.startsWith("X: 0\n"));
            // 12 blocks of a heading, 10 rows and two empty lines.
            QCOMPARE(text.count('\n'), 12 * (1 + 10 + 2));
            QCOMPARE(text.count(" ; "), 12 * 10 * 24);
            // The surface cells hold 100 particles.
            QVERIFY(text.contains("1.0000000000e+02 ; "));
            if (first.isEmpty())
                first = text;
            QVERIFY(text == first);
        }
    }
};

QTEST_GUILESS_MAIN(tst_BatchExports)
#include "tst_batchexports.moc"
