#include "Core/Operations/ExportData/csvdataexporter.h"
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/particlecounts.h"
#include "enginetesthelpers.h"
#include "testoperations.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::ParticleCounts;
using Model::Automaton::TotalVolume;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A 2 x 3 x 4 volume whose cell (x, y, z) holds 100 x + 10 y + z particles, spread over the
// slots in different ways: the sum is what counts.
std::shared_ptr<TotalVolume> countedVolume()
{
    auto volume = EngineTest::makeVolume(2, 3, 4, [](uint32_t, uint32_t, uint32_t) { return 1u; });
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

} // namespace

class tst_CSVDataExporter : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void layoutOfATwoByThreeByFourVolume()
    {
        auto volume = countedVolume();
        const QString path = m_dir.filePath(QStringLiteral("layout.csv"));
        CSVDataExporter exporter(path);
        QCOMPARE(
            exporter.saveDataToFile(ParticleCounts::pTypeName(), volume->field(ParticleCounts::pTypeName()), 2, 3, 4),
            0);
        QCOMPARE(readFile(path), QByteArray(expectedLayout));
    }

    void aCellIsTheSumOfItsSevenCounters()
    {
        auto volume = EngineTest::makeVolume(1, 1, 1, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        auto counts = std::make_shared<ParticleCounts>(1);
        counts->cell(0)[0] = 1;
        counts->cell(0)[1] = 2;
        ParticleCounts::attach(*volume, ParticleCounts::nTypeName(), counts);
        const QString path = m_dir.filePath(QStringLiteral("one.csv"));
        CSVDataExporter exporter(path);
        QCOMPARE(
            exporter.saveDataToFile(ParticleCounts::nTypeName(), volume->field(ParticleCounts::nTypeName()), 1, 1, 1),
            0);
        QCOMPARE(readFile(path), QByteArray("X: 0\n3.0000000000e+00 ; \n\n\n"));
    }

    void valuesReadAsAnEnglishScientificStreamWritesThem_data()
    {
        QTest::addColumn<qulonglong>("count");
        for (qulonglong value : {0ull, 1ull, 3ull, 9ull, 10ull, 12ull, 99999ull, 100000ull, 123456789ull, 4294967295ull,
                                 7ull * 4294967295ull, 99999999999ull})
            QTest::newRow(qPrintable(QString::number(value))) << value;
    }
    void valuesReadAsAnEnglishScientificStreamWritesThem()
    {
        QFETCH(qulonglong, count);
        QString expected;
        QTextStream stream(&expected);
        stream.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        stream.setRealNumberNotation(QTextStream::ScientificNotation);
        stream.setRealNumberPrecision(10);
        stream << double(count);
        stream.flush();
        QCOMPARE(QString::fromLatin1(CSVDataExporter::formatCount(count)), expected);
    }

    void theUsersLocaleDoesNotChangeTheFile()
    {
        const QLocale old;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto volume = countedVolume();
        const QString path = m_dir.filePath(QStringLiteral("german.csv"));
        const int result = CSVDataExporter(path).saveDataToFile(ParticleCounts::pTypeName(),
                                                                volume->field(ParticleCounts::pTypeName()), 2, 3, 4);
        QLocale::setDefault(old);
        QCOMPARE(result, 0);
        QCOMPARE(readFile(path), QByteArray(expectedLayout));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("dataName");
        QTest::addColumn<QString>("words");
        QTest::newRow("folder") << QStringLiteral(".") << ParticleCounts::pTypeName() << QStringLiteral("folder");
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/out.csv") << ParticleCounts::pTypeName()
                                        << QStringLiteral("No such file");
        QTest::newRow("not a particle field")
            << QStringLiteral("out.csv") << QStringLiteral("Colour") << QStringLiteral("not a particle-count field");
        QTest::newRow("field the volume lacks")
            << QStringLiteral("out.csv") << ParticleCounts::nTypeName() << QStringLiteral("no field");
    }
    void refusals()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, dataName);
        QFETCH(QString, words);
        auto volume = countedVolume();
        const QString path = fileName == QLatin1String(".") ? m_dir.path() : m_dir.filePath(fileName);
        CSVDataExporter exporter(path);
        QCOMPARE(exporter.saveDataToFile(dataName, volume->field(dataName), 2, 3, 4), -1);
        QVERIFY2(exporter.errorString().contains(words), qPrintable(exporter.errorString()));
        if (fileName != QLatin1String("."))
            QVERIFY(!QFile::exists(path));
    }

    void anExistingFileIsReplacedWhole()
    {
        const QString path = m_dir.filePath(QStringLiteral("replaced.csv"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(100000, 'x'));
        }
        auto volume = countedVolume();
        QCOMPARE(CSVDataExporter(path).saveDataToFile(ParticleCounts::pTypeName(),
                                                      volume->field(ParticleCounts::pTypeName()), 2, 3, 4),
                 0);
        QCOMPARE(readFile(path), QByteArray(expectedLayout));
    }

    // ---- the operation ----

    void operationSaysSavedOnlyWhenItSaved_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("message");
        QTest::newRow("written") << QStringLiteral("op.csv") << QStringLiteral("Export Data:  data saved.");
        QTest::newRow("not written") << QStringLiteral("missing/op.csv")
                                     << QStringLiteral(
                                            "Export Data: \"%1\" was not written: No such file or directory");
    }
    void operationSaysSavedOnlyWhenItSaved()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, message);
        Core::Workspace ws;
        auto volume = countedVolume();
        ws.document().addObject(volume);
        auto op = std::make_shared<ExportDataOperation>(ws);
        const QString path = m_dir.filePath(fileName);
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&] {
            QCOMPARE(ws.console().message(), QStringLiteral("Export Data: Using only cell volume."));
            op->setDataName(ParticleCounts::pTypeName());
            op->setFileName(path);
        };
        op->setObserver(observer);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[37] = [op] { return op; };
        ws.setOperationFactory(factory);
        ws.startOperation(37);
        QCOMPARE(observer->count, 1);
        QVERIFY2(ws.console().message().startsWith(message.arg(path)), qPrintable(ws.console().message()));
        QCOMPARE(QFile::exists(path), fileName == QLatin1String("op.csv"));
        QVERIFY(!ws.currentOperation());
        // Exports are not undone.
        QVERIFY(!ws.undoRedo().canUndo());
    }

    void operationWithoutADataNameEndsWithoutWriting()
    {
        Core::Workspace ws;
        auto volume = EngineTest::makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        ws.document().addObject(volume);
        auto op = std::make_shared<ExportDataOperation>(ws);
        const QString path = m_dir.filePath(QStringLiteral("never.csv"));
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&] { op->setFileName(path); };
        op->setObserver(observer);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[37] = [op] { return op; };
        ws.setOperationFactory(factory);
        ws.startOperation(37);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(ws.console().message(), QStringLiteral("Export Data: Using only cell volume."));
        QVERIFY(!ws.currentOperation());
    }
};

QTEST_GUILESS_MAIN(tst_CSVDataExporter)
#include "tst_csvdataexporter.moc"
