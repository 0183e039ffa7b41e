#include "Model/Automaton/surfacemesh.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/surfacemeshfile.h"
#include "catalogtesthome.h"
#include "meshreader.h"

#include <QTemporaryDir>
#include <QtTest>

#include <set>

using Model::Automaton::SurfaceMesh;
using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Persistence::SurfaceMeshFile;

namespace {

enum : uint32_t { Red = 121, Blue = 122 };

// The shown (cubic) surface of a volume as a mesh.
SurfaceMesh meshOf(TotalVolume &volume)
{
    volume.painter().regenerateSurface();
    const float cellSize[3] = {volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()};
    SurfaceMesh mesh(cellSize, volume.position());
    volume.painter().appendShownSurface(mesh);
    return mesh;
}

} // namespace

class tst_SurfaceMeshFile : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        MaterialFactory::instance()->setMaterial(Material(Red, "Mesh red", 1, 1, 0.1f, {1.0f, 0.0f, 0.0f, 1.0f}));
        MaterialFactory::instance()->setMaterial(Material(Blue, "Mesh blue", 1, 1, 0.1f, {0.2f, 0.4f, 1.0f, 1.0f}));
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("reason"); // empty: written
        const int stl = int(SurfaceMeshFile::Format::Stl), ply = int(SurfaceMeshFile::Format::Ply);
        const int unknown = int(SurfaceMeshFile::Format::Unknown);
        QTest::newRow("STL in capitals") << "PART.STL" << stl << QString();
        QTest::newRow("ply") << "dir.v2/part.ply" << ply << QString();
        QTest::newRow("obj") << "part.obj" << unknown << "must end in .stl (binary STL) or .ply";
        QTest::newRow("a folder") << "folder.stl" << stl << "is a folder, not a file";
    }

    void fileNames()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(QString, reason);
        QCOMPARE(int(SurfaceMeshFile::formatOf(name)), format);
        QDir(m_dir.path()).mkpath(QStringLiteral("folder.stl"));
        QDir(m_dir.path()).mkpath(QStringLiteral("dir.v2"));
        TotalVolume volume(1, 1, 1, 1, 1, 1, Util::Vector3D(), Red);
        const SurfaceMesh mesh = meshOf(volume);
        const QString file = m_dir.filePath(name);
        QString error;
        QCOMPARE(SurfaceMeshFile::write({&mesh}, file, &error), reason.isEmpty());
        if (reason.isEmpty()) {
            QVERIFY(format == int(SurfaceMeshFile::Format::Stl) ? MeshReader::readStl(file).ok
                                                                : MeshReader::readPly(file).ok);
            return;
        }
        QVERIFY2(error.startsWith(QStringLiteral("The surface could not be exported to \"%1\": ").arg(file)),
                 qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("folder.stl"))).isDir());
    }

    void stlHoldsTheCellInWorldUnits()
    {
        // One cell at (1, 0, 0), cells 2 x 0.5 x 1, the volume at (10, 20, 30): the cell spans
        // x 12..14, y 20..20.5, z 30..31 and gives six faces of two triangles.
        std::vector<uint32_t> states(12, 0u);
        states[4] = Red; // (1 * 2 + 0) * 2 + 0
        TotalVolume volume(3, 2, 2, 2.0f, 0.5f, 1.0f, Util::Vector3D(10, 20, 30), states);
        const SurfaceMesh mesh = meshOf(volume);
        // A longer file of that name is replaced whole.
        const QString file = m_dir.filePath(QStringLiteral("cell.stl"));
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(QByteArray(10000, 'x')) == 10000);
        earlier.close();
        QString error;
        QVERIFY2(SurfaceMeshFile::write({&mesh}, file, &error), qPrintable(error));
        QCOMPARE(QFileInfo(file).size(), qint64(84 + 12 * 50));
        const auto stl = MeshReader::readStl(file);
        QVERIFY(stl.ok);
        QVERIFY(!stl.header.startsWith("solid"));
        QCOMPARE(stl.triangles.size(), size_t(12));
        const std::set<float> xs{12, 14}, ys{20, 20.5f}, zs{30, 31};
        std::array<int, 6> perNormal{};
        for (const auto &t : stl.triangles) {
            for (const auto &c : t.corners)
                QVERIFY(xs.count(c[0]) && ys.count(c[1]) && zs.count(c[2]));
            // A unit normal along an axis (outward: it agrees with the corners' order, see below).
            int axis = -1;
            for (int i = 0; i < 3; ++i) {
                if (std::fabs(t.normal[i]) == 1.0f)
                    axis = i;
            }
            QVERIFY(axis >= 0);
            ++perNormal[2 * axis + (t.normal[axis] > 0)];
            // The stored normal agrees with the corners' order.
            const auto &a = t.corners[0];
            const auto &b = t.corners[1];
            const auto &c = t.corners[2];
            const float n[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                                (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                                (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
            QVERIFY(n[0] * t.normal[0] + n[1] * t.normal[1] + n[2] * t.normal[2] > 0);
        }
        QCOMPARE(perNormal, (std::array<int, 6>{2, 2, 2, 2, 2, 2}));
    }

    void plySharesVerticesAndColoursFaces()
    {
        // Two cells of different materials side by side: ten faces, twenty triangles, and the
        // twelve corners of the 2 x 1 x 1 box shared among them. A second volume at x = 5 follows.
        TotalVolume volume(2, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{Red, Blue});
        TotalVolume second(1, 1, 1, 1, 1, 1, Util::Vector3D(5, 0, 0), Blue);
        const SurfaceMesh mesh = meshOf(volume);
        const SurfaceMesh secondMesh = meshOf(second);
        QCOMPARE(mesh.vertexCount(), size_t(12));
        const QString file = m_dir.filePath(QStringLiteral("pair.ply"));
        QString error;
        QVERIFY2(SurfaceMeshFile::write({&mesh, &secondMesh}, file, &error), qPrintable(error));
        const auto ply = MeshReader::readPly(file);
        QVERIFY(ply.ok);
        QVERIFY(ply.headerLines.contains("format binary_little_endian 1.0"));
        QVERIFY(ply.headerLines.contains("property uchar red"));
        QCOMPARE(ply.vertices.size(), size_t(12 + 8));
        QCOMPARE(ply.faces.size(), size_t(20 + 12));
        int red = 0;
        for (size_t f = 0; f < ply.faces.size(); ++f) {
            float x = 0;
            for (int v : ply.faces[f]) {
                QVERIFY(f < 20 ? v >= 0 && v < 12 : v >= 12 && v < 20);
                x += ply.vertices[size_t(v)][0];
            }
            // Faces of the first cell lie at x <= 1, of the second at x >= 1, of the other volume at x >= 5.
            const bool isRed = ply.colors[f] == std::array<uint8_t, 3>{255, 0, 0};
            red += isRed ? 1 : 0;
            QVERIFY(isRed || ply.colors[f] == (std::array<uint8_t, 3>{51, 102, 255}));
            QVERIFY(isRed ? x <= 3 : x >= (f < 20 ? 3 : 15));
        }
        QCOMPARE(red, 10);
    }

    void coordinatesBeyondTheLatticeAreRefused()
    {
        // 21 bits of half cells an axis: a face a million and a half cells out does not fit.
        const float cellSize[3] = {1, 1, 1};
        SurfaceMesh mesh(cellSize, Util::Vector3D());
        mesh.addFace(Model::Geometry::CellFace(1000000, 0, 0, 1, 0), SurfaceMesh::Rgb{0, 0, 0});
        QCOMPARE(mesh.triangleCount(), size_t(2));
        QVERIFY_EXCEPTION_THROWN(
            mesh.addFace(Model::Geometry::CellFace(1500000, 0, 0, 1, 0), SurfaceMesh::Rgb{0, 0, 0}), std::length_error);
    }
};

QTEST_GUILESS_MAIN(tst_SurfaceMeshFile)
#include "tst_surfacemeshfile.moc"
