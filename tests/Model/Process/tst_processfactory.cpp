#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "catalogtesthome.h"
#include "filesizelimit.h"

#include <QtTest>

using Model::Process::Process;
using Model::Process::ProcessFactory;

namespace {
QByteArray golden()
{
    QFile file(QStringLiteral(TEST_DATA_DIR "/catalogues/processes.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray processFile(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Processes>\n" + body + "</Processes>\n";
}

QStringList folderEntries(const CatalogTestHome &home)
{
    return QDir(home.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The built-in table with a hand edit that the reader drops: a comment before the first process.
QByteArray goldenWithComment(const QByteArray &comment)
{
    QByteArray text = golden();
    text.replace("<Processes>\n", "<Processes>\n<!-- " + comment + " -->\n");
    return text;
}
} // namespace

class tst_ProcessFactory : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The material catalogue must exist for the compatible-material lookups.
        CatalogTestHome home;
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
    }

    void builtInTableIsWrittenByteForByte()
    {
        CatalogTestHome home;
        auto factory = ProcessFactory::instance();
        factory->startUp();
        QCOMPARE(home.read(QStringLiteral("processes.xml")), golden());
        QCOMPARE(factory->getProcesses().size(), 18);
        QCOMPARE(factory->getProcess(15).name(), QStringLiteral("Ion Implantation"));
        QCOMPARE(factory->getProcess(3).compatibleMaterialIds(), (QList<uint32_t>{3, 16}));
        QCOMPARE(factory->startUpReport(), QString());
    }

    void partialFileIsCompletedAndRewritten()
    {
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"),
                   processFile("<Process version=\"1\" name=\"Planarization\" process-id=\"7\">"
                               "<CompatibleMaterials>1;3</CompatibleMaterials></Process>\n"));
        auto factory = ProcessFactory::instance();
        factory->startUp();
        QCOMPARE(factory->getProcesses().size(), 18);
        QCOMPARE(factory->getProcess(7).compatibleMaterialIds(), (QList<uint32_t>{1, 3}));
        const QByteArray written = home.read(QStringLiteral("processes.xml"));
        QCOMPARE(written.count("<Process "), 18);
        QVERIFY(written.contains("<CompatibleMaterials>1;3</CompatibleMaterials>"));
        factory->createDefaultProcesses();
    }

    void compatibleMaterialsParsing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<uint32_t>>("expected");
        QTest::newRow("empty part and word skipped") << QByteArray("1;;abc;14") << QList<uint32_t>{1, 14};
        QTest::newRow("trailing separator") << QByteArray("4;5;") << QList<uint32_t>{4, 5};
        QTest::newRow("empty element") << QByteArray("") << QList<uint32_t>{};
    }

    void compatibleMaterialsParsing()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<uint32_t>, expected);
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"),
                   processFile("<Process version=\"1\" name=\"Mine\" process-id=\"40\"><CompatibleMaterials>" + text +
                               "</CompatibleMaterials></Process>\n"));
        auto factory = ProcessFactory::instance();
        QVERIFY(factory->loadProcesses());
        QCOMPARE(factory->getProcess(40).compatibleMaterialIds(), expected);
    }

    void rejectedElementsAndDuplicates()
    {
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"),
                   processFile("<Process version=\"x\" name=\"BadVersion\" process-id=\"41\"/>\n"
                               "<Process version=\"1\" name=\"\" process-id=\"42\"/>\n"
                               "<Process version=\"1\" name=\"Zero\" process-id=\"0\"/>\n"
                               "<Process version=\"1\" name=\"Early\" process-id=\"43\">"
                               "<CompatibleMaterials>1</CompatibleMaterials></Process>\n"
                               "<Process version=\"1\" name=\"Late\" process-id=\"43\">"
                               "<CompatibleMaterials>3</CompatibleMaterials></Process>\n"
                               "<Process version=\"1\" name=\"NoList\" process-id=\"44\"/>\n"));
        auto factory = ProcessFactory::instance();
        QVERIFY(factory->loadProcesses());
        QCOMPARE(factory->getProcess(41).id(), 0u);
        QCOMPARE(factory->getProcess(42).id(), 0u);
        QCOMPARE(factory->getProcess(43).name(), QStringLiteral("Late"));
        QCOMPARE(factory->getProcess(43).compatibleMaterialIds(), QList<uint32_t>{3});
        QCOMPARE(factory->getProcess(44).name(), QStringLiteral("NoList"));
        QVERIFY(factory->getProcess(44).compatibleMaterialIds().isEmpty());
        QVERIFY(!factory->setProcess(Process(QStringLiteral("none"), 0)));
        QCOMPARE(factory->getProcess(1000).name(), QString());
    }

    void malformedFileIsBackedUpAndReplaced()
    {
        CatalogTestHome home;
        const QByteArray broken = "<?xml version=\"1.0\"?>\n<Processes><Process version=\"1\" name=\"A\"";
        home.write(QStringLiteral("processes.xml"), broken);
        auto factory = ProcessFactory::instance();
        factory->startUp();
        QCOMPARE(home.read(QStringLiteral("processes.xml.bak")), broken);
        QCOMPARE(home.read(QStringLiteral("processes.xml")), golden());
    }

    void changedFileIsCopiedAsideBeforeItIsRewritten_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("comment") << goldenWithComment("my notes");
        QTest::newRow("process the reader rejects")
            << processFile("<Process version=\"1.0\" name=\"My Etch\" process-id=\"40\">"
                           "<CompatibleMaterials>1;3</CompatibleMaterials></Process>\n");
        QTest::newRow("built-in processes missing")
            << processFile("<Process version=\"1\" name=\"Planarization\" process-id=\"7\">"
                           "<CompatibleMaterials>1;3</CompatibleMaterials></Process>\n");
    }

    void changedFileIsCopiedAsideBeforeItIsRewritten()
    {
        QFETCH(QByteArray, contents);
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"), contents);
        auto factory = ProcessFactory::instance();
        factory->startUp();
        QCOMPARE(home.read(QStringLiteral("processes.xml.bak")), contents);
        QCOMPARE(home.read(QStringLiteral("processes.xml")).count("<Process "), 18);
        QCOMPARE(factory->startUpReport(), QString());
        // The next start finds what it writes itself: no second copy.
        factory->startUp();
        QCOMPARE(folderEntries(home),
                 (QStringList{QStringLiteral("processes.xml"), QStringLiteral("processes.xml.bak")}));
        factory->createDefaultProcesses();
    }

    void unchangedFileIsNotCopied()
    {
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"), golden());
        ProcessFactory::instance()->startUp();
        QCOMPARE(folderEntries(home), QStringList{QStringLiteral("processes.xml")});
        QCOMPARE(home.read(QStringLiteral("processes.xml")), golden());
    }

    void unreadableFileIsLeftAlone()
    {
        // A folder where the file should be: unreadable also for root, who reads any file.
        CatalogTestHome home;
        const QString path = home.file(QStringLiteral("processes.xml"));
        QVERIFY(QDir().mkpath(path));
        home.write(QStringLiteral("processes.xml/notes"), "mine");
        auto factory = ProcessFactory::instance();
        factory->setProcess(Process(QStringLiteral("From before"), 40));
        factory->startUp();
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(home.read(QStringLiteral("processes.xml/notes")), QByteArray("mine"));
        QCOMPARE(folderEntries(home), QStringList{QStringLiteral("processes.xml")});
        QCOMPARE(factory->getProcesses().size(), 18);
        QCOMPARE(factory->getProcess(40).id(), 0u);
        const QString report = factory->startUpReport();
        QVERIFY2(
            report.startsWith(
                QStringLiteral("The process catalogue \"%1\" could not be loaded: it could not be read (").arg(path)),
            qPrintable(report));
        QVERIFY2(report.contains(QLatin1String("built-in processes")), qPrintable(report));
    }

    void fileThatCannotBeCopiedAsideIsLeftAlone_data()
    {
        // Each is larger than any file the test lets itself write, so the copy fails as on a full
        // disk, while the much smaller catalogue could still be written over it.
        const QByteArray padding(64 * 1024, 'x');
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("readable");
        QTest::newRow("hand edit") << goldenWithComment(padding) << true;
        QTest::newRow("damaged") << QByteArray("<?xml version=\"1.0\"?>\n<Processes><!-- " + padding +
                                               " --><Process version=\"1\" name=\"A\"")
                                 << false;
    }

    void fileThatCannotBeCopiedAsideIsLeftAlone()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, readable);
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"), contents);
        auto factory = ProcessFactory::instance();
        factory->createDefaultProcesses();
        {
            FileSizeLimit limit(16 * 1024);
            QVERIFY(limit.isActive());
            factory->startUp();
        }
        QCOMPARE(home.read(QStringLiteral("processes.xml")), contents);
        QCOMPARE(folderEntries(home), QStringList{QStringLiteral("processes.xml")});
        QCOMPARE(factory->getProcesses().size(), 18);
        const QString report = factory->startUpReport();
        QVERIFY2(report.contains(QLatin1String("it could not be copied aside (")), qPrintable(report));
        QVERIFY2(report.contains(readable ? QLatin1String("differs from what Cellforge writes")
                                          : QLatin1String("could not be loaded")),
                 qPrintable(report));
        factory->createDefaultProcesses();
    }

    void compatibleMaterialsSkipsUnknownIdentifiers()
    {
        Process process(QStringLiteral("P"), 50, {1, 999, 3});
        const auto materials = process.compatibleMaterials();
        QCOMPARE(materials.size(), 2);
        QCOMPARE(materials.at(1).name(), QStringLiteral("Thermal Si02"));
        process.addCompatibleMaterial(1);
        process.removeCompatibleMaterial(1);
        QCOMPARE(process.compatibleMaterialIds(), (QList<uint32_t>{999, 3}));
    }
};

QTEST_GUILESS_MAIN(tst_ProcessFactory)
#include "tst_processfactory.moc"
