#include "Core/Operations/ExportData/cellvolumevtiwriter.h"
#include "vtifile.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

using Core::Operations::CellVolumeVtiWriter;
using Model::Automaton::TotalVolume;

namespace {

// Every cell a different material: 1 + x + 3y + 6z on 3 by 2 by 4 cells.
uint32_t smallState(uint32_t x, uint32_t y, uint32_t z) { return 1 + x + 3 * y + 6 * z; }

std::shared_ptr<TotalVolume> smallVolume()
{
    std::vector<uint32_t> states(3 * 2 * 4);
    for (uint32_t x = 0; x < 3; ++x)
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t z = 0; z < 4; ++z)
                states[(x * 2 + y) * 4 + z] = smallState(x, y, z);
    return std::make_shared<TotalVolume>(3, 2, 4, 0.5f, 0.25f, 2.0f, Util::Vector3D(-1.5, 2.0, 10.25), states);
}

// Counters of a cell: (x + y + z) in slot 6 and 1 in slot 0, so the sum is x + y + z + 1.
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

QByteArray fileBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_CellVolumeVtiWriter : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount()); }

    void headDescribesTheImage()
    {
        auto volume = smallVolume();
        const QString file = m_dir.filePath(QStringLiteral("head.vti"));
        QVERIFY(CellVolumeVtiWriter(*volume).write(file));
        VtiFile vti;
        QVERIFY2(vti.read(file), qPrintable(vti.error));
        QVERIFY(vti.head.startsWith(QLatin1String("<?xml version=\"1.0\"?>\n<VTKFile type=\"ImageData\"")));
        QCOMPARE(vti.attribute(QStringLiteral("compressor")), QStringLiteral("vtkZLibDataCompressor"));
        QCOMPARE(vti.attribute(QStringLiteral("header_type")), QStringLiteral("UInt64"));
        QCOMPARE(vti.attribute(QStringLiteral("byte_order")), QStringLiteral("LittleEndian"));
        // Extents count points: one more than cells along each axis.
        QCOMPARE(vti.attribute(QStringLiteral("WholeExtent")), QStringLiteral("0 3 0 2 0 4"));
        QCOMPARE(vti.attribute(QStringLiteral("Extent")), QStringLiteral("0 3 0 2 0 4"));
        QCOMPARE(vti.attribute(QStringLiteral("Spacing")), QStringLiteral("0.5 0.25 2"));
        QCOMPARE(vti.attribute(QStringLiteral("Origin")), QStringLiteral("-1.5 2 10.25"));
        QCOMPARE(vti.attribute(QStringLiteral("Scalars")), QStringLiteral("material"));
        QCOMPARE(vti.attribute(QStringLiteral("RangeMin")), QStringLiteral("1"));
        QCOMPARE(vti.attribute(QStringLiteral("RangeMax")), QStringLiteral("24"));
    }

    // VTK orders cells with x fastest, the volume with z fastest.
    void materialsAreWrittenInVtkCellOrder()
    {
        auto volume = smallVolume();
        const QString file = m_dir.filePath(QStringLiteral("order.vti"));
        QVERIFY(CellVolumeVtiWriter(*volume).write(file));
        VtiFile vti;
        QVERIFY2(vti.read(file), qPrintable(vti.error));
        QCOMPARE(vti.arrays.size(), 1);
        const VtiArray &material = vti.arrays.first();
        QCOMPARE(material.name, QStringLiteral("material"));
        QCOMPARE(material.type, QStringLiteral("UInt32"));
        QCOMPARE(material.blocks, quint64(1));
        QCOMPARE(material.lastBlockSize, quint64(24 * 4));
        QCOMPARE(material.data.size(), 24 * 4);
        // The first cells: (0,0,0) (1,0,0) (2,0,0) (0,1,0) ...; cell (1, 1, 2) is number 1 + 3 + 12.
        QCOMPARE(material.uint32At(0), 1u);
        QCOMPARE(material.uint32At(1), 2u);
        QCOMPARE(material.uint32At(3), 4u);
        QCOMPARE(material.uint32At(6), 7u);
        QCOMPARE(material.uint32At(16), smallState(1, 1, 2));
        for (uint32_t z = 0; z < 4; ++z)
            for (uint32_t y = 0; y < 2; ++y)
                for (uint32_t x = 0; x < 3; ++x)
                    QCOMPARE(material.uint32At(x + 3 * (y + 2 * z)), smallState(x, y, z));
    }

    void largeArraysAreSplitIntoBlocks()
    {
        // 40 x 30 x 20 cells of 4 bytes: two whole blocks of 32768 bytes and one of 30464.
        auto volume = std::make_shared<TotalVolume>(40, 30, 20, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 0u);
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); ++i)
                lock.cells()[i].setState(uint32_t(i % 7));
        }
        const QString file = m_dir.filePath(QStringLiteral("blocks.vti"));
        QVERIFY(CellVolumeVtiWriter(*volume).write(file));
        VtiFile vti;
        QVERIFY2(vti.read(file), qPrintable(vti.error));
        const VtiArray &material = vti.arrays.first();
        QCOMPARE(material.blocks, quint64(3));
        QCOMPARE(material.blockSize, quint64(32768));
        QCOMPARE(material.lastBlockSize, quint64(30464));
        for (uint32_t z = 0; z < 20; ++z)
            for (uint32_t y = 0; y < 30; ++y)
                for (uint32_t x = 0; x < 40; ++x)
                    QCOMPARE(material.uint32At(x + 40 * (y + 30 * z)), uint32_t(volume->index(x, y, z) % 7));
    }

    void particleCountFieldsBecomeCellData_data()
    {
        QTest::addColumn<QVariant>("field");
        auto volume = smallVolume();
        const QVector<quint32> counters = particleCounters(*volume);
        QTest::newRow("QVector") << QVariant::fromValue(counters);
        QTest::newRow("std::vector") << QVariant::fromValue(std::vector<uint32_t>(counters.begin(), counters.end()));
        QTest::newRow("QByteArray") << QVariant(
            QByteArray(reinterpret_cast<const char *>(counters.constData()), counters.size() * 4));
    }
    void particleCountFieldsBecomeCellData()
    {
        QFETCH(QVariant, field);
        auto volume = smallVolume();
        volume->setField(QStringLiteral("Random Walk Particle Count Type N"), field);
        // Neither a field of the wrong size nor one of another kind is written.
        volume->setField(QStringLiteral("Random Walk Particle Count Type P"), QVariant::fromValue(QVector<quint32>(5)));
        volume->setField(QStringLiteral("Something Else"), QVariant::fromValue(particleCounters(*volume)));
        const QString file = m_dir.filePath(QStringLiteral("fields.vti"));
        QVERIFY(CellVolumeVtiWriter(*volume).write(file));
        VtiFile vti;
        QVERIFY2(vti.read(file), qPrintable(vti.error));
        QCOMPARE(vti.arrays.size(), 2);
        const VtiArray *counts = vti.array(QStringLiteral("Random Walk Particle Count Type N"));
        QVERIFY(counts);
        QCOMPARE(counts->type, QStringLiteral("Float64"));
        for (uint32_t z = 0; z < 4; ++z)
            for (uint32_t y = 0; y < 2; ++y)
                for (uint32_t x = 0; x < 3; ++x)
                    QCOMPARE(counts->doubleAt(x + 3 * (y + 2 * z)), double(x + y + z + 1));
        QVERIFY(vti.array(QStringLiteral("material")));
    }

    void fileDoesNotDependOnTheThreadCount()
    {
        auto volume = std::make_shared<TotalVolume>(37, 23, 41, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 0u);
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); ++i)
                lock.cells()[i].setState(uint32_t((i * 2654435761u) >> 28));
        }
        volume->setField(QStringLiteral("Random Walk Particle Count Type P"),
                         QVariant::fromValue(particleCounters(*volume)));
        QByteArray first;
        for (int threads : {1, 2, 3, 5}) {
            QThreadPool::globalInstance()->setMaxThreadCount(threads);
            const QString file = m_dir.filePath(QStringLiteral("threads%1.vti").arg(threads));
            QVERIFY(CellVolumeVtiWriter(*volume).write(file));
            const QByteArray bytes = fileBytes(file);
            QVERIFY(!bytes.isEmpty());
            if (first.isEmpty())
                first = bytes;
            QCOMPARE(bytes, first);
        }
    }

    void vtkReadsTheSameCells()
    {
        auto volume = smallVolume();
        volume->setField(QStringLiteral("Random Walk Particle Count Type P"),
                         QVariant::fromValue(particleCounters(*volume)));
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
        const QJsonArray counts = arrays.value(QStringLiteral("Random Walk Particle Count Type P"))
                                      .toObject()
                                      .value(QStringLiteral("values"))
                                      .toArray();
        QCOMPARE(states.size(), 24);
        QCOMPARE(counts.size(), 24);
        for (uint32_t z = 0; z < 4; ++z)
            for (uint32_t y = 0; y < 2; ++y)
                for (uint32_t x = 0; x < 3; ++x) {
                    const int i = int(x + 3 * (y + 2 * z));
                    QCOMPARE(states.at(i).toDouble(), double(smallState(x, y, z)));
                    QCOMPARE(counts.at(i).toDouble(), double(x + y + z + 1));
                }
    }

    void unwritableFilesGiveAClearError_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("no/such/folder/out.vti")) << "";
        QTest::newRow("a folder") << m_dir.path() << "is a folder, not a file.";
        QTest::newRow("a device") << QStringLiteral("/dev/null") << "is not a regular file";
    }
    void unwritableFilesGiveAClearError()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        auto volume = smallVolume();
        QString error;
        QVERIFY(!CellVolumeVtiWriter(*volume).write(fileName, &error));
        QVERIFY2(error.startsWith(QStringLiteral("The cell volume could not be exported to \"%1\": ").arg(fileName)),
                 qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(error.endsWith(QLatin1String("Any earlier file of that name is unchanged.")));
    }

    void aFailedExportLeavesTheEarlierFile()
    {
        const QString file = m_dir.filePath(QStringLiteral("kept.vti"));
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier contents");
        earlier.close();
        auto volume = smallVolume();
        QString error;
        // A name below a regular file cannot be created.
        QVERIFY(!CellVolumeVtiWriter(*volume).write(file + QStringLiteral("/inside.vti"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(fileBytes(file), QByteArray("earlier contents"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CellVolumeVtiWriter)
#include "tst_cellvolumevtiwriter.moc"
