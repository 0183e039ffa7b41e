#include "Core/Formats/cellvolumevtiwriter.h"
#include "Core/Formats/csvdataexporter.h"
#include "Core/Operations/Document/exportdataoperation.h"
#include "Model/Volume/particlecounts.h"
#include "answeringscene.h"
#include "batchlists.h"
#include "filecontents.h"
#include "fulldisk.h"
#include "volumetesthelpers.h"
#include "vtifile.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace Core::Operations;
using Model::Automaton::ParticleCounts;
using Model::Automaton::TotalVolume;

namespace {

// A 2 x 3 x 4 volume whose cell (x, y, z) holds 100 x + 10 y + z particles, spread over two of
// its slots: the sum is what counts.
std::shared_ptr<TotalVolume> countedVolume()
{
    auto volume = makeVolume(2, 3, 4, [](uint32_t, uint32_t, uint32_t) { return 1u; });
    auto counts = std::make_shared<ParticleCounts>(volume->cellCount());
    for (uint32_t x = 0; x < 2; ++x)
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t z = 0; z < 4; ++z) {
                uint32_t *c = counts->cell(volume->index(x, y, z));
                const uint32_t total = 100 * x + 10 * y + z;
                c[z % 7] = total / 2;
                c[6] += total - total / 2;
            }
    ParticleCounts::attach(*volume, ParticleCounts::pTypeName(), counts);
    return volume;
}

const char *const expectedLayout = "X: 0\n"
                                   "0.0000000000e+00 ; 1.0000000000e+00 ; 2.0000000000e+00 ; 3.0000000000e+00 ; \n"
                                   "1.0000000000e+01 ; 1.1000000000e+01 ; 1.2000000000e+01 ; 1.3000000000e+01 ; \n"
                                   "2.0000000000e+01 ; 2.1000000000e+01 ; 2.2000000000e+01 ; 2.3000000000e+01 ; \n"
                                   "\n"
                                   "\n"
                                   "X: 1\n"
                                   "1.0000000000e+02 ; 1.0100000000e+02 ; 1.0200000000e+02 ; 1.0300000000e+02 ; \n"
                                   "1.1000000000e+02 ; 1.1100000000e+02 ; 1.1200000000e+02 ; 1.1300000000e+02 ; \n"
                                   "1.2000000000e+02 ; 1.2100000000e+02 ; 1.2200000000e+02 ; 1.2300000000e+02 ; \n"
                                   "\n"
                                   "\n";

// Every cell a different material: 1 + x + 3y + 6z on 3 by 2 by 4 cells.
uint32_t smallState(uint32_t x, uint32_t y, uint32_t z) { return 1 + x + 3 * y + 6 * z; }

std::shared_ptr<TotalVolume> smallVolume()
{
    return std::make_shared<TotalVolume>(3, 2, 4, 0.5f, 0.25f, 2.0f, Util::Vector3D(-1.5, 2.0, 10.25),
                                         cellStates(*makeVolume(3, 2, 4, smallState)));
}

// Counters of a cell: (x + y + z) in slot 6 and 1 in slot 0, so the sum is x + y + z + 1.
QVector<quint32> particleCounters(const TotalVolume &volume);

// The same counters in the form random-walk doping attaches them.
QVariant dopingCounters(const TotalVolume &volume)
{
    const QVector<quint32> counters = particleCounters(volume);
    auto counts = std::make_shared<ParticleCounts>(volume.cellCount());
    std::copy(counters.begin(), counters.end(), counts->data());
    return QVariant::fromValue(counts);
}

QVector<quint32> particleCounters(const TotalVolume &volume)
{
    QVector<quint32> counters(int(volume.cellCount() * 7), 0);
    for (uint32_t x = 0; x < volume.sizeX(); ++x)
        for (uint32_t y = 0; y < volume.sizeY(); ++y)
            for (uint32_t z = 0; z < volume.sizeZ(); ++z) {
                const int cell = int(volume.index(x, y, z));
                counters[cell * 7] = 1;
                counters[cell * 7 + 6] = x + y + z;
            }
    return counters;
}

} // namespace

class tst_ExportData : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void cleanup() { QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount()); }

    void csvLayoutOfATwoByThreeByFourVolume_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << false << false;
        QTest::newRow("the user's locale does not change the file") << true << false;
        QTest::newRow("an existing file is replaced whole") << false << true;
    }
    void csvLayoutOfATwoByThreeByFourVolume()
    {
        QFETCH(bool, german);
        QFETCH(bool, existing);
        QFile::remove(m_dir.filePath(QStringLiteral("layout.csv")));
        const QString path = existing ? writeFile(m_dir, QStringLiteral("layout.csv"), QByteArray(100000, 'x'))
                                      : m_dir.filePath(QStringLiteral("layout.csv"));
        const QLocale old;
        if (german)
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto volume = countedVolume();
        const int result = CSVDataExporter(path).saveDataToFile(ParticleCounts::pTypeName(),
                                                                volume->field(ParticleCounts::pTypeName()), 2, 3, 4);
        QLocale::setDefault(old);
        QCOMPARE(result, 0);
        QCOMPARE(readFile(path), QByteArray(expectedLayout));
    }

    // Ten digits after the point, rounded, in any locale; counts beyond 32 bits too.
    void csvCountsInScientificNotation()
    {
        const std::vector<std::pair<qulonglong, QByteArray>> cases{{0ull, "0.0000000000e+00"},
                                                                   {99999ull, "9.9999000000e+04"},
                                                                   {4294967295ull, "4.2949672950e+09"},
                                                                   {7ull * 4294967295ull, "3.0064771065e+10"},
                                                                   {12345678901234ull, "1.2345678901e+13"}};
        for (const auto &c : cases)
            QCOMPARE(CSVDataExporter::formatCount(c.first), c.second);
    }

    // A field that holds no particle counts is refused and no file is made.
    void csvRefusesFieldsThatAreNotParticleCounts()
    {
        auto volume = countedVolume();
        volume->setField(QStringLiteral("Colour"), volume->field(ParticleCounts::pTypeName()));
        const QString path = m_dir.filePath(QStringLiteral("colour.csv"));
        CSVDataExporter exporter(path);
        QCOMPARE(exporter.saveDataToFile(QStringLiteral("Colour"), volume->field(QStringLiteral("Colour")), 2, 3, 4),
                 -1);
        QVERIFY2(exporter.errorString().contains(QStringLiteral("not a particle-count field")),
                 qPrintable(exporter.errorString()));
        QVERIFY(!QFile::exists(path));
    }

    // A file that cannot be written is named with the reason; without a data name nothing is written.
    void operationSaysWhyNothingWasSaved()
    {
        AnsweringScene<ExportDataOperation> s(37);
        s.ws.document().addObject(countedVolume());
        QString dataName = ParticleCounts::pTypeName();
        QString path = m_dir.filePath(QStringLiteral("missing/op.csv"));
        int asked = 0;
        s.answer = [&](ExportDataOperation &op) {
            QCOMPARE(s.last(), QStringLiteral("Export Data: Using only cell volume."));
            ++asked;
            if (!dataName.isEmpty())
                op.setDataName(dataName);
            op.setFileName(path);
        };
        s.start();
        const QString notWritten = QStringLiteral("Export Data: \"%1\" was not written: No such file or directory");
        QVERIFY2(s.last().startsWith(notWritten.arg(path)), qPrintable(s.last()));
        dataName.clear();
        path = m_dir.filePath(QStringLiteral("never.csv"));
        s.start();
        QCOMPARE(asked, 2);
        QCOMPARE(s.last(), QStringLiteral("Export Data: Using only cell volume."));
        QVERIFY(!QFile::exists(path));
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(!s.ws.undoRedo().canUndo()); // exports are not undone
    }

    void vtiHeadMaterialsAndParticleCountsInVtkCellOrder_data()
    {
        QTest::addColumn<QVariant>("field");
        auto volume = smallVolume();
        const QVector<quint32> counters = particleCounters(*volume);
        QTest::newRow("random-walk doping's counters") << dopingCounters(*volume);
        QTest::newRow("QVector") << QVariant::fromValue(counters);
        QTest::newRow("std::vector") << QVariant::fromValue(std::vector<uint32_t>(counters.begin(), counters.end()));
        QTest::newRow("QByteArray") << QVariant(
            QByteArray(reinterpret_cast<const char *>(counters.constData()), counters.size() * 4));
    }
    // VTK orders cells with x fastest, the volume with z fastest.
    void vtiHeadMaterialsAndParticleCountsInVtkCellOrder()
    {
        QFETCH(QVariant, field);
        auto volume = smallVolume();
        volume->setField(QStringLiteral("Random Walk Particle Count Type N"), field);
        // Neither a field of the wrong size nor one of another kind is written.
        volume->setField(QStringLiteral("Random Walk Particle Count Type P"), QVariant::fromValue(QVector<quint32>(5)));
        volume->setField(QStringLiteral("Something Else"), QVariant::fromValue(particleCounters(*volume)));
        const QString file = m_dir.filePath(QStringLiteral("cells.vti"));
        QVERIFY(CellVolumeVtiWriter(*volume).write(file));
        VtiFile vti;
        QVERIFY2(vti.read(file), qPrintable(vti.error));
        QVERIFY(vti.head.startsWith(QLatin1String("<?xml version=\"1.0\"?>\n<VTKFile type=\"ImageData\"")));
        // Extents count points: one more than cells along each axis.
        const QStringList attributes{"compressor=vtkZLibDataCompressor",
                                     "header_type=UInt64",
                                     "byte_order=LittleEndian",
                                     "WholeExtent=0 3 0 2 0 4",
                                     "Extent=0 3 0 2 0 4",
                                     "Spacing=0.5 0.25 2",
                                     "Origin=-1.5 2 10.25",
                                     "Scalars=material",
                                     "RangeMin=1",
                                     "RangeMax=24"};
        for (const QString &pair : attributes)
            QCOMPARE(vti.attribute(pair.section('=', 0, 0)), pair.section('=', 1));
        QCOMPARE(vti.arrays.size(), 2);
        const VtiArray *material = vti.array(QStringLiteral("material"));
        const VtiArray *counts = vti.array(QStringLiteral("Random Walk Particle Count Type N"));
        QVERIFY(material && counts);
        QCOMPARE(material->type + ' ' + counts->type, QStringLiteral("UInt32 Float64"));
        QCOMPARE(material->blocks, quint64(1));
        QCOMPARE(material->data.size(), 24 * 4);
        for (uint32_t z = 0; z < 4; ++z)
            for (uint32_t y = 0; y < 2; ++y)
                for (uint32_t x = 0; x < 3; ++x) {
                    QCOMPARE(material->uint32At(x + 3 * (y + 2 * z)), smallState(x, y, z));
                    QCOMPARE(counts->doubleAt(x + 3 * (y + 2 * z)), double(x + y + z + 1));
                }
    }

    void vtiFileDoesNotDependOnTheThreadCount()
    {
        auto volume =
            makeVolume(37, 23, 41, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 5, 15); });
        volume->setField(QStringLiteral("Random Walk Particle Count Type P"),
                         QVariant::fromValue(particleCounters(*volume)));
        for (int threads : {1, 3}) {
            QThreadPool::globalInstance()->setMaxThreadCount(threads);
            QVERIFY(CellVolumeVtiWriter(*volume).write(m_dir.filePath(QStringLiteral("threads%1.vti").arg(threads))));
        }
        QCOMPARE(readFile(m_dir.filePath(QStringLiteral("threads3.vti"))),
                 readFile(m_dir.filePath(QStringLiteral("threads1.vti"))));
        // 37 x 23 x 41 cells of 4 bytes: four whole blocks of 32768 bytes and one of 8492.
        VtiFile vti;
        vti.read(m_dir.filePath(QStringLiteral("threads1.vti")));
        const VtiArray *material = vti.array(QStringLiteral("material"));
        QVERIFY(material);
        QCOMPARE(QVector<quint64>({material->blocks, material->blockSize, material->lastBlockSize}),
                 QVector<quint64>({5, 32768, 8492}));
        for (uint32_t z = 0; z < 41; z += 5)
            for (uint32_t y = 0; y < 23; ++y)
                for (uint32_t x = 0; x < 37; ++x)
                    QCOMPARE(material->uint32At(x + 37 * (y + 23 * z)), patternState(x, y, z, 5, 15));
    }

    // VTK's own reader must find the same cells, spacing and origin as ours, and the counts that
    // random-walk doping left.
    void vtkReadsTheSameCells()
    {
        auto volume = smallVolume();
        volume->setField(ParticleCounts::pTypeName(), dopingCounters(*volume));
        const QString file = m_dir.filePath(QStringLiteral("vtk.vti"));
        QVERIFY(CellVolumeVtiWriter(*volume).write(file));
        bool available = false;
        const QJsonObject read = readWithVtk(file, available);
        if (!available)
            QSKIP("python3-vtk9 is not installed: VTK's own reader was not tried.");
        QVERIFY2(!read.isEmpty(), "VTK could not read the file");
        QCOMPARE(read.value(QStringLiteral("dimensions")).toArray(), (QJsonArray{4, 3, 5}));
        QCOMPARE(read.value(QStringLiteral("spacing")).toArray(), (QJsonArray{0.5, 0.25, 2.0}));
        QCOMPARE(read.value(QStringLiteral("origin")).toArray(), (QJsonArray{-1.5, 2.0, 10.25}));
        QCOMPARE(read.value(QStringLiteral("scalars")).toString(), QStringLiteral("material"));
        const QJsonObject arrays = read.value(QStringLiteral("arrays")).toObject();
        const QJsonObject material = arrays.value(QStringLiteral("material")).toObject();
        QCOMPARE(material.value(QStringLiteral("type")).toString(), QStringLiteral("unsigned int"));
        const QJsonArray states = material.value(QStringLiteral("values")).toArray();
        const QJsonArray counts =
            arrays.value(QStringLiteral("Random Walk Particle Count Type P")).toObject().value("values").toArray();
        QCOMPARE(states.size(), 24);
        QCOMPARE(counts.size(), 24);
        for (uint32_t z = 0; z < 4; ++z)
            for (uint32_t y = 0; y < 2; ++y)
                for (uint32_t x = 0; x < 3; ++x) {
                    QCOMPARE(states.at(int(x + 3 * (y + 2 * z))).toDouble(), double(smallState(x, y, z)));
                    QCOMPARE(counts.at(int(x + 3 * (y + 2 * z))).toDouble(), double(x + y + z + 1));
                }
    }

    // A disk that fills up during an export: the system's reason, the earlier file whole, no temporary file left.
    void exportsOnAFullDiskKeepTheEarlierFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("CSV") << QStringLiteral("out.csv");
        QTest::newRow("VTK image data") << QStringLiteral("out.vti");
    }
    void exportsOnAFullDiskKeepTheEarlierFile()
    {
        QFETCH(QString, name);
        FullDisk disk;
        const QString path = disk.filePath(name);
        QVERIFY(writeFileContents(path, "earlier contents"));
        // Scattered materials and counts on 32^3 cells: more than the disk holds, also when compressed.
        auto volume = makeVolume(32, 32, 32, [](uint32_t x, uint32_t y, uint32_t z) {
            return 1 + (x * 2654435761u ^ y * 40503u ^ z * 2246822519u) % 200;
        });
        auto counts = std::make_shared<ParticleCounts>(volume->cellCount());
        for (size_t i = 0; i < volume->cellCount(); ++i)
            counts->cell(i)[0] = uint32_t(i * 7919);
        ParticleCounts::attach(*volume, ParticleCounts::pTypeName(), counts);
        QString error;
        {
            const auto limit = disk.whileWriting();
            if (name.endsWith(QLatin1String(".csv"))) {
                CSVDataExporter exporter(path);
                QCOMPARE(exporter.saveDataToFile(ParticleCounts::pTypeName(),
                                                 volume->field(ParticleCounts::pTypeName()), 32, 32, 32),
                         -1);
                error = exporter.errorString();
            } else {
                QVERIFY(!CellVolumeVtiWriter(*volume).write(path, &error));
            }
        }
        QVERIFY2(error.contains(disk.reason()), qPrintable(error));
        QCOMPARE(readFile(path), QByteArray("earlier contents"));
        QCOMPARE(disk.entries(), QStringList{name});
    }

    void vtiUnwritableFilesGiveAClearError_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        // A folder and a missing folder are refused in tst_batchexports (outputsThatCannotBeWrittenFail).
        QTest::newRow("below a regular file") << m_dir.filePath(QStringLiteral("kept.vti/inside.vti")) << "";
        QTest::newRow("a device") << QStringLiteral("/dev/null") << "is not a regular file";
    }
    void vtiUnwritableFilesGiveAClearError()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        const QString kept = writeFile(m_dir, QStringLiteral("kept.vti"), "earlier contents");
        QString error;
        QVERIFY(!CellVolumeVtiWriter(*smallVolume()).write(fileName, &error));
        QVERIFY2(error.startsWith(QStringLiteral("The cell volume could not be exported to \"%1\": ").arg(fileName)),
                 qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(error.endsWith(QLatin1String("Any earlier file of that name is unchanged.")));
        QCOMPARE(readFile(kept), QByteArray("earlier contents"));
    }
};

QTEST_GUILESS_MAIN(tst_ExportData)
#include "tst_exportdata.moc"
