// cellforge-batch --export-surface: the surface of the first volume written after the list ran.
#include "Core/BatchRun/batchcommand.h"
#include "batchprocess.h"
#include "meshchecks.h"
#include "meshreader.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Core::BatchRun::BatchCommand;

namespace {

// An 8 x 8 x 8 volume with silicon 3 cells high.
QByteArray substrateList(const QByteArray &more = QByteArray())
{
    return "<?xml version=\"1.0\"?>\n<Process-List version=\"1\">\n<Materials>\n<Material version=\"1\" name=\"Si\" "
           "material-id=\"1\" density=\"2329\" color=\"#FF7F7F7F\"/>\n</Materials>\n"
           "<Process-Data process-type=\"11\">"
           "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/>"
           "<Parameter parameter-name=\"Lower Left Front Corner\" parameter-type=\"Util::Vector3D\" "
           "parameter-data=\"0;0;0\"/>"
           "<Parameter parameter-name=\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"8\"/>"
           "<Parameter parameter-name=\"Volume Size Y\" parameter-type=\"uint\" parameter-data=\"8\"/>"
           "<Parameter parameter-name=\"Volume Size Z\" parameter-type=\"uint\" parameter-data=\"8\"/>"
           "<Parameter parameter-name=\"SphericalSubstrate\" parameter-type=\"bool\" parameter-data=\"false\"/>"
           "<Parameter parameter-name=\"Substrate Size X\" parameter-type=\"uint\" parameter-data=\"8\"/>"
           "<Parameter parameter-name=\"Substrate Size Y\" parameter-type=\"uint\" parameter-data=\"8\"/>"
           "<Parameter parameter-name=\"Substrate Size Z\" parameter-type=\"uint\" parameter-data=\"3\"/>"
           "<Parameter parameter-name=\"Substrate Delta X\" parameter-type=\"uint\" parameter-data=\"0\"/>"
           "<Parameter parameter-name=\"Substrate Delta Y\" parameter-type=\"uint\" parameter-data=\"0\"/>"
           "<Parameter parameter-name=\"Substrate Delta Z\" parameter-type=\"uint\" parameter-data=\"0\"/>"
           "</Process-Data>\n" +
           more + "</Process-List>\n";
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

class tst_BatchSurfaceExport : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString writeList(const QString &name, const QByteArray &text)
    {
        QFile file(m_dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return file.fileName();
    }

private slots:
    void optionsAreParsed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("algorithm");
        QTest::newRow("stl") << QStringList{"a.plst", "--export-surface", "o.stl"} << true << "o.stl" << -1;
        QTest::newRow("ply with octree") << QStringList{"a.plst", "--surface", "octree", "--export-surface", "o.PLY"}
                                         << true << "o.PLY" << 2;
        QTest::newRow("marching cubes") << QStringList{"a.plst", "--export-surface", "o.stl", "--surface",
                                                       "marching-cubes"}
                                        << true << "o.stl" << 1;
        QTest::newRow("cubic") << QStringList{"a.plst", "--export-surface", "o.stl", "--surface", "cubic"} << true
                               << "o.stl" << 0;
        QTest::newRow("other format") << QStringList{"a.plst", "--export-surface", "o.obj"} << false << "" << -1;
        QTest::newRow("no extension") << QStringList{"a.plst", "--export-surface", "o"} << false << "" << -1;
        QTest::newRow("unknown surface") << QStringList{"a.plst", "--export-surface", "o.stl", "--surface", "field"}
                                         << false << "" << -1;
        QTest::newRow("surface alone") << QStringList{"a.plst", "--surface", "octree"} << false << "" << -1;
        QTest::newRow("twice") << QStringList{"a.plst", "--export-surface", "a.stl", "--export-surface", "b.stl"}
                               << false << "" << -1;
        QTest::newRow("no value") << QStringList{"a.plst", "--export-surface"} << false << "" << -1;
        QTest::newRow("beside a netlist")
            << QStringList{"a.plst", "--netlist", "n.cir", "--export-surface", "o.stl"} << true << "o.stl" << -1;
    }
    void optionsAreParsed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, ok);
        BatchCommand::Options options;
        QString error;
        QCOMPARE(BatchCommand::parse(arguments, options, &error), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (!ok)
            return;
        QTEST(options.surfaceFile, "file");
        QTEST(options.surfaceAlgorithm, "algorithm");
    }

    void usageNamesTheOptions()
    {
        QVERIFY(BatchCommand::usage().contains(QStringLiteral("--export-surface OUT.stl|OUT.ply")));
        QVERIFY(BatchCommand::usage().contains(QStringLiteral("--surface cubic|marching-cubes|octree")));
    }

    void eachSurfaceIsWritten_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::newRow("cubic") << "cubic";
        QTest::newRow("marching cubes") << "marching-cubes";
        QTest::newRow("octree") << "octree";
    }
    void eachSurfaceIsWritten()
    {
        QFETCH(QString, surface);
        const QString list = writeList(QStringLiteral("slab.plst"), substrateList());
        const QString out = m_dir.filePath(surface + QStringLiteral(".stl"));
        const BatchResult r =
            runBatch({list, QStringLiteral("--export-surface"), out, QStringLiteral("--surface"), surface});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        const auto stl = MeshReader::readStl(out);
        QVERIFY(stl.ok);
        const auto lattice = MeshReader::onLattice<MeshChecks::Tri>(stl, {0, 0, 0}, {1, 1, 1});
        QVERIFY(MeshChecks::closedAndOriented(lattice) || surface == QLatin1String("octree"));
        if (surface == QLatin1String("cubic")) {
            // The 8 x 8 x 3 slab: 2 * 64 + 4 * 24 unit faces, two triangles each.
            QCOMPARE(stl.triangles.size(), size_t(2 * (128 + 96)));
            QVERIFY(MeshChecks::watertight(lattice));
        }
        if (surface != QLatin1String("marching-cubes")) {
            QVERIFY(std::fabs(enclosed(stl) - 192.0) < 1e-9);
        } else {
            // The lower layers of the volume count as empty: corners 1..3 up, 1..7 across, so
            // the surface lies within 0.5 .. 7.5 and 0.5 .. 3.5.
            for (const auto &t : stl.triangles)
                for (const auto &c : t.corners)
                    QVERIFY(c[0] >= 0.5f && c[0] <= 7.5f && c[2] >= 0.5f && c[2] <= 3.5f);
        }
        if (surface == QLatin1String("octree"))
            QVERIFY(stl.triangles.size() < size_t(2 * (128 + 96)));
    }

    void plyIsWrittenWithColours()
    {
        const QString list = writeList(QStringLiteral("slab.plst"), substrateList());
        const QString out = m_dir.filePath(QStringLiteral("slab.ply"));
        QCOMPARE(runBatch({list, QStringLiteral("--export-surface"), out}).exitCode, 0);
        const auto ply = MeshReader::readPly(out);
        QVERIFY(ply.ok);
        QCOMPARE(ply.faces.size(), size_t(2 * (128 + 96)));
        // Every corner of the slab's unit faces, shared: the 9 x 9 x 4 lattice points on its outside.
        QCOMPARE(ply.vertices.size(), size_t(9 * 9 * 4 - 7 * 7 * 2));
        for (const auto &color : ply.colors)
            QCOMPARE(color, (std::array<uint8_t, 3>{127, 127, 127}));
    }

    void anUnwritableFileStopsTheRunBeforeItStarts()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("taken.stl"));
        const QString list = writeList(QStringLiteral("slab.plst"), substrateList());
        const BatchResult r =
            runBatch({list, QStringLiteral("--export-surface"), m_dir.filePath(QStringLiteral("taken.stl"))});
        QCOMPARE(r.exitCode, 4);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(QStringLiteral("could not be exported")) &&
                     r.err.contains(QStringLiteral("is a folder")),
                 qPrintable(r.err));
    }

    void aBadExtensionIsAUsageError()
    {
        const QString list = writeList(QStringLiteral("slab.plst"), substrateList());
        const BatchResult r =
            runBatch({list, QStringLiteral("--export-surface"), m_dir.filePath(QStringLiteral("a.obj"))});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(QStringLiteral("ending in .stl or .ply")), qPrintable(r.err));
    }

    void anExampleExportsAWatertightBody()
    {
        const QString out = m_dir.filePath(QStringLiteral("trench.stl"));
        const BatchResult r = runBatch(
            {QStringLiteral(EXAMPLES_DIR "/trench_with_conformal_film.plst"), QStringLiteral("--export-surface"), out});
        QCOMPARE(r.exitCode, 0);
        const auto stl = MeshReader::readStl(out);
        QVERIFY(stl.ok);
        QVERIFY(stl.triangles.size() > 1000);
        const auto lattice = MeshReader::onLattice<MeshChecks::Tri>(stl, {0, 0, 0}, {1, 1, 1});
        QVERIFY(MeshChecks::watertight(lattice));
        QVERIFY(MeshChecks::closedAndOriented(lattice));
        QVERIFY(enclosed(stl) > 0);
    }

    void aNetlistAndASurfaceComeFromOneRun()
    {
        const QString mesh = m_dir.filePath(QStringLiteral("cantilever.stl"));
        const QString netlist = m_dir.filePath(QStringLiteral("cantilever.cir"));
        const BatchResult r =
            runBatch({QStringLiteral(EXAMPLES_DIR "/released_cantilever.plst"), QStringLiteral("--export-surface"),
                      mesh, QStringLiteral("--netlist"), netlist});
        QCOMPARE(r.exitCode, 0);
        const auto stl = MeshReader::readStl(mesh);
        QVERIFY(stl.ok);
        QVERIFY(MeshChecks::watertight(MeshReader::onLattice<MeshChecks::Tri>(stl, {0, 0, 0}, {1, 1, 1})));
        QFile cir(netlist);
        QVERIFY(cir.open(QIODevice::ReadOnly));
        QVERIFY(cir.readAll().contains(".end"));
    }
};

QTEST_GUILESS_MAIN(tst_BatchSurfaceExport)
#include "tst_batchsurfaceexport.moc"
